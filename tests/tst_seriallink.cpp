#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSerialPort>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/mainwindow.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/styles.h"
#include "ptypair.h"
#include "serialsettings/settingsdialog.h"

// The serial link over real pseudo-terminals: the panel's QSerialPort on the slave,
// the test as the controller on the master.
class TestSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connectSendsFirmwareQueryFirst();
    void pollsAreExactlyFiveBytes();
    void pacingThreadPollsAndStops();
    void openFailure_data();
    void openFailure();
    void disconnectWithoutPort();
    void framing_data();
    void framing();
    void twoResponsesAtOnceRecover();
    void watchdog_data();
    void watchdog();
    void hangUpReportsOnceAndReconnects();
    void hangUpWithTheRealBox();

private:
    struct Box
    {
        QString title;
        QString statusBefore;
        bool portOpen;
    };

    void choosePort(const QString &path);
    bool connectTo(PtyPair &pty);
    bool waitForWaiting(qint64 count);
    QString status() const { return window->statusBar()->currentMessage(); }
    QAction *action(const char *name) const { return window->findChild<QAction *>(name); }

    QTemporaryDir dataHome;
    MainWindow *window = nullptr;
    QList<Box> boxes;
};

void TestSerialLink::initTestCase()
{
    // The port selection file goes to a data folder of this run's own.
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    qRegisterMetaType<MainWindow *>("MainWindow*");
}

void TestSerialLink::init()
{
    window = new MainWindow;
    boxes.clear();
    setCriticalBoxHook([this](QWidget *, const QString &title, const QString &) {
        boxes.append({title, status(), serialPort && serialPort->isOpen()});
    });
}

void TestSerialLink::cleanup()
{
    setCriticalBoxHook({});
    delete window->settingsDialog();
    delete window;
    window = nullptr;
}

void TestSerialLink::choosePort(const QString &path)
{
    SettingsDialog *dialog = window->settingsDialog();
    auto *ports = dialog->findChild<QComboBox *>("serialPortInfoListBox");
    ports->setCurrentIndex(ports->count() - 1); // "Custom"
    ports->setEditText(path);
    dialog->findChild<QPushButton *>("applyButton")->click();
}

bool TestSerialLink::connectTo(PtyPair &pty)
{
    if (!pty.open())
        return false;
    choosePort(pty.slavePath());
    window->openSerialPort();
    return serialPort->isOpen() && pty.read(4) == "IGW;";
}

// Lets the port take in what the master wrote, without the panel reading it.
bool TestSerialLink::waitForWaiting(qint64 count)
{
    QDeadlineTimer deadline(3000);
    while (serialPort->bytesAvailable() < count && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return serialPort->bytesAvailable() == count;
}

void TestSerialLink::connectSendsFirmwareQueryFirst()
{
    PtyPair pty;
    QVERIFY(pty.open());
    choosePort(pty.slavePath());
    action("actionConfigure")->setEnabled(true);
    window->openSerialPort();

    QVERIFY(serialPort->isOpen());
    // Exactly four bytes: wait for more than could arrive.
    QCOMPARE(pty.read(5, 300), QByteArray("IGW;"));
    QCOMPARE(status(), QStringLiteral("Connected to %1 : 9600, 8, None, 1, None")
                           .arg(pty.slavePath()));
    QVERIFY(!action("actionConfigure")->isEnabled());
    QVERIFY(!action("actionConnect_to_KELMAR")->isEnabled());
    QVERIFY(action("actionDisconnect")->isEnabled());
    QVERIFY(boxes.isEmpty());

    window->closeSerialPort();
    QVERIFY(!serialPort->isOpen());
    QCOMPARE(status(), QStringLiteral("Disconnected"));
    QVERIFY(action("actionConnect_to_KELMAR")->isEnabled());
}

void TestSerialLink::pollsAreExactlyFiveBytes()
{
    PtyPair pty;
    QVERIFY(connectTo(pty));
    // A longer command assembled before must not lengthen the poll.
    assembleCommand(makeCommandWord('P', 0x36), txBuffer);
    for (int i = 0; i < 3; ++i)
        window->callEnviar();
    QCOMPARE(pty.read(16, 300), QByteArray("IGT3;IGT3;IGT3;"));

    // Closed: nothing reaches the line.
    window->closeSerialPort();
    window->callEnviar();
    QVERIFY(!serialPort->isOpen());
}

void TestSerialLink::pacingThreadPollsAndStops()
{
    PtyPair pty;
    QVERIFY(connectTo(pty));
    {
        ThreadLeitura pacing(window);
        const QByteArray polls = pty.read(15);
        pacing.stopAndWait();
        QVERIFY(pacing.isFinished());
        QVERIFY(polls.size() >= 15);
        QCOMPARE(polls, QByteArray("IGT3;").repeated(polls.size() / 5));
    }
    {
        // Destroyed without an explicit stop: the destructor joins the loop itself.
        ThreadLeitura pacing(window);
        QVERIFY(pacing.isRunning());
    }
}

void TestSerialLink::openFailure_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing device") << dataHome.filePath("no-such-tty");
    QTest::newRow("a directory") << dataHome.path();
    QTest::newRow("not a terminal") << dataHome.filePath("plain-file");
}

