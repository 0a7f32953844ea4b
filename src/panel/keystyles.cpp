#include "panel/keystyles.h"

#include "panel/styles.h"

namespace {

void paintPair(TxKeyStyles &keys, const PairKeys &pair)
{
    if (isTxPosition(pair.active))
        keys[pair.active] = styleActive;
    if (isTxPosition(pair.standby))
        keys[pair.standby] = styleStandby;
}

} // namespace

TxKeyStyles decideTxKeyStyles(const PanelState &state, int pos)
{
    TxKeyStyles keys{};

    // Choose the pass. While the split TX choice is open every key starts idle and the
    // group is not shown; while the super-split selection is open the edited group is
    // shown and no key counts as current.
    bool groupPass = true;
    quint8 group = state.superSplitMask;
    int current = state.currentTxPos;
    if (state.splitAwaitingTx) {
        keys.fill(styleIdle);
        groupPass = false;
    } else if (state.superSplitSelecting) {
        keys.fill(styleIdle);
        group = state.superSplitEditMask;
        current = -1;
    }

    if (groupPass) {
        for (int p = 0; p < txKeyCount; ++p) {
            if (groupHas(group, p))
                keys[p] = styleGroup;
            else if (p != current)
                keys[p] = styleIdle;
            // the current key keeps whatever it shows
        }
    }

    // Pair and selection, always on the stored fields.
    if (groupHas(state.superSplitMask, state.currentTxPos)) {
        paintPair(keys, decidePairKeys(state, true));
    } else if (state.splitActive == 1) {
        paintPair(keys, decidePairKeys(state, false));
    } else if (!state.superSplitSelecting && isTxPosition(pos)) {
        keys[pos] = styleSelected;
    }
    return keys;
}

PairKeys decidePairKeys(const PanelState &state, bool superSplit)
{
    // The key that is on the air is the active one.
    const int first = superSplit ? state.currentTxPos : state.splitTxPos;
    const int second = superSplit ? state.previousTxPos : state.currentTxPos;
    if (state.transmitting)
        return {second, first};
    return {first, second};
}

KeyStyle decideSuperSplitKeyStyle(const PanelState &state)
{
    if (groupHas(state.superSplitMask, state.currentTxPos))
        return styleAlert;
    if (state.superSplitSelecting)
        return nullptr;
    return styleIdle;
}

RxKeyStyles decideRxKeyStyles(const PanelState &state)
{
    RxKeyStyles keys;
    keys.fill(styleIdle);
    // Nothing is known of the receive side until the controller has answered once.
    if (state.statusSeen != 1)
        return keys;
    if (!state.rxAntennaMode) {
        keys[0] = styleRxSelected;
        return keys;
    }
    switch (state.rxPos) {
    case 2:
    case 3:
    case 4:
        keys[state.rxPos] = styleRxSelected;
        break;
    default: // 1, or anything unexpected
        keys[1] = styleRxSelected;
        break;
    }
    return keys;
}

StatusIndicatorStyles decideStatusIndicatorStyles(const SwitchStatus &status)
{
    StatusIndicatorStyles styles;
    for (int n = 0; n < txKeyCount; ++n)
        styles.busy[n] = (status.freeMask >> n) & 1 ? styleIdle : styleBusy;
    styles.split = status.split == 1 ? styleAlert : styleIdle;
    styles.send = status.transmitting == 1 ? styleAlert : styleIdle;
    const quint8 rotor = status.rotor;
    for (int r = 1; r <= rotorCount; ++r)
        styles.rotors[r - 1] = rotor == r ? styleAlert : styleIdle;
    return styles;
}
