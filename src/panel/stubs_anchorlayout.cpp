// Placeholder bodies; replaced by the resizing work.
#include "panel/anchorlayout.h"

C4SAnchorLayout::C4SAnchorLayout(MainWindow *w) : window(w) {}
C4SAnchorLayout::~C4SAnchorLayout() = default;
void C4SAnchorLayout::addWidget(int, int, int, int, QWidget *) {}
void C4SAnchorLayout::relayout() {}
