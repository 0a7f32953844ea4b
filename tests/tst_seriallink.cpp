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
        QTest::addColumn<QByteArray>("waiting");
        QTest::addColumn<int>("readLength"); // 0: nothing read
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ten bytes wait") << QByteArray("IGW\1\2xxxx;") << 0 << false;
        QTest::newRow("status response") << statusResponse(2) << 13 << true;
        QTest::newRow("';' inside the mask") << statusResponse(2, 0x3B) << 13 << true;
        QTest::newRow("garbage") << QByteArray("garbage-garbage") << 15 << false;
        QTest::newRow("short status ending in ';'") << statusResponse(2).left(10) + ';' << 11
                                                   << false;
    }
    // How much callReceber takes, whether the read keeps the link alive, and the watchdog
    // painting botaoPower idle after a long silence and green again once responses come.
    void framing()
    {
        QFETCH(QByteArray, waiting);
        QFETCH(int, readLength);
        QFETCH(bool, accepted);
        PtyPair pty;
        QVERIFY(connectTo(pty));
        QVERIFY(pty.write(waiting) && waitForWaiting(waiting.size()));
        auto *power = window->findChild<QWidget *>("botaoPower");
        power->setStyleSheet(styleLinkUp);
        const qint64 stale = monotonicMs() - 100000;
        lastPacketTime = stale;
        rxLength = -1;
        window->callReceber(window);

        QCOMPARE(serialPort->bytesAvailable(), qint64(waiting.size() - readLength));
        QCOMPARE(rxLength, readLength == 0 ? -1 : readLength);
        QCOMPARE(lastPacketTime != stale, accepted);
        if (readLength == 0) {
            QVERIFY(pty.write(";") && waitForWaiting(waiting.size() + 1));
            window->callReceber(window); // the eleventh byte triggers the read of all eleven
            QCOMPARE(rxLength, waiting.size() + 1);
            accepted = lastPacketTime != stale;
            QVERIFY(accepted);
        }
        window->callReceber(window);
        QCOMPARE(power->styleSheet() == QLatin1String(styleLinkUp), accepted);
    }

    // Two responses at once: the read of 20 ends inside the second and is dropped, the
    // 6-byte tail waits and joins the next response into a read of 19 that ends in ";"
    // (framed, though the decoder finds no "IG"), and the next response lands whole.
    void twoResponsesAtOnceRecover()
    {
        PtyPair pty;
        QVERIFY(connectTo(pty));
        const qint64 stale = monotonicMs() - 100000;
        const QList<QByteArray> writes{statusResponse(1) + statusResponse(2), {},
                                       statusResponse(3), statusResponse(4)};
        const QList<int> waiting{26, 6, 19, 13}, read{20, 20, 19, 13};
        for (int i = 0; i < writes.size(); ++i) {
            QVERIFY(pty.write(writes[i]) && waitForWaiting(waiting[i]));
            lastPacketTime = stale;
            window->callReceber(window);
            QCOMPARE(rxLength, read[i]);
            QCOMPARE(lastPacketTime != stale, i >= 2);
        }
        QCOMPARE(QByteArray(reinterpret_cast<char *>(rxBuffer), 13), statusResponse(4));
    }

    // The controller's end goes away, with the real modal box: one "Critical Error" per
    // loss, shown with the port already closed (so its event loop has nothing to repeat),
    // then "Disconnected", and Connect works again. Several times, as a flaky cable.
    void hangUpReportsOnceAndReconnects()
    {
        setCriticalBoxHook({});
        PtyPair pty;
        for (int round = 0; round < 3; ++round) {
            QVERIFY2(connectTo(pty), qPrintable(QString::number(round)));
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
        }
        QVERIFY(connectTo(pty));
    }
};

QTEST_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