void TestSerialLink::openFailure()
{
    QFETCH(QString, path);
    QFile plain(dataHome.filePath("plain-file"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    choosePort(path);
    window->openSerialPort();

    QVERIFY(!serialPort->isOpen());
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Error"));
    // The box comes first, the status line after it.
    QVERIFY(boxes.first().statusBefore != QStringLiteral("Open error"));
    QCOMPARE(status(), QStringLiteral("Open error"));
    QVERIFY(action("actionConfigure")->isEnabled());
    QVERIFY(action("actionConnect_to_KELMAR")->isEnabled());
}

void TestSerialLink::disconnectWithoutPort()
{
    action("actionConfigure")->setEnabled(false);
    action("actionConnect_to_KELMAR")->setEnabled(false);
    action("actionDisconnect")->trigger();
    QCOMPARE(status(), QStringLiteral("Disconnected"));
    QVERIFY(action("actionConfigure")->isEnabled());
    QVERIFY(action("actionConnect_to_KELMAR")->isEnabled());
    QVERIFY(boxes.isEmpty());
}

static QByteArray statusResponse(quint8 tx, quint8 busyMask = 0xFF)
{
    QByteArray r("IGT", 3);
    r.append(char(tx)).append('\0').append(char(busyMask));
    r.append(QByteArray(5, '\0')).append('\1').append(';');
    return r; // 13 bytes
}

void TestSerialLink::framing_data()
{
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<int>("readLength"); // 0: nothing read
    QTest::addColumn<bool>("accepted");

    QTest::newRow("ten bytes wait") << QByteArray("IGW\1\2xxxx;", 10) << 0 << false;
    QTest::newRow("the eleventh triggers") << QByteArray("IGW\1\2xxxxx;") << 11 << true;
    QTest::newRow("status response") << statusResponse(2) << 13 << true;
    QTest::newRow("';' inside the mask") << statusResponse(2, 0x3B) << 13 << true;
    QTest::newRow("garbage") << QByteArray("garbage-garbage") << 15 << false;
    QTest::newRow("cut response") << statusResponse(2).left(12) << 12 << false;
    // A status response must be read whole: a short one would be decoded from stale bytes.
    QTest::newRow("short status ending in ';'") << statusResponse(2).left(10).append(';') << 11
                                               << false;
    QTest::newRow("more than twenty") << QByteArray(24, ';') << 20 << true;
}

// The read decision seen from the port: how much callReceber takes, and whether the
// link counts the read as a response (only those move lastPacketTime).
void TestSerialLink::framing()
{
    QFETCH(QByteArray, waiting);
    QFETCH(int, readLength);
    QFETCH(bool, accepted);

    PtyPair pty;
    QVERIFY(connectTo(pty));
    QVERIFY(pty.write(waiting));
    QVERIFY(waitForWaiting(waiting.size()));

    const qint64 stale = monotonicMs() - 100000;
    lastPacketTime = stale;
    rxLength = -1;
    window->callReceber(window);

    QCOMPARE(serialPort->bytesAvailable(), qint64(waiting.size() - readLength));
    QCOMPARE(rxLength, readLength == 0 ? -1 : readLength);
    QCOMPARE(lastPacketTime != stale, accepted);
    if (readLength > 0) {
        QCOMPARE(QByteArray(reinterpret_cast<char *>(rxBuffer), readLength),
                 waiting.left(readLength));
        return;
    }
    // What was left waiting is read whole once the byte that completes it arrives.
    QVERIFY(pty.write(";"));
    QVERIFY(waitForWaiting(waiting.size() + 1));
    window->callReceber(window);
    QCOMPARE(rxLength, waiting.size() + 1);
    QVERIFY(lastPacketTime != stale);
}

// Two responses waiting at once: the first read ends inside the second and is dropped,
// the tail waits for the next response, that read ends in ";" but starts mid-response,
// and the response after it lands whole again.
void TestSerialLink::twoResponsesAtOnceRecover()
{
    PtyPair pty;
    QVERIFY(connectTo(pty));
    const qint64 stale = monotonicMs() - 100000;

    QVERIFY(pty.write(statusResponse(1) + statusResponse(2)));
    QVERIFY(waitForWaiting(26));
    lastPacketTime = stale;
    window->callReceber(window);
    QCOMPARE(rxLength, 20);
    QCOMPARE(lastPacketTime, stale);
    QCOMPARE(serialPort->bytesAvailable(), qint64(6));

    window->callReceber(window); // six bytes are not enough
    QCOMPARE(serialPort->bytesAvailable(), qint64(6));

    QVERIFY(pty.write(statusResponse(3)));
    QVERIFY(waitForWaiting(19));
    window->callReceber(window);
    QCOMPARE(rxLength, 19);
    QVERIFY(rxBuffer[0] != 'I'); // framed, but not a response the decoder will take
    QCOMPARE(rxBuffer[18], quint8(';'));

    QVERIFY(pty.write(statusResponse(4)));
    QVERIFY(waitForWaiting(13));
    lastPacketTime = stale;
    window->callReceber(window);
    QCOMPARE(rxLength, 13);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(rxBuffer), 13), statusResponse(4));
    QVERIFY(lastPacketTime > stale);
}

