#pragma once

#include <QRect>
#include <QVector>

class MainWindow;
class QWidget;

// One registered widget and the geometry the form gave it.
struct AnchorEntry
{
    QRect form;
    QWidget *widget;
};

// Scales the panel's absolutely placed widgets with the window, always from the geometry
// the form gave them and relative to the size the window had when the layout was created,
// so resizing never accumulates.
class C4SAnchorLayout
{
public:
    explicit C4SAnchorLayout(MainWindow *window);

    void addWidget(QWidget *widget);
    void relayout();

private:
    QVector<AnchorEntry> entries;
    MainWindow *window;
    QSize reference;
};
