#include "panel/panelstate.h"

#include <QCoreApplication>

const char *const msgSplitConfigured =
    QT_TRANSLATE_NOOP("MainWindow", "Split configured succesfuly!");
const char *const msgSplitOff = QT_TRANSLATE_NOOP("MainWindow", "Split disabled");

TxPressOutcome pressTxKey(PanelState &state, qint8 pos)
{
    TxPressOutcome outcome;
    // The controller's next report still shows the old antenna, so it is not applied.
    state.switchPending = 1;

    if (state.splitAwaitingTx) {
        // Positions travel as position + 1 so that nibble 0 can mean "none".
        const quint8 pair = quint8(((state.currentTxPos + 1) << 4) | ((pos + 1) & 0x0F));
        outcome.word = makeCommandWord('P', pair);
        state.splitActive = 1;
        state.splitTxPos = quint8(pos);
        state.splitAwaitingTx = 0;
        outcome.message = msgSplitConfigured;
        return outcome;
    }
    if (state.superSplitSelecting) {
        state.superSplitEditMask ^= quint8(1u << (pos & 7));
        return outcome;
    }
    if (state.splitActive) {
        if (quint8(pos) == state.currentTxPos) {
            outcome.word = makeCommandWord('P', 0);
            state.splitActive = 0;
            outcome.message = msgSplitOff;
            return outcome;
        }
        state.splitTxPos = quint8(pos);
    } else {
        // A position of the super-split group is never remembered as the previous one.
        if (!groupHas(state.superSplitMask, state.currentTxPos))
            state.previousTxPos = state.currentTxPos;
        state.currentTxPos = quint8(pos);
    }
    outcome.repaint = true;
    outcome.word = makeCommandWord('S', quint8(pos));
    return outcome;
}

CommandWord pressRxKey(PanelState &state, qint8 index)
{
    state.rxPos = quint8(index + 1);
    if (quint8(index) != rtxIndex) {
        state.rxAntennaMode = 1;
        state.lastRxPos = quint8(index + 1);
    }
    return makeCommandWord('Y', quint8(index));
}

StatusOutcome beginStatusResponse(PanelState &state, const SwitchStatus &status)
{
    StatusOutcome outcome;
    state.statusSeen = 1;
    if (state.switchPending) {
        state.switchPending = 0;
        outcome.skipped = true;
        return outcome;
    }
    state.transmitting = status.transmitting;
    state.currentTxPos = status.txPos;
    state.superSplitMask = status.group;
    state.splitTxPos = status.splitTxPos;
    state.previousTxPos = status.previousTxPos;

    const quint8 rxMode = status.rxMode;
    if (rxMode == 1 && !state.rxAntennaMode) {
        state.rxAntennaMode = 1;
        state.rxPos = state.lastRxPos;
    } else if (rxMode == 0 && state.rxAntennaMode) {
        state.rxAntennaMode = 0;
        state.rxPos = rtxIndex;
    }
    return outcome;
}

void finishStatusResponse(PanelState &state, const SwitchStatus &status)
{
    state.splitActive = status.split == 1 ? 1 : 0;
    state.activeRotor = status.rotor;
}
