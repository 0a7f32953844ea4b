#include "panel/styles.h"

#include <QWidget>

void applyStyle(QWidget *widget, const char *style)
{
    if (!widget || !style)
        return;
    const QLatin1String sheet(style);
    if (widget->styleSheet() != sheet)
        widget->setStyleSheet(sheet);
}
