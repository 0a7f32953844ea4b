#pragma once

#include <QAction>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <memory>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "panelstates.h"

// A main window over a blank panel state, and how a test reads it: a widget's text, the
// letter of its look and the status line.
struct WindowFixture
{
    std::unique_ptr<MainWindow> window;

    bool open(bool show = true)
    {
        window.reset();
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
};
