#include <QElapsedTimer>
#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"

namespace {

// The controller's end of a pseudo-terminal, recording what the panel writes and
// when each chunk arrived. It reads on a thread of its own so that the arrival times
// do not depend on when the GUI thread gets round to looking.
class WireRecorder
{
public:
    WireRecorder() = default;
    WireRecorder(const WireRecorder &) = delete;
    WireRecorder &operator=(const WireRecorder &) = delete;
    ~WireRecorder()
    {
        stop();
        if (masterFd >= 0)
            ::close(masterFd);
        if (slaveFd >= 0)
            ::close(slaveFd);
    }

    bool open()
    {
        char name[256] = {};
        if (::openpty(&masterFd, &slaveFd, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        ::tcgetattr(slaveFd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveFd, TCSANOW, &tio);
        // Our slave descriptor stays open so the master never sees a hang-up while the
        // panel closes and reopens the port.
        slavePath = QString::fromLocal8Bit(name);
        clock.start();
        reader = std::thread([this] { readLoop(); });
        return true;
    }

    void stop()
    {
        stopping = true;
        if (reader.joinable())
            reader.join();
    }

    QByteArray bytes() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        QByteArray all;
        for (const Chunk &chunk : chunks)
            all += chunk.bytes;
        return all;
    }

    // Arrival time (ns on the recorder's clock) of the byte at this offset.
    qint64 arrivalOf(int offset) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const Chunk &chunk : chunks) {
            if (offset < chunk.bytes.size())
                return chunk.at;
            offset -= chunk.bytes.size();
        }
        return -1;
    }

    // Keeps the GUI thread turning (the port writes from its event loop) until at
    // least count bytes have arrived.
    bool waitFor(int count, int ms = 5000)
    {
        QDeadlineTimer deadline(ms);
        while (bytes().size() < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return bytes().size() >= count;
    }

    QString slavePath;

private:
    struct Chunk
    {
        qint64 at;
        QByteArray bytes;
    };

    void readLoop()
    {
        while (!stopping) {
            pollfd p{masterFd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
                continue;
            const qint64 at = clock.nsecsElapsed();
            char buffer[256];
            const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard<std::mutex> lock(mutex);
                chunks.push_back({at, QByteArray(buffer, int(n))});
            }
        }
    }

    int masterFd = -1;
    int slaveFd = -1;
    QElapsedTimer clock;
    std::thread reader;
    std::atomic<bool> stopping{false};
    mutable std::mutex mutex;
    std::vector<Chunk> chunks;
};

} // namespace

// Switching commands as they leave on a real pseudo-terminal.
class SwitchingWireTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void quickPressesLeaveInOrderAndPaced();
    void selectAfterSplitIsFiveBytes();
    void wordTakenWhilePortClosedIsDropped();

private:
    QPushButton *key(const char *name) { return window->findChild<QPushButton *>(name); }
    bool openPort()
    {
        serialPort->setPortName(wire->slavePath);
        return serialPort->open(QIODevice::ReadWrite);
    }

    MainWindow *window = nullptr;
    WireRecorder *wire = nullptr;
};

void SwitchingWireTest::initTestCase()
{
    qRegisterMetaType<MainWindow *>("MainWindow*");
}

void SwitchingWireTest::init()
{
    panelState = PanelState{};
    window = new MainWindow;
    wire = new WireRecorder;
    QVERIFY(wire->open());
    QVERIFY(openPort());
}

void SwitchingWireTest::cleanup()
{
    delete window;
    window = nullptr;
    delete wire;
    wire = nullptr;
}

void SwitchingWireTest::quickPressesLeaveInOrderAndPaced()
{
    QTest::mousePress(key("botaoTecla4"), Qt::LeftButton);
    QTest::mousePress(key("botaoTecla1"), Qt::LeftButton);
    QTest::mousePress(key("botaoTecla7"), Qt::LeftButton);

    ThreadLeitura pacing(window);
    // the three selects, then the first poll once the queue has drained
    const bool arrived = wire->waitFor(20);
    pacing.stopAndWait();
    QVERIFY(arrived);

    const QByteArray sent = wire->bytes();
    QCOMPARE(sent.left(20), QByteArray("IGS3;IGS0;IGS6;IGT3;"));

    // The pacing thread spaces its asks by more than 100 ms; the GUI thread writes each
    // word when it wakes, which can lag the ask by a few milliseconds, so the bound
    // allows 5 ms of that lag. Unpaced words would arrive within one 25 ms cycle.
    const qint64 boundNs = 95 * 1000 * 1000;
    QVERIFY2(wire->arrivalOf(5) - wire->arrivalOf(0) >= boundNs,
             qPrintable(QString::number(wire->arrivalOf(5) - wire->arrivalOf(0))));
    QVERIFY2(wire->arrivalOf(10) - wire->arrivalOf(5) >= boundNs,
             qPrintable(QString::number(wire->arrivalOf(10) - wire->arrivalOf(5))));
}

// The split command is the longest; the select after it must not carry its tail.
void SwitchingWireTest::selectAfterSplitIsFiveBytes()
{
    panelState.currentTxPos = 2;
    panelState.splitAwaitingTx = 1;
    QTest::mousePress(key("botaoTecla6"), Qt::LeftButton); // completes the split set-up
    QTest::mousePress(key("botaoTecla7"), Qt::LeftButton); // moves the split partner
    QCOMPARE(window->switchQueue.toList(), (QList<CommandWord>{0x3650, 0x0653}));

    window->callEnvioFila();
    window->callEnvioFila();
    QVERIFY(wire->waitFor(12));
    QTest::qWait(200); // anything more would be a fault
    QCOMPARE(wire->bytes(), QByteArray("IGP251;IGS6;"));
}

void SwitchingWireTest::wordTakenWhilePortClosedIsDropped()
{
    QTest::mousePress(key("botaoTecla2"), Qt::LeftButton);
    serialPort->close();
    window->callEnvioFila();
    QVERIFY(window->switchQueue.isEmpty());

    QVERIFY(openPort());
    window->callEnvioFila(); // nothing left to send
    QTest::mousePress(key("botaoTecla3"), Qt::LeftButton);
    window->callEnvioFila();
    QVERIFY(wire->waitFor(5));
    QTest::qWait(200);
    QCOMPARE(wire->bytes(), QByteArray("IGS2;"));
}

ORVIK_ISOLATED_SETTINGS_MAIN(SwitchingWireTest, "switchingwire")
#include "tst_switching_wire.moc"
