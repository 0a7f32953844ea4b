#include "panel/modestate.h"

#include <QtGlobal>

#include "panel/styles.h"

const char *const msgChooseTxPosition = QT_TRANSLATE_NOOP("MainWindow", "Choose the TX position:");
const char *const msgChooseSuperSplit =
    QT_TRANSLATE_NOOP("MainWindow", "Choose antennas for Super Split:");
const char *const msgSuperSplitConfigured =
    QT_TRANSLATE_NOOP("MainWindow", "Super Split configured succesfully!");

namespace {
// P, V: positions travel as position + 1 so that a zero nibble can mean "none".
quint8 txNibble(const PanelState &state)
{
    return quint8((state.currentTxPos + 1) << 4);
}
} // namespace

ModeOutcome splitToggle(PanelState &state)
{
    ModeOutcome outcome;
    state.superSplitSelecting = 0;
    if (state.splitActive) {
        outcome.word = makeCommandWord('P', 0);
        state.splitActive = 0;
        outcome.message = msgSplitOff;
    } else {
        state.splitAwaitingTx = 1;
        outcome.message = msgChooseTxPosition;
    }
    return outcome;
}

ModeOutcome superSplitToggle(PanelState &state)
{
    ModeOutcome outcome;
    state.splitAwaitingTx = 0;
    if (state.superSplitSelecting) {
        outcome.superSplitKey = SuperSplitKeyLook::Idle;
        outcome.word = makeCommandWord('Q', state.superSplitEditMask);
        state.superSplitSelecting = 0;
        outcome.message = msgSuperSplitConfigured;
    } else {
        state.superSplitEditMask = state.superSplitMask;
        state.superSplitSelecting = 1;
        outcome.message = msgChooseSuperSplit;
        outcome.superSplitKey = SuperSplitKeyLook::Alert;
    }
    outcome.repaintKeys = true;
    return outcome;
}

ModeOutcome rotorPress(const PanelState &state, int rotor)
{
    ModeOutcome outcome;
    const quint8 n = rotor == state.activeRotor ? 0 : quint8(rotor & 0x0F);
    outcome.word = makeCommandWord('V', quint8(txNibble(state) | n));
    return outcome;
}

ReleaseLook releaseLook(bool releaseAll)
{
    if (releaseAll)
        return {QT_TRANSLATE_NOOP("MainWindow", "RELEASE ALL"), styleReleaseAll};
    return {QT_TRANSLATE_NOOP("MainWindow", "Release"), styleIdle};
}

QSize receiverWindowSize(bool enabled)
{
    return enabled ? QSize(666, 273) : QSize(666, 208);
}
