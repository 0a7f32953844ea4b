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
        window->callEnviar();
        QCOMPARE(pty.read(11, 300), QByteArray("IGT3;IGT3;"));
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
        QTest::addColumn<QList<int>>("reads");      // bytes taken each time, 0: none
        QTest::addColumn<QByteArray>("accepted");   // "+" where a read keeps the link alive
        const QByteArray status = statusResponse(2);

        QTest::newRow("ten bytes wait, the 11th triggers")
            << QByteArrayList{"IGW\1\2xxxx;", ";"} << QList<int>{0, 11} << QByteArray("-+");
        QTest::newRow("';' inside the mask") << QByteArrayList{statusResponse(2, 0x3B)}
                                             << QList<int>{13} << QByteArray("+");
        QTest::newRow("garbage") << QByteArrayList{"garbage-garbage"} << QList<int>{15}
                                 << QByteArray("-");
        QTest::newRow("short status ending in ';'") << QByteArrayList{status.left(10) + ';'}
                                                   << QList<int>{11} << QByteArray("-");
        // The read of 20 ends inside the second response and is dropped; the 6-byte tail
        // waits, joins the next response into a read of 19 that ends in ";" (framed, though
        // the decoder finds no "IG"), and the response after that lands whole.
        QTest::newRow("two responses at once")
            << QByteArrayList{statusResponse(1) + status, "", statusResponse(3), status}
            << QList<int>{20, 0, 19, 13} << QByteArray("--++");
    }
    // How much callReceber takes, whether the read keeps the link alive, and the watchdog
    // painting botaoPower idle after a long silence and green again once responses come.
    void framing()
    {
        QFETCH(QByteArrayList, writes);
        QFETCH(QList<int>, reads);
        QFETCH(QByteArray, accepted);
        PtyPair pty;
        QVERIFY(connectTo(pty));
        auto *power = window->findChild<QWidget *>("botaoPower");
        power->setStyleSheet(styleLinkUp);
        const qint64 stale = monotonicMs() - 100000;
        QByteArray waiting;
        for (int i = 0; i < writes.size(); ++i) {
            waiting += writes[i];
            QVERIFY(pty.write(writes[i]) && waitForWaiting(waiting.size()));
            lastPacketTime = stale;
            rxLength = -1;
            window->callReceber(window);
            QCOMPARE(rxLength, reads[i] ? reads[i] : -1);
            QCOMPARE(QByteArray(reinterpret_cast<char *>(rxBuffer), qMax(rxLength, 0)),
                     waiting.left(reads[i]));
            QCOMPARE(lastPacketTime != stale, accepted[i] == '+');
            waiting.remove(0, reads[i]);
            QCOMPARE(serialPort->bytesAvailable(), qint64(waiting.size()));
        }
        window->callReceber(window);
        QCOMPARE(power->styleSheet() == QLatin1String(styleLinkUp), accepted.endsWith('+'));
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
