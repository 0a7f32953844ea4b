#include <QLabel>
#include <QStatusBar>
#include <QtTest>

#include "isolatedsettings.h"
#include "journeyfixture.h"
#include "link/linksession.h"
#include "link/pacing.h"
#include "panel/styles.h"
#include "tables.h"
#include "wiretap.h"

// The link on lines as real adapters make them: bytes paced at the baud rate, answers
// late and in pieces, noise, frames of the wrong length, a device that is not ours, a
// GUI thread that stalls, an adapter pulled and plugged back.
class RealLineTest : public QObject
{
    Q_OBJECT

    static QString label(Station &s)
    {
        return s.window->findChild<QLabel *>("labelFWVersion")->text();
    }
    static bool powerUp(Station &s)
    {
        return s.window->findChild<QWidget *>("botaoPower")->styleSheet() == styleLinkUp;
    }

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup() { removeSettingsFiles(); }

    void lineConditions_data()
    {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<int>("lateMs");    // the least time from a poll to its answer's end
        QTest::addColumn<QString>("proof"); // a log entry only such a line makes
        auto row = [](const char *name, const QString &args, int lateMs, const char *proof) {
            ::row(name, args.split(' '), lateMs, QString(proof));
        };
        // 13 bytes at 9600 baud: 12.5 ms from the first byte to the last.
        row("9600 baud, 12 ms late", "--baud 9600 --delay 12", 24, "");
        row("11 bytes, the rest 30 ms later", "--chunk 11,30", 30, "");
        row("noise between answers", "--baud 9600 --noise 300", 12, "event noise");
        row("two short frames before each", "--short 8", 0, "tx short");
    }
    // On every connect the firmware line appears and the status answers are decoded, each
    // once; then, kept connected, the link stays alive and nothing phantom is painted.
    void lineConditions()
    {
        QFETCH(QStringList, simulator);
        Station s;
        QCOMPARE(s.startSimulator(simulator), QString());
        s.openWindow();
        for (int connect = 0; connect < 10; ++connect) {
            s.window->findChild<QLabel *>("labelFWVersion")->clear();
            const int mark = s.log().size();
            QVERIFY(s.connectTo(s.link));
            QVERIFY2(waitFor([&] { return label(s) == "FW Revision: 1.0"; }, 3000),
                     qPrintable(QString("connect %1").arg(connect)));
            QVERIFY(waitFor([&] { return linkSession.statusFrames >= 1; }, 3000));
            s.action("actionDisconnect")->trigger();
            QTest::qWait(100); // what was on its way arrives, unread
            const int sent = s.countSince(mark, "tx", "poll");
            // The answer in flight at Disconnect may be lost; no other.
            QVERIFY2(linkSession.statusFrames <= sent && linkSession.statusFrames >= sent - 1,
                     qPrintable(QString("%1 of %2").arg(linkSession.statusFrames).arg(sent)));
        }
        const int mark = s.log().size();
        QVERIFY(s.connectTo(s.link));
        QVERIFY(waitFor([&] { return powerUp(s) && linkSession.statusFrames >= 1; }, 3000));
        for (QDeadlineTimer t(2500); !t.hasExpired(); QTest::qWait(50)) {
            QVERIFY(powerUp(s));
            QCOMPARE(panelState.superSplitMask, quint8(0)); // the short frames carry a group
            QCOMPARE(panelState.currentTxPos, quint8(0));   // ... and antenna 6
        }
        QVERIFY(linkSession.statusFrames >= s.countSince(mark, "tx", "poll") - 1);
        QVERIFY(linkSession.statusFrames >= 10);
        // The line really was as the row says, or the rest would prove nothing.
        double asked = 0, least = 1e9;
        for (const SimLine &l : s.log()) {
            if (l.kind == "poll" && l.dir == "rx")
                asked = l.ms;
            else if (l.kind == "poll")
                least = qMin(least, l.ms - asked);
        }
        QFETCH(int, lateMs);
        QFETCH(QString, proof);
        QVERIFY2(least >= lateMs - 1, qPrintable(QString("%1 ms").arg(least)));
        QVERIFY(proof.isEmpty()
                || s.countSince(0, proof.section(' ', 0, 0), proof.section(' ', 1)));
    }

