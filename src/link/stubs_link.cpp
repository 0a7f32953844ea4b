// Placeholder bodies; replaced by the device-link work.
#include "app/mainwindow.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"

QSerialPort *serialPort = nullptr;

quint8 txBuffer[txBufferSize] = {};
quint8 rxBuffer[rxBufferSize] = {};
int rxLength = 0;
int assemblePoll(quint8 *) { return 0; }
int assembleFirmwareQuery(quint8 *) { return 0; }
int assembleCommand(CommandWord, quint8 *) { return 0; }

ThreadLeitura::ThreadLeitura(MainWindow *w) : mainWindow(w) {}
ThreadLeitura::~ThreadLeitura() = default;
void ThreadLeitura::stopAndWait() {}
void ThreadLeitura::run() {}

void MainWindow::callEnviar() {}
void MainWindow::callReceber(MainWindow *) {}
void MainWindow::openSerialPort() {}
void MainWindow::closeSerialPort() {}
void MainWindow::readData() {}
void MainWindow::handleError(QSerialPort::SerialPortError) {}
