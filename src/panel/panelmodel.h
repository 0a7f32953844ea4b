#pragma once

#include <array>

#include "link/switchstatus.h"
#include "panel/keystyles.h"
#include "panel/modestate.h"
#include "panel/panelstate.h"

// The look of every key of the panel. A null entry is a key nothing has painted yet: it
// keeps what the form gave it.
struct PanelLook
{
    std::array<KeyStyle, txKeyCount> tx{};   // botaoTecla1..8
    std::array<KeyStyle, txKeyCount> busy{}; // botaoBusy1..8
    std::array<KeyStyle, rotorCount> rotors{};
    RxKeyStyles rx{}; // RTX, RX1..RX4
    KeyStyle split = nullptr;
    KeyStyle superSplit = nullptr;
    KeyStyle send = nullptr;
    KeyStyle power = nullptr;

    // Every key dark: the panel with no link.
    static PanelLook idle();
    bool operator==(const PanelLook &o) const;
};

// The panel as the operator sees it: the panel state, whether the link is alive, and
// what the keys show. Each event changes the state and the keys it concerns, the way the
// panel has always painted them: a key not concerned keeps its look, and a silent link
// leaves every key dark until the switch is heard again. The window forwards the words
// these return to the link and paints look(); nothing here touches a widget.
class PanelModel
{
public:
    const PanelState &state() const { return panel; }
    bool linkAlive() const { return alive; }
    bool normalMode() const { return isNormalMode(panel); }

    // The look of every key now: a function of the state and the link alone.
    PanelLook look() const;

    // The watchdog's verdict. A silent link turns the whole panel dark.
    void setLinkAlive(bool on);
    // The port closed: nothing the switch said counts any more, nothing is being set up.
    void reset() { panel = PanelState{}; }

    // A status answer: the link is alive, and unless it is the report right after a TX
    // press, the panel shows what it says.
    StatusOutcome statusReceived(const SwitchStatus &status);
    TxPressOutcome pressTx(qint8 pos);
    CommandWord pressRx(qint8 index);
    ModeOutcome toggleSplit() { return splitToggle(panel); }
    ModeOutcome toggleSuperSplit();
    ModeOutcome pressRotor(int rotor) const { return rotorPress(panel, rotor); }

    // For tests and the fuzzer: start from a given state.
    void setState(const PanelState &state) { panel = state; }

private:
    void repaintTxKeys(int pos);

    PanelState panel;
    bool alive = true;
    // What the keys show while the link is alive.
    PanelLook lit;
};
