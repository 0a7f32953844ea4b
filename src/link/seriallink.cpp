#include "link/seriallink.h"

#include <QSerialPort>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/pacing.h"
#include "link/protocol.h"
#include "link/responses.h"
#include "link/wiretrace.h"
#include "panel/styles.h"
#include "serialsettings/settingsdialog.h"
#include "ui_mainwindow.h"

QSerialPort *serialPort = nullptr;

void writeFrame(const quint8 *bytes, int n)
{
    if (n <= 0 || !serialPort || !serialPort->isOpen())
        return;
    traceWrite(bytes, n);
    serialPort->write(reinterpret_cast<const char *>(bytes), n);
    lastFrameWritten.store(pacingNow().count(), std::memory_order_relaxed);
}

namespace {

// Set while the "Critical Error" box of one loss is open, so a second report of the
// same loss can never stack a second box on top of it.
bool reportingLoss = false;

// The window creates the port; a sender that finds none makes one rather than crash.
void ensureSerialPort()
{
    if (!serialPort)
        serialPort = new QSerialPort;
}

// The errors a port reports once the device behind it has gone (a USB adapter pulled,
// the far end of a pseudo-terminal closed). Left open, the port repeats them in a
// tight loop, so each of them ends the connection.
bool meansDeviceLost(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::PermissionError:
        return true;
    default:
        return false;
    }
}

} // namespace

void MainWindow::openSerialPort()
{
    ensureSerialPort();
    const SerialSettings p = settings ? settings->serialSettings() : SerialSettings();
    serialPort->setPortName(p.portName);
    serialPort->setBaudRate(p.baudRate, QSerialPort::AllDirections);
    serialPort->setDataBits(p.dataBits);
    serialPort->setParity(p.parity);
    serialPort->setStopBits(p.stopBits);
    serialPort->setFlowControl(p.flowControl);
    connect(serialPort, &QSerialPort::errorOccurred, this, &MainWindow::handleError,
            Qt::UniqueConnection);

    if (!serialPort->open(QIODevice::ReadWrite)) {
        showCriticalBox(this, tr("Error"), serialPort->errorString());
        statusBar()->showMessage(tr("Open error"));
        return;
    }
    // An answer that arrived after the last Disconnect may still wait in a
    // pseudo-terminal (socat, the simulator); read together with the firmware answer it
    // would hide it, so we start the conversation on an empty line.
    serialPort->clear(QSerialPort::Input);
    ui->actionConfigure->setEnabled(false);
    ui->actionConnect_to_KELMAR->setEnabled(false);
    // One pass over all six, so a "%2" inside a typed device path stays as typed.
    statusBar()->showMessage(tr("Connected to %1 : %2, %3, %4, %5, %6")
                                 .arg(p.portName, p.baudRateText, p.dataBitsText,
                                      p.parityText, p.stopBitsText, p.flowControlText));
    writeFrame(txBuffer, assembleFirmwareQuery(txBuffer));
}

void MainWindow::closeSerialPort()
{
    if (serialPort && serialPort->isOpen())
        serialPort->close();
    ui->actionConfigure->setEnabled(true);
    ui->actionConnect_to_KELMAR->setEnabled(true);
    statusBar()->showMessage(tr("Disconnected"));
}

// Connected to nothing on purpose: on the data-ready signal it would swallow the
// responses that callReceber reads.
void MainWindow::readData()
{
    if (serialPort)
        serialPort->readAll();
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (!meansDeviceLost(error) || reportingLoss || !serialPort || !serialPort->isOpen())
        return;
    const QString reason = serialPort->errorString();
    // Close before the box: a closed port stops reporting, so the box's own event
    // loop runs quietly instead of delivering the same error again and again.
    serialPort->close();
    reportingLoss = true;
    showCriticalBox(this, tr("Critical Error"), reason);
    reportingLoss = false;
    closeSerialPort();
}

void MainWindow::callEnviar()
{
    ensureSerialPort();
    // Assembled whether or not the port is open; written only when it is.
    writeFrame(txBuffer, assemblePoll(txBuffer));
}

void MainWindow::callReceber(MainWindow *w)
{
    if (linkIsAlive(monotonicMs(), lastPacketTime)) {
        applyStyle(w->ui->botaoPower, styleLinkUp);
    } else {
        // Silence: light no TX key and return the whole panel to its idle look.
        qint8 none = 15;
        w->atualizaTeclas(&none);
        w->clearUI(w);
    }

    if (!serialPort || !enoughToRead(serialPort->bytesAvailable()))
        return;
    const qint64 n = serialPort->read(reinterpret_cast<char *>(rxBuffer), rxBufferSize);
    acceptRead(w, n > 0 ? int(n) : 0);
}

void acceptRead(MainWindow *w, int n)
{
    rxLength = n > 0 ? qMin(n, rxBufferSize) : 0;
    // Only a complete response is decoded and counts as a sign of life: a short one
    // that still ends in ";" would be decoded from stale bytes of earlier reads.
    const bool accepted = isCompleteResponse(rxBuffer, rxLength);
    traceRead(rxBuffer, rxLength, accepted);
    if (!accepted || !w)
        return;
    w->processaPacoteRecebido(w);
    // Stamped after the decoding: only accepted responses keep the link alive.
    lastPacketTime = monotonicMs();
}
