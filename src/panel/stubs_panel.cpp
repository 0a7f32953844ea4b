// Placeholder bodies; replaced by the switch-panel work.
#include "app/mainwindow.h"

void MainWindow::callEnvioFila() {}
void MainWindow::enviaComutacao(qint8) {}
void MainWindow::atualizaTeclas(qint8 *) {}
void MainWindow::clearUI(MainWindow *) {}
void MainWindow::insereComutacaoRXFila(qint8) {}
void MainWindow::paintPairHighlight(bool) {}
void MainWindow::paintSuperSplitKey() {}
void MainWindow::paintRxKeys() {}
void MainWindow::setStandbyStyle(QWidget *) {}
void MainWindow::on_botaoTecla1_pressed() {}
void MainWindow::on_botaoTecla2_pressed() {}
void MainWindow::on_botaoTecla3_pressed() {}
void MainWindow::on_botaoTecla4_pressed() {}
void MainWindow::on_botaoTecla5_pressed() {}
void MainWindow::on_botaoTecla6_pressed() {}
void MainWindow::on_botaoTecla7_pressed() {}
void MainWindow::on_botaoTecla8_pressed() {}
void MainWindow::on_botaoTeclaRX1_pressed() {}
void MainWindow::on_botaoTeclaRX2_pressed() {}
void MainWindow::on_botaoTeclaRX3_pressed() {}
void MainWindow::on_botaoTeclaRX4_pressed() {}
void MainWindow::on_botaoTeclaRTX_pressed() {}
