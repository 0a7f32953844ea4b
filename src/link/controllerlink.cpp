#include "link/controllerlink.h"

#include <QCoreApplication>
#include <QSerialPortInfo>
#include <QThread>

#include "link/clock.h"
#include "link/protocol.h"
#include "link/stableportpath.h"
#include "link/wiretrace.h"

namespace {

// The errors a port reports once the device behind it has gone (a USB adapter pulled,
// the far end of a pseudo-terminal closed). Left open, the port repeats them in a tight
// loop, so each of them ends the connection; so does a write that fails.
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

// Wakes the link's thread to take the commands waiting for it.
const QEvent::Type commandsWaiting = QEvent::Type(QEvent::User + 1);

// Positions travel as position + 1 so that nibble 0 can mean "none".
quint8 nibbles(int high, int low)
{
    return quint8((high << 4) | (low & 0x0F));
}

} // namespace

ControllerLink::ControllerLink(QObject *parent) : QObject(parent), lastPacketMs(monotonicMs())
{
    qRegisterMetaType<SwitchStatus>();
    qRegisterMetaType<FirmwareRevision>();
    // Queued signals look their argument types up by the name they are declared with.
    qRegisterMetaType<PortSettings>("PortSettings");
    // A timer fires a millisecond late rather than a fraction early; the pacing rule is
    // checked again when it does.
    for (QTimer *timer : {&sendTimer, &watchdog}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    reconnectTimer.setInterval(reconnectIntervalMs);
    connect(&sendTimer, &QTimer::timeout, this, &ControllerLink::sendTurn);
    connect(&watchdog, &QTimer::timeout, this, &ControllerLink::watchdogExpired);
    connect(&reconnectTimer, &QTimer::timeout, this, &ControllerLink::tryReconnect);
    connect(&port, &QSerialPort::readyRead, this, &ControllerLink::readAvailable);
    connect(&port, &QSerialPort::errorOccurred, this, &ControllerLink::portError);
    watchdog.start(int(linkSilenceLimitMs) + 1);
}

ControllerLink::~ControllerLink() = default;

template<typename F> void ControllerLink::inLinkThread(F &&f)
{
    // At once when called from the link's own thread; otherwise in the link's thread, in
    // the order called.
    if (QThread::currentThread() == thread()) {
        f();
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(inboxLock);
        inbox.emplace_back(std::forward<F>(f));
    }
    QCoreApplication::postEvent(this, new QEvent(commandsWaiting));
}

// Whatever event comes, the commands waiting go first: the one posted with them only
// wakes the thread, and nothing of it needs reading.
bool ControllerLink::event(QEvent *event)
{
    std::vector<std::function<void()>> commands;
    {
        const std::lock_guard<std::mutex> lock(inboxLock);
        commands.swap(inbox);
    }
    for (const std::function<void()> &command : commands)
        command();
    return QObject::event(event);
}

void ControllerLink::selectTx(int antenna)
{
    queueWord(makeCommandWord('S', quint8(antenna - 1)));
}

void ControllerLink::selectRx(int key)
{
    queueWord(makeCommandWord('Y', quint8(key)));
}

void ControllerLink::setSplit(int first, int second)
{
    queueWord(makeCommandWord('P', nibbles(first, second)));
}

void ControllerLink::clearSplit()
{
    queueWord(makeCommandWord('P', 0));
}

void ControllerLink::setSuperSplit(quint8 group)
{
    queueWord(makeCommandWord('Q', group));
}

void ControllerLink::setRotor(int rotor, int txAntenna)
{
    inLinkThread([this, rotor, txAntenna] {
        const int antenna = txAntenna >= 0 ? txAntenna : lastStatus ? lastStatus->txPos + 1 : 1;
        queueWord(makeCommandWord('V', nibbles(antenna, rotor)));
    });
}

void ControllerLink::release(bool all)
{
    queueWord(makeCommandWord('X', all ? 1 : 0));
}

void ControllerLink::queueWord(CommandWord word)
{
    inLinkThread([this, word] {
        queue.append(word);
        scheduleSend();
    });
}

void ControllerLink::open(const PortSettings &settings)
{
    inLinkThread([this, settings] {
        reconnectTimer.stop();
        reconnectUnconfirmed = false;
        if (!openPort(settings))
            emit openFailed(port.errorString());
    });
}

bool ControllerLink::openPort(const PortSettings &settings)
{
    if (port.isOpen())
        port.close();
    // Keys pressed for an earlier connection, or while none was open, were meant for no
    // connection now: sent on this one they would switch antennas nobody asked for, maybe
    // on the air.
    queue.clear();
    port.setPortName(settings.portName);
    port.setBaudRate(settings.baudRate, QSerialPort::AllDirections);
    port.setDataBits(settings.dataBits);
    port.setParity(settings.parity);
    port.setStopBits(settings.stopBits);
    port.setFlowControl(settings.flowControl);
    // Whatever a noisy line sends, the port holds no more than our own buffer does.
    port.setReadBufferSize(RxFramer::capacity);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    // An answer that arrived after the last Disconnect may still wait in a
    // pseudo-terminal (socat, the simulator): this connection starts on an empty line.
    port.clear(QSerialPort::Input);
    session.start(monotonicMs());
    wordsInARow = 0;
    connected = settings;
    connected.portName = stablePath(settings.portName);
    emit opened(settings);
    // The firmware query goes at once; everything after it waits its turn.
    if (writeFrame(firmwareQueryFrame()))
        scheduleSend();
    return true;
}

void ControllerLink::close()
{
    inLinkThread([this] {
        reconnectTimer.stop();
        reconnectUnconfirmed = false;
        sendTimer.stop();
        port.close();
        queue.clear();
        session.framer.clear();
        emit closed();
    });
}

void ControllerLink::setReconnecting(bool on)
{
    inLinkThread([this, on] {
        reconnectEnabled = on;
        if (!on)
            reconnectTimer.stop();
    });
}

void ControllerLink::finish()
{
    inLinkThread([this] {
        QThread *own = thread();
        deleteLater();
        own->quit();
    });
}

void ControllerLink::scheduleSend()
{
    if (!port.isOpen()) {
        sendTimer.stop();
        return;
    }
    sendTimer.start(
        int(untilNextSend(pacingNow(), lastFrameWritten, queue.size(), wordsInARow).count()));
}

void ControllerLink::sendTurn()
{
    if (!port.isOpen())
        return;
    const PacingDecision decision =
        decidePacing(pacingNow(), lastFrameWritten, queue.size(), wordsInARow);
    if (decision.sendQueued) {
        // The word leaves the queue whether or not the port takes it.
        ++wordsInARow;
        writeFrame(commandFrame(queue.takeFirst()));
    } else if (decision.sendPoll) {
        wordsInARow = 0;
        if (session.firmwareQueryDue(monotonicMs())) {
            // The first answer was lost; the poll can wait one turn.
            session.firmwareAskedAgain = true;
            writeFrame(firmwareQueryFrame());
        } else {
            writeFrame(pollFrame());
        }
    }
    scheduleSend();
}

bool ControllerLink::writeFrame(const QByteArray &frame)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(frame.constData());
    const int n = int(frame.size());
    if (n <= 0 || !port.isOpen())
        return false;
    const qint64 written = port.write(frame);
    if (written != n) {
        traceWriteFailure(bytes, n, written, port.errorString());
        loseConnection(port.errorString());
        return false;
    }
    traceWrite(bytes, n);
    lastFrameWritten = pacingNow();
    // On the line now, not when the event loop next turns: the stamp is the frame's.
    port.flush();
    return port.isOpen();
}

