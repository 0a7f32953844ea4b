#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QtTest>

#include "app/mainwindow.h"
#include "frames.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/pacing.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "panel/styles.h"
#include "ptypair.h"
#include "serialsettings/settingsdialog.h"
#include "tables.h"
#include "wiretap.h"

// The serial link over real pseudo-terminals: the panel's QSerialPort on the slave, the
// test as the controller on the master.
class TestSerialLink : public QObject
{
    Q_OBJECT
    QTemporaryDir dataHome;
    MainWindow *window = nullptr;
    QStringList boxes; // title, then the status line shown while the box was up

    QString status() const { return window->statusBar()->currentMessage(); }
    // The status line, then "+" or "-" for Configure and Connect being enabled.
    QString shown() const
    {
        QString line = status() + ' ';
        for (const char *name : {"actionConfigure", "actionConnect_to_KELMAR"})
            line += window->findChild<QAction *>(name)->isEnabled() ? '+' : '-';
        return line;
    }
    // Serial Settings › Custom with the path, Apply, then File › Connect.
    void openPath(const QString &path)
    {
        auto *ports = window->settingsDialog()->findChild<QComboBox *>("serialPortInfoListBox");
        ports->setCurrentIndex(ports->count() - 1);
        ports->setEditText(path);
        window->settingsDialog()->findChild<QPushButton *>("applyButton")->click();
        window->openSerialPort();
    }
    bool connectTo(PtyPair &pty, const QByteArray &waiting = {})
    {
        if (!pty.open() || !pty.write(waiting))
            return false;
        openPath(pty.slavePath());
        return serialPort->isOpen() && pty.read(4) == "IGW;";
    }
    // Lets the port take in what the master wrote, without the panel reading it.
    bool waitForWaiting(qint64 count)
    {
        for (QDeadlineTimer t(3000); serialPort->bytesAvailable() < count && !t.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return serialPort->bytesAvailable() == count;
    }
    bool linkUp() const
    {
        return window->findChild<QWidget *>("botaoPower")->styleSheet() == styleLinkUp;
    }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit()); }
    void init()
    {
        panelState = PanelState{};
        window = new MainWindow;
        boxes.clear();
        setCriticalBoxHook([this](QWidget *, const QString &title, const QString &) {
            boxes << title << status();
        });
    }
    void cleanup()
    {
        setCriticalBoxHook({});
        delete window->settingsDialog();
        delete window;
    }

    // A path that cannot be opened: the box first, then "Open error". Then a real one: the
    // firmware query, then polls in turn, until a frame the port will not take ends the
    // connection as a lost device does.
    void connectThenWriteFails()
    {
        openPath(dataHome.filePath("no-such-tty"));
        QCOMPARE(boxes, QStringList({"Error", boxes.value(1)}));
        QVERIFY(boxes.value(1) != QStringLiteral("Open error"));
        QCOMPARE(shown(), QStringLiteral("Open error ++"));
        PtyPair pty;
        QVERIFY(pty.open());
        openPath(pty.slavePath());
        QCOMPARE(pty.read(5, 300), QByteArray("IGW;")); // waits for more than could come
        QCOMPARE(shown(), "Connected to " + pty.slavePath() + " : 9600, 8, None, 1, None --");
        assembleCommand(makeCommandWord('P', 0x36), txBuffer); // its tail must not leak
        window->callEnviar();
        window->callEnviar(); // too soon after the first: waits for its turn
        QCOMPARE(pty.read(11, 300), QByteArray("IGT3;"));
        serialPort->close();
        QVERIFY(serialPort->open(QIODevice::ReadOnly));
        QTest::qWait(200); // the next poll's turn
        window->callEnviar();
        QCOMPARE(boxes.value(2), QStringLiteral("Critical Error"));
        QCOMPARE(shown(), QStringLiteral("Disconnected ++"));
        QVERIFY(!serialPort->isOpen());
    }

    void framing_data()
    {
        QTest::addColumn<QByteArray>("waiting");    // in the port before Connect
        QTest::addColumn<QByteArrayList>("writes"); // by the controller, one per callReceber
        QTest::addColumn<QByteArray>("alive");      // "+" where a cycle keeps the link alive
        QTest::addColumn<int>("txPos");             // the TX position the panel ends with
        const QByteArray status = statusFrame();
        const QByteArray phantom("IGT\5\0\xFF\0\x01;IGT\5\0\xFF\0\x01;"); // two of 8
        auto row = [](const char *name, const QByteArrayList &writes, const char *alive, int txPos,
                      const QByteArray &waiting = {}) {
            ::row(name, waiting, writes, QByteArray(alive), txPos);
        };
        row("11 bytes, then 2", {status.left(11), status.mid(11)}, "-+", 2);
        row("noise, a cut answer, a whole one",
            {"\x02zI", "GT\1garbage" + status.left(5), status.mid(5)}, "--+", 2);
        row("short frames before an answer", {phantom, status}, "-+", 2);
        row("a transceiver's answer", {"FA00014074000;"}, "-", 0);
        // Connect starts on an empty line: an answer left over from before is not news.
        row("a stale answer waiting at Connect", {"IG"}, "-", 0, statusFrame(5, 0, 0xFF, 3));
    }
    // Whatever pieces the answers arrive in, each whole one is decoded once and keeps the
    // link alive, and nothing else does; the watchdog paints botaoPower accordingly.
    void framing()
    {
        QFETCH(QByteArray, waiting);
        QFETCH(QByteArrayList, writes);
        QFETCH(QByteArray, alive);
        PtyPair pty;
        QVERIFY(connectTo(pty, waiting));
        const qint64 stale = monotonicMs() - 100000;
        for (int i = 0; i < writes.size(); ++i) {
            QVERIFY(pty.write(writes[i]) && waitForWaiting(writes[i].size()));
            lastPacketTime = stale;
            window->callReceber(window);
            QCOMPARE(lastPacketTime != stale, alive[i] == '+');
            QCOMPARE(serialPort->bytesAvailable(), qint64(0));
        }
        QTEST(int(panelState.currentTxPos), "txPos");
        QCOMPARE(panelState.superSplitMask, quint8(0));
        window->callReceber(window);
        QCOMPARE(linkUp(), alive.endsWith('+'));
    }

    // The wire trace as operators and their scripts read it: time, direction, length,
    // verdict, the bytes in hex and as text.
    void wireTraceLines()
    {
        QStringList wire;
        {
            const WireTap tap;
            PtyPair pty;
            const bool connected = connectTo(pty);
            const QByteArray answer = "zz" + statusFrame(3, 0, 0x7F);
            const bool written = pty.write(answer) && waitForWaiting(answer.size());
            window->callReceber(window);
            QVERIFY(connected && written);
            for (const QString &line : WireTap::lines())
                wire << QString(line).replace(QRegularExpression("^\\d+ ms "), "T ms ");
        }
        QCOMPARE(wire, QStringList({"T ms TX 4 49 47 57 3b |IGW;|", "T ms RX 2 dropped 7a 7a |zz|",
                                    "T ms RX 13 accepted 49 47 54 03 00 7f 00 00 00 00 00 01 3b "
                                    "|IGT.........;|"}));
    }

    // The pacing thread counts from the last frame the port took, not from its own last
    // decision: while that stamp lies ahead, it posts no send at all. The GUI thread is
    // held meanwhile, so a send posted in that time would stay posted.
    void pacingCountsFromTheLastFrameWritten()
    {
        const auto restore = qScopeGuard([] { lastFrameWritten = PacingTime(0); });
        lastFrameWritten = pacingNow() + std::chrono::seconds(10);
        ThreadLeitura pacing(window);
        QThread::msleep(400); // sixteen cycles
        QVERIFY(!sendPosted);
    }
};

QTEST_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
