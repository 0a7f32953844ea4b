#pragma once

#include <QString>
#include <functional>

class QWidget;

// A port that cannot be opened is told in a modal critical box with one OK button: the
// operator has just asked for it and is there to read it. It goes through
// showCriticalBox, so a test can watch it instead of blocking on the box's modal loop:
// install a hook and the box is not shown at all.
using CriticalBoxHook =
    std::function<void(QWidget *parent, const QString &title, const QString &text)>;

void showCriticalBox(QWidget *parent, const QString &title, const QString &text);

// An empty hook restores the real box.
void setCriticalBoxHook(CriticalBoxHook hook);
