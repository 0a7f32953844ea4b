// Placeholder bodies; replaced by the about dialog work.
#include "app/about.h"

about::about(QWidget *parent) : QDialog(parent) {}
about::~about() = default;