    // A transceiver's CAT port answers every poll with ";"-terminated text: not ours.
    void wrongDeviceGoesIdle()
    {
        Station s;
        QCOMPARE(s.startSimulator({"--wrong-device"}), QString());
        s.openWindow();
        QVERIFY(s.connectTo(s.link));
        QElapsedTimer sinceConnect; // counted as if a real answer had come at Connect
        sinceConnect.start();
        lastPacketTime = monotonicMs();
        QVERIFY(waitFor([&] { return powerUp(s); }, 1000));
        QVERIFY(waitFor([&] { return !powerUp(s); }, 4000));
        QVERIFY(sinceConnect.elapsed() >= 1500);
        QVERIFY(waitFor([&] { return s.countSince(0, "tx", "wrongdevice") >= 10; }, 5000));
        QVERIFY(!powerUp(s));
        QCOMPARE(linkSession.statusFrames + linkSession.firmwareFrames, 0);
    }

    // The GUI thread blocked with words queued, with the queue empty, and before Connect:
    // however late it reaches the sends the pacing thread posted, the frames keep their
    // spacing as the controller receives them. Its reads may lag a few ms behind writes.
    // The spacing is the panel's promise between the frames it hands to the port, so it is
    // read from the wire trace's stamps, taken as each frame is written: the simulator's own
    // stamps also carry how late it was scheduled to read, which a loaded machine varies.
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
                QTest::mouseClick(s.window->findChild<QPushButton *>(key), Qt::LeftButton);
            QThread::msleep(stall); // the pacing thread posts a send meanwhile
            QVERIFY(waitFor([&] { return s.window->switchQueue.isEmpty(); }, 3000));
            QTest::qWait(stall / 2);
            QThread::msleep(stall);
            QTest::qWait(300);
            // Connect at the end of a stall: its firmware query goes out at once, and the
            // poll posted meanwhile, or the word (half the rounds: the operator pressed a key,
            // then Disconnect, Connect and another key while the window hung), must still
            // wait its turn behind it.
            const bool word = stall % 200 != 0;
            auto *key = s.window->findChild<QPushButton *>(word ? "botaoTecla2" : "botaoTecla3");
            if (word) {
                QTest::mouseClick(key, Qt::LeftButton);
            } else {
                s.action("actionDisconnect")->trigger();
                QTest::qWait(300);
            }
            QThread::msleep(stall);
            s.action("actionDisconnect")->trigger();
            s.action("actionConnect_to_KELMAR")->trigger();
            if (word)
                QTest::mouseClick(key, Qt::LeftButton);
            QTest::qWait(300);
        }
        // Whole milliseconds: a gap of more than 100 reads as at least 100.
        qint64 previous = -1;
        int words = 0;
        for (const QString &line : WireTap::lines()) {
            const QStringList w = line.split(' '); // "1234 ms TX 5 ... |IGT3;|"
            if (w.value(2) != "TX")
                continue;
            const qint64 ms = w[0].toLongLong();
            const QString frame = w.last();
            const bool poll = frame == "|IGT3;|" || frame == "|IGW;|";
            words += !poll;
            QVERIFY2(previous < 0 || ms - previous >= (poll ? 150 : 100),
                     qPrintable(QString("%1 %2 ms after").arg(frame).arg(ms - previous)));
            previous = ms;
        }
        QVERIFY(words >= 12); // Release twice and the last TX choice, each round
        QVERIFY(s.countSince(mark, "rx", "select") >= 4); // and the words reached the switch
    }

    // The adapter pulled and back 3 s later on the same path: one box, raised over a closed
    // port, then the panel connects again by itself. Disconnect while it waits ends the
    // waiting; Connect by hand is the way back then.
    void reconnectsAutomatically()
    {
        Station s;
        QCOMPARE(s.startSimulator(), QString());
        s.openWindow();
        s.action("actionReconnect_Automatically")->trigger();
        QVERIFY(s.action("actionReconnect_Automatically")->isChecked());
        QVERIFY(s.connectTo(s.link) && s.settle(1));
        s.say("hangup 3000");
        QVERIFY(waitFor([&] { return !s.boxes.isEmpty(); }, 5000));
        QVERIFY(s.window->statusBar()->currentMessage().startsWith("Waiting for " + s.link));
        s.window->findChild<QLabel *>("labelFWVersion")->clear();
        QVERIFY(waitFor([&] { return label(s) == "FW Revision: 1.0" && powerUp(s); }, 8000));
        QCOMPARE(s.boxes, QStringList{"Critical Error"});

        s.say("hangup 3000");
        QVERIFY(waitFor([&] { return s.boxes.size() == 2; }, 5000));
        s.action("actionDisconnect")->trigger();
        QTest::qWait(4500); // the simulator is back, and two attempts would have passed
        QVERIFY(!serialPort->isOpen());
        QCOMPARE(s.window->statusBar()->currentMessage(), QStringLiteral("Disconnected"));
        QVERIFY(s.connectTo(s.link) && s.settle(1));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(RealLineTest, "realline")
#include "tst_realline.moc"
