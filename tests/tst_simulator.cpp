#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include "controllermodel.h"
#include "frameparser.h"

static QByteArray exchange(QSerialPort &port, const QByteArray &command, int answerLength)
{
    port.write(command);
    QByteArray answer;
    while (answer.size() < answerLength && port.waitForReadyRead(5000))
        answer += port.readAll();
    return answer;
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

    void modelAnswers_data()
    {
        QTest::addColumn<quint8>("busy");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<bool>("lastRecognised");
        QTest::addColumn<QByteArray>("fields"); // of the next status response, in hex

        auto row = [](const char *name, quint8 busy, const QByteArrayList &commands, bool ok,
                      const char *fields) {
            QTest::newRow(name) << busy << commands << ok << QByteArray(fields);
        };
        //                                                  tx sp bu ro ss tr st pv rx
        row("select 4 then 6", 0, {"IGS3;", "IGS5;"}, true, "05 00 ff 00 00 00 00 03 00");
        row("busy antenna refused", 0x08, {"IGS3;"}, true,  "00 00 f7 00 00 00 00 00 00");
        row("select out of range", 0, {"IGS8;"}, false,    "00 00 ff 00 00 00 00 00 00");
        row("receive RX 4", 0, {"IGY3;"}, true,             "00 00 ff 00 00 00 00 00 01");
        row("RX 2 then RTX", 0, {"IGY1;", "IGY8;"}, true,   "00 00 ff 00 00 00 00 00 00");
        row("rotor 3 on", 0, {"IGV13;"}, true,             "00 00 ff 03 00 00 00 00 00");
        row("rotor 5 refused", 0, {"IGV15;"}, false,       "00 00 ff 00 00 00 00 00 00");
        row("split on with TX 6", 0, {"IGS2;", "IGP251;"}, true, "02 01 ff 00 00 00 05 00 00");
        row("split then off", 0, {"IGP251;", "IGP//0;"}, true, "00 00 ff 00 00 00 05 00 00");
        row("release", 0, {"IGS4;", "IGQ\x03;", "IGX0;"}, true, "0f 00 ff 00 03 00 00 04 00");
        row("release ALL", 0, {"IGS4;", "IGQ\x03;", "IGV52;", "IGY0;", "IGX1;"}, true,
            "0f 00 ff 00 00 00 00 04 00");
    }

    void modelAnswers()
    {
        QFETCH(quint8, busy);
        QFETCH(QByteArrayList, commands);
        ControllerModel model;
        model.busyAntennas = busy;
        ControllerModel::Outcome out;
        for (const QByteArray &command : commands)
            out = model.apply(command);
        QTEST(out.recognised, "lastRecognised");
        const QByteArray reply = model.apply("IGT3;").reply;
        QVERIFY(reply.size() == 13 && reply.startsWith("IGT") && reply.endsWith(';'));
        QTEST(reply.mid(3, 9).toHex(' '), "fields");
    }

    // The real process: the printed path, answers, a hang-up and the line coming back on
    // the same path, and the machine log of it all in order.
    void realSimulatorOverPty()
    {
        const QString program = qEnvironmentVariable("ORVIK_SIM");
        if (program.isEmpty())
            QSKIP("ORVIK_SIM does not name the simulator");
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyORVIK"), logPath = dir.filePath("sim.jsonl");
        QProcess sim;
        sim.start(program, {"--link", link, "--log", logPath, "--fw", "2.7", "--busy", "1"});
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
