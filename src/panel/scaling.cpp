#include "panel/scaling.h"

namespace {
int truncated(double value)
{
    return int(value); // toward zero, as the conversion does
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
