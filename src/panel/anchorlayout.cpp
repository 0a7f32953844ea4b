#include "panel/anchorlayout.h"

#include <QWidget>

#include "app/mainwindow.h"
#include "panel/scaling.h"

C4SAnchorLayout::C4SAnchorLayout(MainWindow *window)
    : window(window), referenceRect(0, 0, window->width(), window->height())
{}

C4SAnchorLayout::~C4SAnchorLayout() = default;

void C4SAnchorLayout::addWidget(int leftMode, int topMode, int rightMode, int bottomMode,
                                QWidget *widget)
{
    const QRect g = widget->geometry();
    AnchorEntry entry;
    entry.baseLeft = g.left();
    entry.baseTop = g.top();
    entry.baseRight = g.right();
    entry.baseBottom = g.bottom();
    entry.topMode = topMode;
    entry.leftMode = leftMode;
    entry.rightMode = rightMode;
    entry.bottomMode = bottomMode;
    entry.origRight = g.right();
    entry.origLeft = g.left();
    entry.origTop = g.top();
    entry.origBottom = g.bottom();
    entry.widget = widget;
    entries.append(entry);
}

void C4SAnchorLayout::relayout()
{
    const QSize now = window->size();
    const QSize reference = referenceRect.size();
    for (const AnchorEntry &entry : qAsConst(entries))
        entry.widget->setGeometry(anchoredRect(entry, entry.widget->geometry(), now, reference));
}
