#include "link/seriallink.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/linksession.h"
#include "link/pacing.h"
#include "link/protocol.h"
#include "link/responses.h"
#include "link/wiretrace.h"
#include "radio/radiofollow.h"
#include "panel/styles.h"
#include "serialsettings/portidentity.h"
#include "serialsettings/settingsdialog.h"
#include "ui_mainwindow.h"

QSerialPort *serialPort = nullptr;
LinkSession linkSession;

WriteResult writeFrame(const quint8 *bytes, int n)
{
    if (n <= 0 || !serialPort || !serialPort->isOpen()) {
        // The turn is taken all the same, so a closed port keeps the cadence of an open
        // one instead of being asked again every cycle.
        lastFrameWritten.store(pacingNow(), std::memory_order_relaxed);
        return WriteResult::Skipped;
    }
    const qint64 written = serialPort->write(reinterpret_cast<const char *>(bytes), n);
    if (written != n) {
        traceWriteFailure(bytes, n, written, serialPort->errorString());
        return WriteResult::Failed;
    }
    traceWrite(bytes, n);
    lastFrameWritten.store(pacingNow(), std::memory_order_relaxed);
    return WriteResult::Written;
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
// tight loop, so each of them ends the connection; so does a write that fails.
bool meansDeviceLost(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::PermissionError:
        return true;
    default:
        return false;
    }
}

// The path to come back to after a loss. A USB adapter plugged back in may get another
// ttyUSB number; its link under /dev/serial/by-id keeps naming it.
QString stablePath(const QString &portName)
{
    const QString location = QSerialPortInfo(portName).systemLocation();
    return storedPortPath(location.isEmpty() ? portName : location, serialByIdFolder);
}

void decodeFrame(MainWindow *w, const QByteArray &frame)
{
    rxLength = qMin(int(frame.size()), rxBufferSize);
    std::copy_n(frame.constData(), rxLength, reinterpret_cast<char *>(rxBuffer));
    if (frame.at(2) == 'W') {
        linkSession.firmwareSeen = true;
        ++linkSession.firmwareFrames;
    } else {
        ++linkSession.statusFrames;
    }
    w->processaPacoteRecebido(w);
    // Stamped after the decoding: only whole responses keep the link alive.
    lastPacketTime = monotonicMs();
}

} // namespace

void MainWindow::openSerialPort()
{
    stopReconnecting();
    const SerialSettings p = settings ? settings->serialSettings() : SerialSettings();
    if (!openPort(p)) {
        showCriticalBox(this, tr("Error"), serialPort->errorString());
        statusBar()->showMessage(tr("Open error"));
    }
}

bool MainWindow::openPort(const SerialSettings &p)
{
    ensureSerialPort();
    // Keys pressed while no port was open were meant for no connection in particular;
    // sending them now would switch antennas nobody asked for, maybe on the air.
    switchQueue.clear();
    if (radioFollow)
        radioFollow->controllerLost();
    serialPort->setPortName(p.portName);
    serialPort->setBaudRate(p.baudRate, QSerialPort::AllDirections);
    serialPort->setDataBits(p.dataBits);
    serialPort->setParity(p.parity);
    serialPort->setStopBits(p.stopBits);
    serialPort->setFlowControl(p.flowControl);
    // Whatever a noisy line sends, the port holds no more than our own buffer does.
    serialPort->setReadBufferSize(RxFramer::capacity);
    connect(serialPort, &QSerialPort::errorOccurred, this, &MainWindow::handleError,
            Qt::UniqueConnection);
    if (!serialPort->open(QIODevice::ReadWrite))
        return false;

    // An answer that arrived after the last Disconnect may still wait in a
    // pseudo-terminal (socat, the simulator): this connection starts on an empty line.
    serialPort->clear(QSerialPort::Input);
    linkSession.start(monotonicMs());
    connectedSettings = p;
    connectedSettings.portName = stablePath(p.portName);
    ui->actionConfigure->setEnabled(false);
    ui->actionConnect_to_KELMAR->setEnabled(false);
    // One pass over all six, so a "%2" inside a typed device path stays as typed.
    statusBar()->showMessage(tr("Connected to %1 : %2, %3, %4, %5, %6")
                                 .arg(p.portName, p.baudRateText, p.dataBitsText, p.parityText,
                                      p.stopBitsText, p.flowControlText));
    sendFrame(txBuffer, assembleFirmwareQuery(txBuffer));
    return true;
}

void MainWindow::closeSerialPort()
{
    stopReconnecting();
    if (serialPort && serialPort->isOpen())
        serialPort->close();
    switchQueue.clear();
    linkSession.framer.clear();
    // After a reconnect nothing the switch said before counts until it reports again.
    if (radioFollow)
        radioFollow->controllerLost();
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
    if (reconnectsAutomatically())
        startReconnecting();
}

bool MainWindow::sendFrame(const quint8 *bytes, int n)
{
    if (writeFrame(bytes, n) != WriteResult::Failed)
        return true;
    handleError(QSerialPort::WriteError);
    return false;
}

void MainWindow::callEnviar()
{
    sendPosted.store(false, std::memory_order_release);
    ensureSerialPort();
    if (!decidePacing(pacingNow(), lastFrameWritten.load(), switchQueue.size()).sendPoll)
        return; // a late invocation after a stall: the pacing thread will ask again
    if (serialPort->isOpen() && linkSession.firmwareQueryDue(monotonicMs())) {
        // The first answer was lost; the poll can wait one turn.
        linkSession.firmwareAskedAgain = true;
        sendFrame(txBuffer, assembleFirmwareQuery(txBuffer));
        return;
    }
    // Assembled whether or not the port is open; written only when it is.
    sendFrame(txBuffer, assemblePoll(txBuffer));
}

void MainWindow::callReceber(MainWindow *w)
{
    receivePosted.store(false, std::memory_order_release);
    if (linkIsAlive(monotonicMs(), lastPacketTime)) {
        applyStyle(w->ui->botaoPower, styleLinkUp);
    } else {
        // Silence: light no TX key and return the whole panel to its idle look.
        qint8 none = 15;
        w->atualizaTeclas(&none);
        w->clearUI(w);
    }

    if (!serialPort || !serialPort->isOpen())
        return;
    // Everything waiting, every cycle: a response is taken out whole once it is all
    // here, wherever the reads happened to cut the stream.
    char chunk[512];
    while (serialPort->bytesAvailable() > 0) {
        const qint64 n = serialPort->read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        acceptBytes(w, chunk, int(n));
    }
}

void acceptBytes(MainWindow *w, const char *bytes, int n)
{
    const int lost = linkSession.framer.append(bytes, n);
    if (lost > 0)
        traceOverflow(lost);
    for (;;) {
        const RxFramer::Taken taken = linkSession.framer.next();
        if (taken.step == RxFramer::Step::Waiting)
            return;
        const bool frame = taken.step == RxFramer::Step::Frame;
        traceRead(reinterpret_cast<const quint8 *>(taken.bytes.constData()),
                  int(taken.bytes.size()), frame);
        if (frame && w)
            decodeFrame(w, taken.bytes);
    }
}
