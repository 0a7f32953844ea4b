#pragma once

#include <QtGlobal>
#include <optional>

#include "link/protocol.h"
#include "link/switchstatus.h"

// The panel's picture of the antenna switch: what the controller last reported and what
// the operator has set up since. Everything starts at 0, and again when the port closes.
struct PanelState
{
    quint8 currentTxPos = 0;        // TX position shown as selected, 0..7
    quint8 previousTxPos = 0;       // TX position selected before the current one
    quint8 splitTxPos = 0;          // second position of the split pair
    quint8 splitActive = 0;         // split mode is on
    quint8 splitAwaitingTx = 0;     // Split was pressed; the next TX key picks the pair
    quint8 superSplitSelecting = 0; // the super-split selection is open
    quint8 superSplitMask = 0;      // the group as the controller reports it
    quint8 superSplitEditMask = 0;  // the group being edited while selecting
    quint8 activeRotor = 0;         // 1..4, anything else: none
    quint8 switchPending = 0;       // skip the next status response once
    quint8 statusSeen = 0;          // a status response has been handled
    quint8 transmitting = 0;        // the station is transmitting
    quint8 rxPos = 0;               // receive key to light
    quint8 lastRxPos = 0;           // last receive antenna the operator picked
    quint8 rxAntennaMode = 0;       // a separate receive antenna is in use
};

// No split being set up, no super-split selection open and no split on: a TX key press
// simply selects the antenna.
constexpr bool isNormalMode(const PanelState &state)
{
    return !state.splitAwaitingTx && !state.superSplitSelecting && !state.splitActive;
}

constexpr int txKeyCount = 8;
// The receive index of the RTX key (receive on the TX antenna).
constexpr quint8 rtxIndex = 8;

// TX positions 0..7 name the keys botaoTecla1..8; any other value names none.
constexpr bool isTxPosition(int pos)
{
    return pos >= 0 && pos < txKeyCount;
}

// Whether position pos belongs to a group mask. A position that names no key belongs
// to no group (and is never used as a shift count).
constexpr bool groupHas(quint8 mask, int pos)
{
    return isTxPosition(pos) && ((mask >> pos) & 1) != 0;
}

// What a TX key press (or F-key) does beyond changing the state.
struct TxPressOutcome
{
    std::optional<CommandWord> word; // for the link's queue
    const char *message = nullptr;   // status-bar text, untranslated; nullptr: none
    bool repaint = false;            // the TX keys and the super-split key repainted
};

// The status-bar texts of the TX keys, marked for translation in the window's context.
extern const char *const msgSplitConfigured;
extern const char *const msgSplitOff;

// TX key for position pos (0..7): completes a split set-up, edits an open super-split
// selection, moves the split partner, switches split off, or selects the antenna.
// Every press makes the next status response be skipped once.
TxPressOutcome pressTxKey(PanelState &state, qint8 pos);

// Receive key index (0..3 for RX1..RX4, rtxIndex for RTX): returns the word to queue.
CommandWord pressRxKey(PanelState &state, qint8 index);

// A status response ("IGT", 13 bytes) is applied in two halves around the repaint of
// the TX keys: the split flag and the rotor are taken only after the keys have been
// painted, so the response that first reports split on still paints without the pair.
struct StatusOutcome
{
    bool skipped = false; // the first response after a TX press: nothing decoded
};
StatusOutcome beginStatusResponse(PanelState &state, const SwitchStatus &status);
void finishStatusResponse(PanelState &state, const SwitchStatus &status);
