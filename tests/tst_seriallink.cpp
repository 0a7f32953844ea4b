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
#include "link/pacing.h"
#include "link/protocol.h"
#include "panel/panelstate.h"
#include "link/seriallink.h"
#include "panel/styles.h"
#include "ptypair.h"
#include "serialsettings/settingsdialog.h"

static QByteArray statusResponse(quint8 tx, quint8 busyMask = 0xFF)
{
    QByteArray r("IGT");
    r.append(char(tx)).append('\0').append(char(busyMask));
    return r.append(QByteArray(5, '\0')).append("\1;"); // 13 bytes
}

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
        SettingsDialog *dialog = window->settingsDialog();
        auto *ports = dialog->findChild<QComboBox *>("serialPortInfoListBox");
        ports->setCurrentIndex(ports->count() - 1);
        ports->setEditText(path);
        dialog->findChild<QPushButton *>("applyButton")->click();
        window->openSerialPort();
    }
    bool connectTo(PtyPair &pty)
    {
        if (!pty.open())
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

    // Disconnect with no port open, Connect, polls, Disconnect.
    void connectQueriesFirmwareThenPolls()
    {
        for (const char *name : {"actionConfigure", "actionConnect_to_KELMAR"})
            window->findChild<QAction *>(name)->setEnabled(false);
        window->findChild<QAction *>("actionDisconnect")->trigger();
        QCOMPARE(shown(), QStringLiteral("Disconnected ++"));

        PtyPair pty;
        QVERIFY(pty.open());
        openPath(pty.slavePath());
        QCOMPARE(pty.read(5, 300), QByteArray("IGW;")); // waits for more than could come
        QCOMPARE(shown(), "Connected to " + pty.slavePath() + " : 9600, 8, None, 1, None --");
        assembleCommand(makeCommandWord('P', 0x36), txBuffer); // its tail must not leak
        window->callEnviar();
        window->callEnviar(); // too soon after the first: waits for its turn
        QCOMPARE(pty.read(11, 300), QByteArray("IGT3;"));
        window->findChild<QAction *>("actionDisconnect")->trigger();
        QVERIFY(!serialPort->isOpen());
        QCOMPARE(shown(), QStringLiteral("Disconnected ++"));
        QVERIFY(boxes.isEmpty());
    }

    void openFailure_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing device") << dataHome.filePath("no-such-tty");
        QTest::newRow("a directory") << dataHome.path();
    }
    void openFailure()
    {
        QFETCH(QString, path);
        openPath(path);
        QVERIFY(!serialPort->isOpen());
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.first(), QStringLiteral("Error"));
        QVERIFY(boxes.last() != QStringLiteral("Open error")); // the box comes first
        QCOMPARE(shown(), QStringLiteral("Open error ++"));
    }

    void framing_data()
    {
        QTest::addColumn<QByteArrayList>("writes"); // by the controller, one per callReceber
        QTest::addColumn<QByteArray>("alive");      // "+" where a cycle keeps the link alive
        QTest::addColumn<int>("txPos");             // the TX position the panel ends with
        const QByteArray status = statusResponse(2);
        const QByteArray phantom("IGT\5\0\xFF\0\x01;IGT\5\0\xFF\0\x01;"); // two of 8

        QTest::newRow("firmware alone") << QByteArrayList{"IGW\1\2;"} << QByteArray("+") << 0;
        QTest::newRow("11 bytes, then 2") << QByteArrayList{status.left(11), status.mid(11)}
                                          << QByteArray("-+") << 2;
        QTest::newRow("';' inside the mask")
            << QByteArrayList{statusResponse(2, 0x3B)} << QByteArray("+") << 2;
        QTest::newRow("two responses at once")
            << QByteArrayList{statusResponse(1) + status} << QByteArray("+") << 2;
        QTest::newRow("noise, a cut answer, a whole one")
            << QByteArrayList{"\x02zI", "GT\1garbage" + status.left(5), status.mid(5)}
            << QByteArray("--+") << 2;
        QTest::newRow("short frames before an answer")
            << QByteArrayList{phantom, status} << QByteArray("-+") << 2;
        QTest::newRow("a transceiver's answer") << QByteArrayList{"FA00014074000;"}
                                                << QByteArray("-") << 0;
    }
    // Whatever pieces the answers arrive in, each whole one is decoded once and keeps the
    // link alive, and nothing else does; the watchdog paints botaoPower accordingly.
    void framing()
    {
        QFETCH(QByteArrayList, writes);
        QFETCH(QByteArray, alive);
        PtyPair pty;
        QVERIFY(connectTo(pty));
        auto *power = window->findChild<QWidget *>("botaoPower");
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
        QCOMPARE(power->styleSheet() == QLatin1String(styleLinkUp), alive.endsWith('+'));
    }

    // A frame the port will not take ends the connection as a lost device does.
    void failedWriteEndsConnection()
    {
        PtyPair pty;
        QVERIFY(connectTo(pty));
        serialPort->close();
        QVERIFY(serialPort->open(QIODevice::ReadOnly));
        lastFrameWritten = PacingTime(0);
        window->callEnviar();
        QCOMPARE(boxes.value(0), QStringLiteral("Critical Error"));
        QCOMPARE(shown(), QStringLiteral("Disconnected ++"));
        QVERIFY(!serialPort->isOpen());
    }

    // The controller's end goes away, with the real modal box (the journeys' hang-up drill
    // repeats it with the box hook): one "Critical Error", shown with the port already
    // closed so its event loop has nothing to repeat, then "Disconnected"; Connect again.
    void hangUpReportsOnceAndReconnects()
    {
        setCriticalBoxHook({});
        PtyPair pty;
        QVERIFY(connectTo(pty));
        QStringList seen; // title and port state of each box
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&seen]() {
            QWidget *box = QApplication::activeModalWidget();
            if (!box || box->property("seen").toBool())
                return;
            box->setProperty("seen", true);
            seen << box->windowTitle() + (serialPort->isOpen() ? " (open)" : "");
            QTimer::singleShot(150, box, &QWidget::close); // room for a repeat
        });
        watcher.start(10);
        pty.closeMaster();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Disconnected ++"), 5000);
        QTest::qWait(300);
        QCOMPARE(seen, QStringList{"Critical Error"});
        QVERIFY(!serialPort->isOpen());
        QVERIFY(connectTo(pty));
    }
};

QTEST_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
