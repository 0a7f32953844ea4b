#pragma once

#include <QtGlobal>
#include <array>

#include "panel/panelstate.h"

// The colour rules of the panel: which style sheet each key gets for a panel state.
// Nothing here touches a widget; the painters apply what these functions decide.
// A nullptr entry means "leave the key as it is".
using KeyStyle = const char *;

// TX keys botaoTecla1..8, indexed by position.
using TxKeyStyles = std::array<KeyStyle, txKeyCount>;

// The final look of every TX key after a repaint for position pos on this state: the pass
// over the eight keys, then the pair highlight or the selected key, later writes
// winning over earlier ones. Each key is thus restyled at most once per repaint.
TxKeyStyles decideTxKeyStyles(const PanelState &state, int pos);

// The two keys of a split (superSplit false) or super-split (true) pair: the active
// key is painted first, then the standby key, so the standby look wins when both name
// the same key. A position outside 0..7 is skipped.
struct PairKeys
{
    int active = -1;
    int standby = -1;
};
PairKeys decidePairKeys(const PanelState &state, bool superSplit);

// botaoSuperSplit: red while the selected antenna is in the controller's group; left
// as it is while a selection is open (the toggle made it red); idle otherwise.
KeyStyle decideSuperSplitKeyStyle(const PanelState &state);

// Receive keys in painting order: botaoTeclaRTX, botaoTeclaRX1..RX4.
constexpr int rxKeyCount = 5;
using RxKeyStyles = std::array<KeyStyle, rxKeyCount>;
RxKeyStyles decideRxKeyStyles(const PanelState &state);

// The indicators that follow directly from a status response.
constexpr int rotorCount = 4;
struct StatusIndicatorStyles
{
    std::array<KeyStyle, txKeyCount> busy{};   // botaoBusy1..8
    KeyStyle split = nullptr;                  // botaoSplit
    KeyStyle send = nullptr;                   // botaoSend
    std::array<KeyStyle, rotorCount> rotors{}; // botaoRotor1..4
};
StatusIndicatorStyles decideStatusIndicatorStyles(const SwitchStatus &status);
