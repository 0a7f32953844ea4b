#pragma once

#include "link/switchstatus.h"
#include "station/apicommand.h"

class ControllerLink;

// A client's write as the switch carries it out, and how its reports show it done. Both
// read the switch the way it answers: a select while split is on moves the split's
// partner, a split is the pair's second position, a release leaves no TX position.

// Whether the switch, as this report shows it, already stands as the command asks.
bool standsAsAsked(const ApiCommand &command, const SwitchStatus &status);

// Hands the command to the link as the words the panel's keys would send; now is the
// switch as last reported (a rotor goes with the TX antenna in use, a split starts from
// its first antenna).
void sendToLink(ControllerLink &link, const ApiCommand &command, const SwitchStatus &now);

// "select tx=5", "rotor 2", ... for the station's log: the command as a client wrote it.
QByteArray describeWrite(const ApiCommand &command);
