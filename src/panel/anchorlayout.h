#pragma once

#include <QRect>
#include <QVector>

class MainWindow;
class QWidget;

// How one edge of a registered widget follows the window.
enum AnchorMode {
    AnchorKeep = 0,         // the edge stays where the widget is
    AnchorFixed = 1,        // the edge sits at its registered coordinate
    AnchorFollow = 2,       // the edge moves with the window's growth
    AnchorProportional = 3, // as leftMode: the whole widget scales with the window
};

struct AnchorEntry
{
    int baseLeft, baseTop, baseRight, baseBottom;
    int topMode, leftMode, rightMode, bottomMode;
    int origRight, origLeft, origTop, origBottom;
    QWidget *widget;
};

// Scales the panel's absolutely placed widgets with the window, always relative to
// the size the window had when the layout was created, so resizing never accumulates.
class C4SAnchorLayout
{
public:
    explicit C4SAnchorLayout(MainWindow *window);
    virtual ~C4SAnchorLayout();

    void addWidget(int leftMode, int topMode, int rightMode, int bottomMode, QWidget *widget);
    void relayout();

private:
    QVector<AnchorEntry> entries;
    MainWindow *window;
    QRect referenceRect;
};
