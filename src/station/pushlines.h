#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

#include "link/switchstatus.h"

// What the station says unasked to its subscribers, S0|<topic> key=value..., and the
// texts of info and of the label lists. Names, labels, reasons and states go through
// fieldText (apireply.h), so each is one word whatever it holds.
//
// Antennas and positions are numbered as the operator counts them, 1..8. The switch's raw
// bytes are read as the panel reads them: a position past 7 is no antenna and shows as 0,
// a rotor other than 1..4 as 0, and a flag is 1 only when the switch sent exactly 1. A
// list (busy, group) is the numbers in ascending order joined by commas, empty when
// there are none ("busy=").

// S0|switch tx=.. prev=.. split=.. splittx=.. busy=.. transmitting=.. rotor=.. group=..
// rxmode=.. by=<who made the last change: a client's name, follow or panel>
QByteArray switchLine(const SwitchStatus &status, const QString &by);
// The words of a pushed or answered line, key to value, the values decoded back to the
// text as typed ("name=Test%20Shack" is "Test Shack"); a word without '=' is left out.
QHash<QByteArray, QString> lineFields(const QByteArray &words);
// A switch line read back, as the panel on the port would have read the switch's own
// answer: "no antenna" becomes position 15. *by is who made the last change. Nothing when
// a field is missing or not a number in range.
std::optional<SwitchStatus> readSwitchLine(const QByteArray &line, QString *by);

// S0|link state=up|down reason=<text, empty when there is none>
QByteArray linkLine(bool up, const QString &reason);
// S0|follow band=<band, empty for none> state=<what the follower says>
QByteArray followLine(const QString &band, const QString &state);

struct StationInfo
{
    QString name;
    QString version;
    std::optional<FirmwareRevision> firmware; // none until the switch has told us
    bool linkUp = false;
    QString port;
};

// station name=.. version=.. firmware=<a.b, empty while unknown> link=up|down port=..
QByteArray infoText(const StationInfo &info);
// antenna <1..8> name=<label>
QByteArray antennaItem(int antenna, const QString &label);
// rx <RX1..RX4|RTX> name=<label>; receive as the link counts it (0..3, 8)
QByteArray receiveItem(int receive, const QString &label);
