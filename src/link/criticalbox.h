#pragma once

#include <QString>
#include <functional>

class QWidget;

// Port failures reach the operator through a modal critical box with one OK button.
// All of them go through showCriticalBox, so a test can watch them instead of
// blocking on a modal loop: install a hook and the box is not shown at all.
using CriticalBoxHook =
    std::function<void(QWidget *parent, const QString &title, const QString &text)>;

void showCriticalBox(QWidget *parent, const QString &title, const QString &text);

// An empty hook restores the real box.
void setCriticalBoxHook(CriticalBoxHook hook);
