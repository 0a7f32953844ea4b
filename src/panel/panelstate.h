#pragma once

#include <QtGlobal>

// The program's picture of the antenna switch. One instance for the whole process,
// read and written on the GUI thread only; everything starts at 0.
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

extern PanelState panelState;
