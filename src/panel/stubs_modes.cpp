// Placeholder bodies; replaced by the operating-modes and resizing work.
#include "app/mainwindow.h"

void MainWindow::resizeAllTexts(long) {}
void MainWindow::resizeEvent(QResizeEvent *) {}
void MainWindow::setWidgetPixelSize(QWidget *, int) {}
void MainWindow::toggleSplit() {}
void MainWindow::toggleSuperSplit() {}
void MainWindow::pressRotor(int) {}
void MainWindow::on_rotor1_clicked() {}
void MainWindow::on_rotor2_clicked() {}
void MainWindow::on_rotor3_clicked() {}
void MainWindow::on_rotor4_clicked() {}
void MainWindow::on_split_clicked() {}
void MainWindow::on_superSplit_clicked() {}
void MainWindow::on_botaoRelease_clicked() {}
void MainWindow::on_actionRelease_ALL_triggered() {}
void MainWindow::on_actionEnable_triggered() {}
void MainWindow::on_botaoRotor1_clicked() {}
void MainWindow::on_botaoRotor2_clicked() {}
void MainWindow::on_botaoRotor3_clicked() {}
void MainWindow::on_botaoRotor4_clicked() {}
void MainWindow::on_botaoSplit_clicked() {}
void MainWindow::on_botaoSuperSplit_clicked() {}
void MainWindow::loadSettings() {}
void MainWindow::loadPortSettings() {}
void MainWindow::on_actionLabels_triggered() {}
void MainWindow::registerResizableWidgets() {}
