// Placeholder bodies; replaced by the response-decoding work.
#include "app/mainwindow.h"

void MainWindow::processaPacoteRecebido(MainWindow *) {}
void MainWindow::processaPDR(MainWindow *) {}
