#include "station/switchwrites.h"

#include "link/controllerlink.h"

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
