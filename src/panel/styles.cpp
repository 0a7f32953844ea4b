#include "panel/styles.h"

#include <QWidget>

namespace {
bool alwaysRestyle = false;
}

void applyStyle(QWidget *widget, const char *style)
{
    if (!widget || !style)
        return;
    const QLatin1String sheet(style);
    if (alwaysRestyle || widget->styleSheet() != sheet)
        widget->setStyleSheet(sheet);
}

void setAlwaysRestyle(bool always)
{
    alwaysRestyle = always;
}
