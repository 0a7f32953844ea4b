#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include "isolatedsettings.h"
#include "journeyfixture.h"
#include "panel/styles.h"
#include "wiretap.h"

namespace {

// Counts the times any key of the panel is restyled.
class RestyleCounter : public QObject
{
public:
    explicit RestyleCounter(QWidget *window)
    {
        for (QPushButton *key : window->findChildren<QPushButton *>())
            key->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::StyleChange;
        return false;
    }
};

} // namespace

// The panel on a station nobody attends: a window that stalls, an adapter pulled and
// plugged back while nobody clicks, a controller that falls silent for hours.
class RealLineTest : public QObject
{
    Q_OBJECT

    static bool powerUp(Station &s)
    {
        return s.window->findChild<QWidget *>("botaoPower")->styleSheet() == styleLinkUp;
    }
    static void press(Station &s, const char *key)
    {
        QTest::mouseClick(s.window->findChild<QPushButton *>(key), Qt::LeftButton);
    }

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup() { removeSettingsFiles(); }

    // The window blocked with words pressed, with nothing pressed, and with Disconnect,
    // Connect and keys inside one stall: the link keeps its own time, so the frames keep
    // their spacing as they are handed to the port.
    void stallKeepsSpacingOnTheWire()
    {
        const WireTap tap;
        Station s;
        QCOMPARE(s.startSimulator({"--baud", "9600"}), QString());
        s.openWindow();
        QVERIFY(s.connectTo(s.link) && s.settle(2));
        const int mark = s.log().size();
        for (int stall : {300, 400, 500, 600}) {
            for (const char *key : {"botaoTecla4", "botaoRelease", "botaoRelease", "botaoTecla1"})
                press(s, key);
            QThread::msleep(stall);
            QTest::qWait(stall);
            QThread::msleep(stall);
            press(s, "botaoTecla2");
            s.action("actionDisconnect")->trigger();
            s.action("actionConnect_to_KELMAR")->trigger();
            press(s, "botaoTecla3");
            QThread::msleep(stall);
            QTest::qWait(600);
        }
        qint64 previous = -1;
        int words = 0;
        for (const QString &line : WireTap::lines()) {
            const QStringList w = line.split(' '); // "1234 ms TX 5 ... |IGT3;|"
            if (w.value(2) != "TX")
                continue;
            const qint64 ms = w[0].toLongLong();
            const bool poll = w.last() == "|IGT3;|";
            const bool firmware = w.last() == "|IGW;|"; // at Connect it waits for nobody
            words += !poll && !firmware;
            if (!firmware)
                QVERIFY2(previous < 0 || ms - previous >= (poll ? 150 : 100),
                         qPrintable(QString("%1 %2 ms after").arg(w.last()).arg(ms - previous)));
            previous = ms;
        }
        QVERIFY(words >= 12); // Release twice and the last TX choice, each round
        QVERIFY(s.countSince(mark, "rx", "select") >= 4); // and the words reached the switch
    }

    // The adapter pulled and back 2 s later, and nobody clicks the box: the panel is
    // connected and polling again while the box is still open. A second pull gives its own
    // box; Disconnect while waiting ends the waiting.
    void reconnectsWithTheBoxLeftOpen()
    {
        Station s;
        QCOMPARE(s.startSimulator(), QString());
        s.openWindow();
        // Should a box ever hold the event loop again, the test fails instead of hanging.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(15000);
        s.action("actionReconnect_Automatically")->trigger();
        QVERIFY(s.connectTo(s.link) && s.settle(1));
        auto *firmware = s.window->findChild<QLabel *>("labelFWVersion");
        firmware->clear();
        s.say("hangup 2000");
        QVERIFY(waitFor([&] { return s.openBoxes() == QStringList{"Critical Error"}; }, 5000));
        QVERIFY(s.window->statusBar()->currentMessage().startsWith("Waiting for " + s.link));
        QVERIFY(waitFor([&] { return firmware->text() == "FW Revision: 1.0" && powerUp(s); },
                        8000));
        const int mark = s.log().size();
        QVERIFY(s.settle(2));
        QCOMPARE(s.openBoxes(), QStringList{"Critical Error"}); // nobody has clicked it
        QCOMPARE(s.window->statusBar()->currentMessage(),
                 QStringLiteral("Connected! Firmware Revision: 1 . 0"));
        QVERIFY(s.countSince(mark, "rx", "poll") >= 2);

        s.say("hangup 3000");
        QVERIFY(waitFor([&] { return !powerUp(s) || s.openBoxes().size() != 1; }, 5000));
        QVERIFY(waitFor([&] { return s.window->statusBar()->currentMessage().startsWith(
                                  "Waiting for"); },
                        5000));
        QCOMPARE(s.openBoxes(), QStringList{"Critical Error"}); // the new one, not a second
        s.action("actionDisconnect")->trigger();
        QTest::qWait(4500); // the simulator is back, and two attempts would have passed
        QCOMPARE(s.window->statusBar()->currentMessage(), QStringLiteral("Disconnected"));
        QVERIFY(s.action("actionConnect_to_KELMAR")->isEnabled());
        QVERIFY(s.connectTo(s.link) && s.settle(1));
    }

    // A split pair, then the controller falls silent, then the port closes: the panel goes
    // dark once and then leaves every key alone, as it does when nothing was set up.
    void silenceAfterSplitRestylesNothing()
    {
        Station s;
        QCOMPARE(s.startSimulator(), QString());
        s.openWindow();
        QVERIFY(s.connectTo(s.link) && s.settle(1));
        s.action("actionSplit")->trigger();
        press(s, "botaoSplit");
        press(s, "botaoTecla3");
        auto *pair = s.window->findChild<QWidget *>("botaoTecla3");
        QVERIFY(waitFor([&] { return pair->styleSheet() == styleActive; }, 5000));
        s.say("silent on");
        QVERIFY(waitFor([&] { return !powerUp(s); }, 5000));
        for (const char *step : {"silent", "closed"}) {
            if (QByteArray(step) == "closed")
                s.action("actionDisconnect")->trigger();
            QTest::qWait(100);
            RestyleCounter restyles(s.window.get());
            QTest::qWait(2000);
            QVERIFY2(restyles.count == 0, qPrintable(QString("%1 restyles while %2")
                                                         .arg(restyles.count)
                                                         .arg(step)));
        }
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(RealLineTest, "realline")
#include "tst_realline.moc"
