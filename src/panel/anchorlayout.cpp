#include "panel/anchorlayout.h"

#include <QWidget>

#include "app/mainwindow.h"
#include "panel/scaling.h"

C4SAnchorLayout::C4SAnchorLayout(MainWindow *window) : window(window), reference(window->size()) {}

void C4SAnchorLayout::addWidget(QWidget *widget)
{
    entries.append({widget->geometry(), widget});
}

void C4SAnchorLayout::relayout()
{
    const QSize now = window->size();
    for (const AnchorEntry &entry : qAsConst(entries))
        entry.widget->setGeometry(scaleRect(entry.form, now.width(), now.height(),
                                            reference.width(), reference.height()));
}