void TestSerialLink::watchdog_data()
{
    QTest::addColumn<qint64>("sinceLastPacket");
    QTest::addColumn<bool>("green");

    QTest::newRow("fresh start") << qint64(0) << true;
    QTest::newRow("within the limit") << qint64(1400) << true;
    QTest::newRow("stamp ahead of the clock") << qint64(-60000) << true;
    QTest::newRow("silent") << qint64(1600) << false;
    QTest::newRow("long silent") << qint64(600000) << false;
}

void TestSerialLink::watchdog()
{
    QFETCH(qint64, sinceLastPacket);
    QFETCH(bool, green);

    auto *power = window->findChild<QWidget *>("botaoPower");
    QVERIFY(power);
    power->setStyleSheet(green ? QString() : QLatin1String(styleLinkUp));
    lastPacketTime = monotonicMs() - sinceLastPacket;
    window->callReceber(window);
    QCOMPARE(power->styleSheet() == QLatin1String(styleLinkUp), green);
}

// The controller's end goes away while connected: the port is closed before the one
// "Critical Error" box, the panel ends "Disconnected" with Connect usable, and Connect
// works again with the device back. Several times over, as a flaky cable would.
void TestSerialLink::hangUpReportsOnceAndReconnects()
{
    for (int round = 0; round < 5; ++round) {
        PtyPair pty;
        QVERIFY2(connectTo(pty), qPrintable(QString::number(round)));
        window->callEnviar();
        QCOMPARE(pty.read(5), QByteArray("IGT3;"));
        boxes.clear();

        pty.closeMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.isEmpty(), 5000);
        QTest::qWait(200); // room for any second report of the same loss

        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().title, QStringLiteral("Critical Error"));
        QVERIFY(!boxes.first().portOpen);
        QVERIFY(!serialPort->isOpen());
        QCOMPARE(status(), QStringLiteral("Disconnected"));
        QVERIFY(action("actionConfigure")->isEnabled());
        QVERIFY(action("actionConnect_to_KELMAR")->isEnabled());
    }
}

// The same loss with the real modal box: exactly one box appears, and while it is up
// the port is already closed, so its event loop has nothing left to repeat.
void TestSerialLink::hangUpWithTheRealBox()
{
    setCriticalBoxHook({});
    PtyPair pty;
    QVERIFY(connectTo(pty));

    int shown = 0;
    bool portOpenWhileShown = true;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        ++shown;
        portOpenWhileShown = serialPort->isOpen();
        // Leave the box up for a while to let any repeated report show itself.
        QTimer::singleShot(150, modal, &QWidget::close);
        closer.stop();
        QTimer::singleShot(160, &closer, QOverload<>::of(&QTimer::start));
    });
    closer.start(10);

    pty.closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Disconnected"), 5000);
    QTest::qWait(300);
    closer.stop();

    QCOMPARE(shown, 1);
    QVERIFY(!portOpenWhileShown);
    QVERIFY(!serialPort->isOpen());
    QVERIFY(connectTo(pty));
}

QTEST_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
