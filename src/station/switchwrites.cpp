#include "station/switchwrites.h"

#include "link/controllerlink.h"
#include "radio/followsettings.h"

namespace {

quint8 groupMask(const QList<int> &group)
{
    quint8 mask = 0;
    for (int position : group)
        mask |= quint8(1u << (position - 1));
    return mask;
}

int rotorOf(const SwitchStatus &s)
{
    return s.rotor >= 1 && s.rotor <= 4 ? s.rotor : 0;
}

} // namespace

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

void sendToLink(ControllerLink &link, const ApiCommand &c, const SwitchStatus &now)
{
    switch (c.verb) {
    case Verb::SelectTx:
        link.selectTx(c.antenna);
        break;
    case Verb::SelectRx:
        link.selectRx(c.receive);
        break;
    case Verb::Split:
        // The pair is the TX antenna and its partner: the first goes on the air first.
        if (now.txPos != c.antenna - 1)
            link.selectTx(c.antenna);
        link.setSplit(c.antenna, c.splitAntenna);
        break;
    case Verb::SplitOff:
        link.clearSplit();
        break;
    case Verb::SuperSplit:
        link.setSuperSplit(groupMask(c.group));
        break;
    case Verb::Rotor:
        link.setRotor(c.rotor, now.txPos <= 7 ? now.txPos + 1 : -1);
        break;
    case Verb::Release:
    case Verb::ReleaseAll:
        link.release(c.verb == Verb::ReleaseAll);
        break;
    default:
        break;
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
