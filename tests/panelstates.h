#pragma once

#include <QMetaType>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "panel/panelstate.h"
#include "stylenames.h"

Q_DECLARE_METATYPE(PanelState)

// A panel state for a table row: the TX positions and the group, then any other fields.
using Field = quint8 PanelState::*;
inline const Field onAir = &PanelState::transmitting, split = &PanelState::splitActive,
                   splitTx = &PanelState::splitTxPos, choosing = &PanelState::splitAwaitingTx,
                   selecting = &PanelState::superSplitSelecting,
                   edit = &PanelState::superSplitEditMask, seen = &PanelState::statusSeen,
                   rxMode = &PanelState::rxAntennaMode, rxPos = &PanelState::rxPos,
                   lastRx = &PanelState::lastRxPos;

inline PanelState state(quint8 cur, quint8 prev, quint8 group,
                        std::initializer_list<std::pair<Field, quint8>> more = {})
{
    PanelState s;
    s.currentTxPos = cur;
    s.previousTxPos = prev;
    s.superSplitMask = group;
    for (auto [field, value] : more)
        s.*field = value;
    return s;
}

inline bool same(const PanelState &a, const PanelState &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
