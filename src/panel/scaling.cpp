#include "panel/scaling.h"

namespace {
int truncated(double value)
{
    return int(value); // toward zero, as the conversion does
}

int followEdge(int mode, int base, int current, int growth)
{
    switch (mode) {
    case AnchorFixed:
        return base;
    case AnchorFollow:
        return base + growth;
    default:
        return current;
    }
}
} // namespace

QRect scaleRect(const QRect &origRect, int width, int height, int referenceWidth,
                int referenceHeight)
{
    const double sx = double(width) / double(referenceWidth);
    const double sy = double(height) / double(referenceHeight);
    const int left = truncated(origRect.left() * sx);
    const int right = truncated(origRect.right() * sx);
    const int top = truncated(origRect.top() * sy);
    const int bottom = truncated(origRect.bottom() * sy);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect anchoredRect(const AnchorEntry &entry, const QRect &current, const QSize &window,
                   const QSize &reference)
{
    if (entry.leftMode == AnchorProportional) {
        const QRect orig(QPoint(entry.origLeft, entry.origTop),
                         QPoint(entry.origRight, entry.origBottom));
        return scaleRect(orig, window.width(), window.height(), reference.width(),
                         reference.height());
    }
    const int dw = window.width() - reference.width();
    const int dh = window.height() - reference.height();
    const int left = followEdge(entry.leftMode, entry.baseLeft, current.left(), dw);
    const int right = followEdge(entry.rightMode, entry.baseRight, current.right(), dw);
    const int top = followEdge(entry.topMode, entry.baseTop, current.top(), dh);
    const int bottom = followEdge(entry.bottomMode, entry.baseBottom, current.bottom(), dh);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

qint16 textPixelSize(int windowWidth)
{
    return qint16(windowWidth / 140 + 5);
}

qint16 groupPixelSize(long size, TextGroup group)
{
    switch (group) {
    case TextGroup::Orvik:
        return qint16(size + 5);
    case TextGroup::RemoteControl:
        return qint16(size + 2);
    case TextGroup::Korvane:
        return qint16(size + 6);
    case TextGroup::Site:
        return qint16(size + 1);
    case TextGroup::Panel:
        break;
    }
    return qint16(size);
}
