#include "station/pushlines.h"

#include "radio/followsettings.h"
#include "station/apireply.h"

namespace {

QByteArray antenna(quint8 position)
{
    return QByteArray::number(position <= 7 ? position + 1 : 0);
}

QByteArray flag(quint8 value)
{
    return value == 1 ? "1" : "0";
}

// The antennas whose bit in mask is `set`, as "1,3,8".
QByteArray numbers(quint8 mask, bool set)
{
    QByteArray list;
    for (int bit = 0; bit < 8; ++bit) {
        if (((mask >> bit) & 1) == int(set))
            list += (list.isEmpty() ? "" : ",") + QByteArray::number(bit + 1);
    }
    return list;
}

} // namespace

QByteArray switchLine(const SwitchStatus &status, const QString &by)
{
    const quint8 rotor = status.rotor >= 1 && status.rotor <= 4 ? status.rotor : 0;
    return "S0|switch tx=" + antenna(status.txPos) + " prev=" + antenna(status.previousTxPos)
           + " split=" + flag(status.split) + " splittx=" + antenna(status.splitTxPos) + " busy="
           + numbers(status.freeMask, false) + " transmitting=" + flag(status.transmitting)
           + " rotor=" + QByteArray::number(rotor) + " group=" + numbers(status.group, true)
           + " rxmode=" + flag(status.rxMode) + " by=" + fieldText(by);
}

QByteArray linkLine(bool up, const QString &reason)
{
    return QByteArray("S0|link state=") + (up ? "up" : "down") + " reason=" + fieldText(reason);
}

QByteArray followLine(const QString &band, const QString &state)
{
    return "S0|follow band=" + fieldText(band) + " state=" + fieldText(state);
}

QByteArray infoText(const StationInfo &info)
{
    const QByteArray firmware = info.firmware ? QByteArray::number(info.firmware->major) + '.'
                                                    + QByteArray::number(info.firmware->minor)
                                              : QByteArray();
    return "station name=" + fieldText(info.name) + " version=" + fieldText(info.version)
           + " firmware=" + firmware + " link=" + (info.linkUp ? "up" : "down")
           + " port=" + fieldText(info.port);
}

QByteArray antennaItem(int antenna, const QString &label)
{
    return "antenna " + QByteArray::number(antenna) + " name=" + fieldText(label);
}

QByteArray receiveItem(int receive, const QString &label)
{
    return "rx " + receiveKeyName(receive).toLatin1() + " name=" + fieldText(label);
}
