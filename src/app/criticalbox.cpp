#include "app/criticalbox.h"

#include <QMessageBox>

namespace {
CriticalBoxHook &currentHook()
{
    static CriticalBoxHook hook;
    return hook;
}
} // namespace

void showCriticalBox(QWidget *parent, const QString &title, const QString &text)
{
    if (currentHook())
        currentHook()(parent, title, text);
    else
        QMessageBox::critical(parent, title, text);
}

void setCriticalBoxHook(CriticalBoxHook hook)
{
    currentHook() = std::move(hook);
}
