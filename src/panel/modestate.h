#pragma once

#include <QSize>
#include <optional>

#include "link/protocol.h"
#include "panel/panelstate.h"

// The operator's mode keys as transitions of the panel state: what each press changes,
// which word it queues, what the status bar says and how botaoSuperSplit looks. The
// window's slots apply the outcome; nothing here touches a widget.

enum class SuperSplitKeyLook {
    Unchanged, // left as the painters last drew it
    Alert,     // red while the selection is open
    Idle,      // dark again once the selection is closed
};

struct ModeOutcome
{
    std::optional<CommandWord> word; // for the link's queue
    const char *message = nullptr;   // untranslated; nullptr: none
    SuperSplitKeyLook superSplitKey = SuperSplitKeyLook::Unchanged;
    bool repaintKeys = false; // the TX keys repainted for currentTxPos
};

// The status-bar texts of the modes, marked for translation in the window's context.
extern const char *const msgChooseTxPosition;
extern const char *const msgChooseSuperSplit;
extern const char *const msgSuperSplitConfigured;

// Split key: abandons an open super-split selection, then switches split off when it
// is on, or waits for the TX key that completes the set-up. Nothing is repainted.
ModeOutcome splitToggle(PanelState &state);

// Super Split key: abandons an open split choice, then opens the selection on a copy
// of the controller's group, or closes it and sends the edited group.
ModeOutcome superSplitToggle(PanelState &state);

// Rotor key r (1..4): the controller switches the rotor on, or off when it already
// reports it active. Nothing local changes.
ModeOutcome rotorPress(const PanelState &state, int rotor);

// How botaoRelease reads in each Release variant.
struct ReleaseLook
{
    const char *text; // untranslated
    const char *style;
};
ReleaseLook releaseLook(bool releaseAll);

// The window size the Enable action gives, with and without the receiver group.
QSize receiverWindowSize(bool enabled);
