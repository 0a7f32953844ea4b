#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include "controllermodel.h"
#include "frameparser.h"
#include "lineshaper.h"

Q_DECLARE_METATYPE(LineShaper::Settings)

// At 9600 baud an answer takes a byte-time per byte after its first: it never arrives
// whole sooner than that after the question.
static QByteArray exchange(QSerialPort &port, const QByteArray &command, int answerLength)
{
    QElapsedTimer clock;
    clock.start();
    port.write(command);
    QByteArray answer;
    while (answer.size() < answerLength && port.waitForReadyRead(5000))
        answer += port.readAll();
    return clock.nsecsElapsed() >= (answerLength - 2) * 1000000 ? answer : "early " + answer;
}

static QString readLineFrom(QProcess &process)
{
    while (!process.canReadLine() && process.waitForReadyRead(10000)) {
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

// The simulator stands in for the controller in every link test, so its parser and
// model must be right before anything is concluded from them.
class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void parsesFrames_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QStringList>("chunks"); // "C:" command, "G:" garbage; the bytes
        QTest::addColumn<QByteArray>("pending");

        auto row = [](const char *name, const QByteArrayList &pieces, const QStringList &chunks,
                      const char *pending = "") {
            QTest::newRow(name) << pieces << chunks << QByteArray(pending);
        };
        row("every letter back to back", {"IGT3;IGW;IGS3;IGY8;IGX1;IGQ\x13;IGV32;IGP251;"},
            {"C:IGT3;", "C:IGW;", "C:IGS3;", "C:IGY8;", "C:IGX1;", "C:IGQ\x13;", "C:IGV32;",
             "C:IGP251;"});
        row("mask 0x3b is a ;", {"IGQ;;IGT3;"}, {"C:IGQ;;", "C:IGT3;"});
        row("single bytes", {"I", "G", "P", "/", "/", "0", ";"}, {"C:IGP//0;"});
        row("command waits for its rest", {"IGS3;IGV3"}, {"C:IGS3;"}, "IGV3");
        row("noise before a command", {"zz\x01IGS3;"}, {"G:zz\x01", "C:IGS3;"});
        row("cut short, poll follows", {"IGP2", "IGT3;"}, {"G:IGP2", "C:IGT3;"});
        row("unknown letter", {"IGZ1;IGS3;"}, {"G:IGZ1;", "C:IGS3;"});
    }

    void parsesFrames()
    {
        QFETCH(QByteArrayList, pieces);
        FrameParser parser;
        QStringList seen;
        for (const QByteArray &piece : pieces) {
            for (const FrameParser::Chunk &chunk : parser.feed(piece))
                seen << (chunk.kind == FrameParser::Chunk::Command ? "C:" : "G:")
                            + QString::fromLatin1(chunk.bytes);
        }
        QTEST(seen, "chunks");
        QTEST(parser.pending(), "pending");
    }

    void shapesLine_data()
    {
        QTest::addColumn<LineShaper::Settings>("line");
        QTest::addColumn<int>("askedMs");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("writes"); // due ms:bytes, n for a noise byte
        QTest::addColumn<QString>("done");   // kind@ms of each part's last byte

        auto row = [](const char *name, LineShaper::Settings line, int askedMs,
                      const QStringList &answers, const char *writes, const char *done) {
            QTest::newRow(name) << line << askedMs << answers << QString(writes) << QString(done);
        };
        // 10000 baud: a byte each millisecond.  delay  baud  chunk pause noise short
        row("at once", {0, 0, 0, 0, 0, 0}, 0, {"poll"}, "0:13", "poll@0");
        row("late", {20, 0, 0, 0, 0, 0}, 0, {"poll"}, "20:13", "poll@20");
        row("in two pieces", {0, 0, 11, 30, 0, 0}, 0, {"poll"}, "0:11 30:2", "poll@30");
        row("piece longer than it", {0, 0, 20, 30, 0, 0}, 0, {"poll"}, "0:13", "poll@0");
        row("a byte at a time", {0, 10000, 0, 0, 0, 0}, 0, {"firmware"},
            "0:1 1:1 2:1 3:1 4:1 5:1", "firmware@5");
        row("late, cut, paced", {3, 10000, 2, 4, 0, 0}, 0, {"firmware"},
            "3:1 4:1 9:1 10:1 11:1 12:1", "firmware@12");
        row("short frames first", {0, 0, 0, 0, 0, 8}, 0, {"poll"}, "0:16 0:13", "short@0 poll@0");
        row("short frames cut too", {0, 0, 11, 30, 0, 8}, 0, {"poll"}, "0:11 30:5 30:13",
            "short@30 poll@30");
        row("no short frames before firmware", {0, 0, 0, 0, 0, 8}, 0, {"firmware"}, "0:6",
            "firmware@0");
        row("second answer waits", {0, 0, 2, 10, 0, 0}, 0, {"firmware", "firmware"},
            "0:2 10:4 10:2 20:4", "firmware@10 firmware@20");
        row("noise waits for the answer", {0, 0, 2, 10, 200, 0}, 7, {"firmware"},
            "5:n 7:2 17:4 17:n 22:n 27:n 32:n 37:n 42:n 47:n", "firmware@17");
    }

    // Taken every 3 ms, later than most bytes fall due: each still comes as its own
    // write at its own time.
    void shapesLine()
    {
        QFETCH(LineShaper::Settings, line);
        QFETCH(int, askedMs);
        QFETCH(QStringList, answers);
        LineShaper shaper;
        shaper.setSettings(line, 0);
        QStringList writes, done;
        auto run = [&](double from, double to) {
            for (double now = from;; now = qMin(now + 3, to)) {
                for (const LineShaper::Write &w : shaper.take(now)) {
                    const QString at = QString::number(w.dueMs);
                    writes << at + ':' + (w.noise ? "n" : QString::number(w.bytes.size()));
                    if (!w.done.bytes.isEmpty())
                        done << w.done.kind + '@' + at;
                }
                if (now >= to)
                    return;
            }
        };
        run(0, askedMs);
        const ControllerModel model;
        for (const QString &kind : answers) {
            const bool poll = kind == "poll";
            shaper.submit({poll ? model.statusResponse() : model.firmwareResponse(), kind, {}},
                          poll, askedMs);
        }
        run(askedMs, 50);
        QTEST(writes.join(' '), "writes");
        QTEST(done.join(' '), "done");
    }

    // The real process: the printed path, answers paced at the baud rate, a hang-up and
    // the line coming back on the same path, and the machine log of it all in order.
    void realSimulatorOverPty()
    {
        const QString program = qEnvironmentVariable("ORVIK_SIM");
        if (program.isEmpty())
            QSKIP("ORVIK_SIM does not name the simulator");
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyORVIK"), logPath = dir.filePath("sim.jsonl");
        QProcess sim;
        sim.start(program, {"--link", link, "--log", logPath, "--fw", "2.7", "--busy", "1",
                            "--baud", "9600"});
        QVERIFY(readLineFrom(sim).endsWith(": " + link));
        for (int round = 0; round < 2; ++round) {
            QSerialPort port(link);
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
            QCOMPARE(exchange(port, "IGW;", 6), QByteArray("IGW\x02\x07;"));
            QCOMPARE(exchange(port, "IGT3;", 13).toHex(), "4947540000fe0000000000003b");
            if (round == 0) {
                sim.write("hangup 300\n");
                QVERIFY(readLineFrom(sim).startsWith("Back on " + link));
            }
        }
        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());

        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QStringList seen;
        double lastMs = 0;
        for (const QByteArray &line : log.readAll().trimmed().split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            QVERIFY(e.value("ms").toDouble() >= lastMs); // never back in time
            lastMs = e.value("ms").toDouble();
            seen << e.value("dir").toString() + ' ' + e.value("kind").toString() + ' '
                        + e.value("hex").toString();
        }
        const QStringList talk{"rx firmware 4947573b", "tx firmware 49475702073b",
                               "rx poll 494754333b", "tx poll 4947540000fe0000000000003b"};
        const QStringList hangup{"event hangup ", "event back "};
        QCOMPARE(seen.mid(0, 11), QStringList{"event start "} + talk + hangup + talk);
    }

};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
