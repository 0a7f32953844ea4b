#include "station/writeconfirm.h"

#include "radio/followsettings.h"

namespace {

int rotorOf(const SwitchStatus &s)
{
    return s.rotor >= 1 && s.rotor <= 4 ? s.rotor : 0;
}

} // namespace

quint8 groupMask(const QList<int> &group)
{
    quint8 mask = 0;
    for (int position : group)
        mask |= quint8(1u << (position - 1));
    return mask;
}

bool standsAsAsked(const ApiCommand &c, const SwitchStatus &s)
{
    const bool released = s.txPos > 7 && s.split != 1;
    switch (c.verb) {
    case Verb::SelectTx:
        return s.txPos == c.antenna - 1 || (s.split == 1 && s.splitTxPos == c.antenna - 1);
    case Verb::SelectRx:
        return s.rxMode == (c.receive == 8 ? 0 : 1);
    case Verb::Split:
        return s.split == 1 && s.txPos == c.antenna - 1 && s.splitTxPos == c.splitAntenna - 1;
    case Verb::SplitOff:
        return s.split != 1;
    case Verb::SuperSplit:
        return s.group == groupMask(c.group);
    case Verb::Rotor:
        return rotorOf(s) == c.rotor;
    case Verb::Release:
        return released;
    case Verb::ReleaseAll:
        return released && s.group == 0 && rotorOf(s) == 0 && s.rxMode != 1;
    default:
        return true;
    }
}

QByteArray describeWrite(const ApiCommand &c)
{
    switch (c.verb) {
    case Verb::SelectTx:
        return "select tx=" + QByteArray::number(c.antenna);
    case Verb::SelectRx:
        return "select rx=" + receiveKeyName(c.receive).toLatin1();
    case Verb::Split:
        return "split " + QByteArray::number(c.antenna) + ' ' + QByteArray::number(c.splitAntenna);
    case Verb::SplitOff:
        return "split off";
    case Verb::SuperSplit: {
        QByteArrayList positions;
        for (int p : c.group)
            positions << QByteArray::number(p);
        return "supersplit " + positions.join(',');
    }
    case Verb::Rotor:
        return "rotor " + QByteArray::number(c.rotor);
    case Verb::Release:
        return "release";
    case Verb::ReleaseAll:
        return "release all";
    default:
        return "?";
    }
}
