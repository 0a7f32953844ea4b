#pragma once

#include <QAction>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <cstring>
#include <memory>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
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

// A main window over a blank panel state, and how a test reads it: a widget's text, the
// letter of its look, the status line and the words waiting to be sent.
struct WindowFixture
{
    std::unique_ptr<MainWindow> window;

    bool open(bool show = true)
    {
        window.reset();
        panelState = PanelState{};
        window = std::make_unique<MainWindow>();
        if (show)
            window->show();
        return !show || QTest::qWaitForWindowExposed(window.get());
    }
    template<typename T = QWidget> T *get(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    void trigger(const QString &action) const { get<QAction>(action)->trigger(); }
    QString text(const QString &name) const { return get(name)->property("text").toString(); }
    char look(const QString &name) const
    {
        return styleLetter(get(name)->styleSheet().toLatin1().constData());
    }
    QString message() const { return window->statusBar()->currentMessage(); }
    // Each word as its letter and its argument in hex: "S02 P35".
    QString queued() const
    {
        QStringList words;
        for (CommandWord w : window->switchQueue.toList())
            words << commandLetter(w) + QString("%1").arg(commandArgument(w), 2, 16, QChar('0'));
        return words.join(' ');
    }
};
