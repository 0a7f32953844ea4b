#pragma once

#include <QByteArray>

#include "link/switchstatus.h"
#include "station/apicommand.h"

// A client's write and the switch's reports, read the way the switch answers: a select
// while split is on moves the split's partner, a split is the pair's second position, a
// release leaves no TX position.

// Whether the switch, as this report shows it, already stands as the command asks.
bool standsAsAsked(const ApiCommand &command, const SwitchStatus &status);

// The positions of a super-split group as the switch's mask: bit n is antenna n+1.
quint8 groupMask(const QList<int> &group);

// "select tx=5", "rotor 2", ... for the station's log: the command as a client wrote it.
QByteArray describeWrite(const ApiCommand &command);
