// Placeholder bodies; replaced by the labels dialog work.
#include "config/labels.h"

labels::labels(QWidget *parent, MainWindow *w) : QDialog(parent), mainWindow(w) {}
labels::~labels() = default;
void labels::loadLabels() {}
void labels::saveLabels() {}
void labels::on_buttonBox_accepted() {}