void ControllerLink::readAvailable()
{
    // Everything waiting: a response is taken out whole once it is all here, wherever
    // the reads happened to cut the stream.
    char chunk[512];
    while (port.isOpen() && port.bytesAvailable() > 0) {
        const qint64 n = port.read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        acceptBytes(chunk, int(n));
    }
}

void ControllerLink::acceptBytes(const char *bytes, int n)
{
    const int lostBytes = session.framer.append(bytes, n);
    if (lostBytes > 0)
        traceOverflow(lostBytes);
    for (;;) {
        const RxFramer::Taken taken = session.framer.next();
        if (taken.step == RxFramer::Step::Waiting)
            return;
        const bool frame = taken.step == RxFramer::Step::Frame;
        traceRead(reinterpret_cast<const quint8 *>(taken.bytes.constData()),
                  int(taken.bytes.size()), frame);
        if (frame)
            decodeFrame(taken.bytes);
    }
}

void ControllerLink::decodeFrame(const QByteArray &frame)
{
    if (const auto status = SwitchStatus::decode(frame)) {
        lastStatus = status;
        emit statusReceived(*status);
    } else if (const auto revision = FirmwareRevision::decode(frame)) {
        session.firmwareSeen = true;
        emit firmwareReceived(*revision);
    } else {
        return;
    }
    // Only whole answers keep the link alive, and a reconnect is confirmed by one.
    reconnectUnconfirmed = false;
    lastPacketMs = monotonicMs();
    watchdog.start(int(linkSilenceLimitMs) + 1);
    if (!alive) {
        alive = true;
        emit aliveChanged(true);
    }
}

void ControllerLink::watchdogExpired()
{
    const qint64 now = monotonicMs();
    if (linkIsAlive(now, lastPacketMs)) {
        watchdog.start(int(linkSilenceLimitMs - (now - lastPacketMs)) + 1);
    } else if (alive) {
        alive = false;
        emit aliveChanged(false);
    }
}

void ControllerLink::portError(QSerialPort::SerialPortError error)
{
    if (meansDeviceLost(error) && port.isOpen())
        loseConnection(port.errorString());
}

void ControllerLink::loseConnection(const QString &reason)
{
    // Closed first: a closed port stops reporting, so one loss is reported once.
    sendTimer.stop();
    port.close();
    queue.clear();
    session.framer.clear();
    // The reconnect starts now, before anybody is told: nobody may be there to answer.
    if (reconnectEnabled)
        reconnectTimer.start();
    if (!reconnectUnconfirmed)
        emit lost(reason);
    reconnectUnconfirmed = false;
    if (reconnectEnabled)
        emit reconnecting(connected.portName);
}

// Quietly: a message every two seconds while the adapter is away would help nobody.
void ControllerLink::tryReconnect()
{
    if (port.isOpen()) {
        reconnectTimer.stop();
        return;
    }
    // Open, and still open after the firmware query: a port that takes no bytes has been
    // lost again, quietly, and the waiting goes on.
    reconnectUnconfirmed = true;
    if (openPort(connected) && port.isOpen())
        reconnectTimer.stop();
}
