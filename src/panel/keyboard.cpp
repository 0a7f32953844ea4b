#include "panel/keyboard.h"

#include <Qt>

int functionKeyPosition(int key, bool autoRepeat)
{
    if (autoRepeat || key < Qt::Key_F1 || key > Qt::Key_F8)
        return -1;
    return key - Qt::Key_F1;
}
