#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "consolecommand.h"
#include "controllermodel.h"
#include "faultplan.h"
#include "frameparser.h"

// The controller simulator stands in for the real controller in every link test, so
// its parser and model must be right before anything is concluded from them.
class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void parsesFrames_data();
    void parsesFrames();
    void modelAnswers_data();
    void modelAnswers();
    void faultsShapeOnlyPolls_data();
    void faultsShapeOnlyPolls();
    void garbageIsNeverAResponse();
    void consoleCommands_data();
    void consoleCommands();
    void realSimulatorOverPty();
};

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

void TestSimulator::parsesFrames_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QStringList>("chunks"); // "C:" command or "G:" garbage, then hex
    QTest::addColumn<QByteArray>("pending");

    auto c = [](const QByteArray &b) { return "C:" + QString(b.toHex()); };
    auto g = [](const QByteArray &b) { return "G:" + QString(b.toHex()); };

    QTest::newRow("poll") << QByteArrayList{"IGT3;"} << QStringList{c("IGT3;")} << QByteArray();
    QTest::newRow("firmware") << QByteArrayList{"IGW;"} << QStringList{c("IGW;")} << QByteArray();
    QTest::newRow("every letter back to back")
        << QByteArrayList{"IGS3;IGY8;IGX1;IGQ\x13;IGV32;IGP251;"}
        << QStringList{c("IGS3;"), c("IGY8;"), c("IGX1;"), c("IGQ\x13;"), c("IGV32;"),
                       c("IGP251;")}
        << QByteArray();
    QTest::newRow("super split mask 0x3b is a ;") << QByteArrayList{"IGQ;;IGT3;"}
                                                   << QStringList{c("IGQ;;"), c("IGT3;")}
                                                   << QByteArray();
    QTest::newRow("super split mask is an I") << QByteArrayList{"IGQI;"}
                                              << QStringList{c("IGQI;")} << QByteArray();
    QTest::newRow("split off in single bytes")
        << QByteArrayList{"I", "G", "P", "/", "/", "0", ";"} << QStringList{c("IGP//0;")}
        << QByteArray();
    QTest::newRow("command waits for its rest") << QByteArrayList{"IGS3;IGV3"}
                                                << QStringList{c("IGS3;")} << QByteArray("IGV3");
    QTest::newRow("lone I at the end waits") << QByteArrayList{"IGS3;I"}
                                             << QStringList{c("IGS3;")} << QByteArray("I");
    const QByteArray noise("\x00\xffzz", 4);
    QTest::newRow("noise before a command") << QByteArrayList{noise + "IGS3;"}
                                            << QStringList{g(noise), c("IGS3;")} << QByteArray();
    QTest::newRow("split command cut short, poll follows")
        << QByteArrayList{"IGP2", "IGT3;"} << QStringList{g("IGP2"), c("IGT3;")} << QByteArray();
    QTest::newRow("unknown letter") << QByteArrayList{"IGZ1;IGS3;"}
                                    << QStringList{g("IGZ1;"), c("IGS3;")} << QByteArray();
    QTest::newRow("wrong terminator") << QByteArrayList{"IGS3X"} << QStringList{g("IGS3X")}
                                      << QByteArray();
    QTest::newRow("I not followed by G") << QByteArrayList{"IXIGW;"}
                                         << QStringList{g("IX"), c("IGW;")} << QByteArray();
}

void TestSimulator::parsesFrames()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QStringList, chunks);
    QFETCH(QByteArray, pending);

    FrameParser parser;
    QStringList seen;
    for (const QByteArray &piece : pieces) {
        for (const FrameParser::Chunk &chunk : parser.feed(piece)) {
            const char *tag = chunk.kind == FrameParser::Chunk::Command ? "C:" : "G:";
            seen << tag + QString(chunk.bytes.toHex());
        }
    }
    QCOMPARE(seen, chunks);
    QCOMPARE(parser.pending(), pending);
}

void TestSimulator::modelAnswers_data()
{
    QTest::addColumn<quint8>("busy");
    QTest::addColumn<QByteArrayList>("commands");
    QTest::addColumn<bool>("lastRecognised");
    QTest::addColumn<QByteArray>("status"); // what the next poll answers

    //                                   I G T tx sp busy ro ss tr st pv rx ;
    QTest::newRow("fresh") << quint8(0) << QByteArrayList{"IGT3;"} << true
                           << bytes("494754" "00" "00" "ff" "00" "00" "00" "00" "00" "00" "3b");
    QTest::newRow("select 4 then 6")
        << quint8(0) << QByteArrayList{"IGS3;", "IGS5;"} << true
        << bytes("494754" "05" "00" "ff" "00" "00" "00" "00" "03" "00" "3b");
    QTest::newRow("select a busy antenna is refused")
        << quint8(0x08) << QByteArrayList{"IGS3;"} << true
        << bytes("494754" "00" "00" "f7" "00" "00" "00" "00" "00" "00" "3b");
    QTest::newRow("select out of range") << quint8(0) << QByteArrayList{"IGS8;"} << false
                                         << bytes("494754" "00" "00" "ff" "00" "00" "00" "00"
                                                  "00" "00" "3b");
    QTest::newRow("receive RX 2 then RTX")
        << quint8(0) << QByteArrayList{"IGY1;", "IGY8;"} << true
        << bytes("494754" "00" "00" "ff" "00" "00" "00" "00" "00" "00" "3b");
    QTest::newRow("receive RX 4") << quint8(0) << QByteArrayList{"IGY3;"} << true
                                  << bytes("494754" "00" "00" "ff" "00" "00" "00" "00" "00" "01"
                                           "3b");
    QTest::newRow("receive index 5") << quint8(0) << QByteArrayList{"IGY5;"} << false
                                     << bytes("494754" "00" "00" "ff" "00" "00" "00" "00" "00"
                                              "00" "3b");
    QTest::newRow("super split 0x3b") << quint8(0) << QByteArrayList{"IGQ;;"} << true
                                      << bytes("494754" "00" "00" "ff" "00" "3b" "00" "00" "00"
                                               "00" "3b");
    QTest::newRow("rotor 2 on then off")
        << quint8(0) << QByteArrayList{"IGV32;", "IGV30;"} << true
        << bytes("494754" "00" "00" "ff" "00" "00" "00" "00" "00" "00" "3b");
    QTest::newRow("rotor 3 on") << quint8(0) << QByteArrayList{"IGV13;"} << true
                                << bytes("494754" "00" "00" "ff" "03" "00" "00" "00" "00" "00"
                                         "3b");
    QTest::newRow("rotor 5 refused") << quint8(0) << QByteArrayList{"IGV15;"} << false
                                     << bytes("494754" "00" "00" "ff" "00" "00" "00" "00" "00"
                                              "00" "3b");
    QTest::newRow("split on with TX 6")
        << quint8(0) << QByteArrayList{"IGS2;", "IGP251;"} << true
        << bytes("494754" "02" "01" "ff" "00" "00" "00" "05" "00" "00" "3b");
    QTest::newRow("split then off") << quint8(0) << QByteArrayList{"IGP251;", "IGP//0;"} << true
                                    << bytes("494754" "00" "00" "ff" "00" "00" "00" "05" "00"
                                             "00" "3b");
    QTest::newRow("split with no position is off")
        << quint8(0) << QByteArrayList{"IGP251;", "IGP2/1;"} << true
        << bytes("494754" "00" "00" "ff" "00" "00" "00" "05" "00" "00" "3b");
    QTest::newRow("select while split on moves the partner")
        << quint8(0) << QByteArrayList{"IGS2;", "IGP251;", "IGS7;"} << true
        << bytes("494754" "02" "01" "ff" "00" "00" "00" "07" "00" "00" "3b");
    QTest::newRow("split with a bad flag") << quint8(0) << QByteArrayList{"IGP25x;"} << false
                                           << bytes("494754" "00" "00" "ff" "00" "00" "00" "00"
                                                    "00" "00" "3b");
    QTest::newRow("release") << quint8(0) << QByteArrayList{"IGS4;", "IGQ\x03;", "IGX0;"} << true
                             << bytes("494754" "0f" "00" "ff" "00" "03" "00" "00" "04" "00"
                                      "3b");
    QTest::newRow("release ALL")
        << quint8(0) << QByteArrayList{"IGS4;", "IGQ\x03;", "IGV52;", "IGY0;", "IGX1;"} << true
        << bytes("494754" "0f" "00" "ff" "00" "00" "00" "00" "04" "00" "3b");
    QTest::newRow("status with another digit") << quint8(0) << QByteArrayList{"IGT4;"} << false
                                               << bytes("494754" "00" "00" "ff" "00" "00" "00"
                                                        "00" "00" "00" "3b");
}

void TestSimulator::modelAnswers()
{
    QFETCH(quint8, busy);
    QFETCH(QByteArrayList, commands);
    QFETCH(bool, lastRecognised);
    QFETCH(QByteArray, status);

    ControllerModel model;
    model.busyAntennas = busy;
    ControllerModel::Outcome out;
    for (const QByteArray &command : commands)
        out = model.apply(command);
    QCOMPARE(out.recognised, lastRecognised);
    QCOMPARE(model.apply("IGT3;").reply.toHex(), status.toHex());
}

void TestSimulator::faultsShapeOnlyPolls_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("garbage");
    QTest::addColumn<int>("truncate");
    QTest::addColumn<QByteArray>("expected"); // "*" stands for garbage

    const QByteArray status = bytes("49475403" "00ff00000000000000" "3b");
    QTest::newRow("plain poll") << "poll" << false << 0 << 0 << status;
    QTest::newRow("silent poll") << "poll" << true << 0 << 0 << QByteArray();
    QTest::newRow("silent firmware") << "firmware" << true << 0 << 0 << QByteArray();
    QTest::newRow("truncated poll") << "poll" << false << 0 << 1 << status.left(7) + ';';
    QTest::newRow("truncate spares firmware") << "firmware" << false << 0 << 1 << status;
    QTest::newRow("garbage poll") << "poll" << false << 1 << 0 << QByteArray("*");
    QTest::newRow("garbage before truncate") << "poll" << false << 1 << 1 << QByteArray("*");
}

void TestSimulator::faultsShapeOnlyPolls()
{
    QFETCH(QString, kind);
    QFETCH(bool, silent);
    QFETCH(int, garbage);
    QFETCH(int, truncate);
    QFETCH(QByteArray, expected);

    FaultPlan plan;
    plan.silent = silent;
    plan.garbageLeft = garbage;
    plan.truncateLeft = truncate;
    const QByteArray status = bytes("49475403" "00ff00000000000000" "3b");
    const QByteArray shaped = plan.shape(kind, status);
    if (expected == "*")
        QVERIFY(!shaped.startsWith("IG") && !shaped.endsWith(';') && shaped.size() == 13);
    else
        QCOMPARE(shaped.toHex(), expected.toHex());
    // Each fault is used up by one poll; the next poll is answered untouched
    // unless another fault is still queued.
    if (kind == "poll" && !silent && garbage + truncate == 1)
        QCOMPARE(plan.shape(kind, status).toHex(), status.toHex());
}

void TestSimulator::garbageIsNeverAResponse()
{
    // The panel must drop garbage: it may neither look like the start of a response
    // nor end like one, whatever the generator produces.
    for (quint32 seed = 0; seed < 5000; ++seed) {
        const QByteArray g = FaultPlan::garbage(seed);
        QVERIFY2(g.at(0) != 'I' && !g.endsWith(';'), qPrintable(g.toHex()));
    }
}

void TestSimulator::consoleCommands_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("verb");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("flag");

    const int bad = ConsoleCommand::Invalid;
    QTest::newRow("busy list") << "busy 1,5" << int(ConsoleCommand::Busy) << 0x11 << 0 << false;
    QTest::newRow("busy spaced") << "busy 2 8" << int(ConsoleCommand::Busy) << 0x82 << 0 << false;
    QTest::newRow("busy mask") << "busy 0xF0" << int(ConsoleCommand::Busy) << 0xF0 << 0 << false;
    QTest::newRow("busy none") << "BUSY none" << int(ConsoleCommand::Busy) << 0 << 0 << false;
    QTest::newRow("busy antenna 9") << "busy 9" << bad << 0 << 0 << false;
    QTest::newRow("busy antenna 0") << "busy 0" << bad << 0 << 0 << false;
    QTest::newRow("busy mask too wide") << "busy 0x100" << bad << 0 << 0 << false;
    QTest::newRow("busy nothing") << "busy" << bad << 0 << 0 << false;
    QTest::newRow("tx on") << "tx on" << int(ConsoleCommand::Tx) << 0 << 0 << true;
    QTest::newRow("tx maybe") << "tx maybe" << bad << 0 << 0 << false;
    QTest::newRow("fw") << "fw 2 7" << int(ConsoleCommand::Firmware) << 2 << 7 << false;
    QTest::newRow("fw dotted") << "fw 1.12" << int(ConsoleCommand::Firmware) << 1 << 12 << false;
    QTest::newRow("fw 256") << "fw 256 1" << bad << 0 << 0 << false;
    QTest::newRow("fw one number") << "fw 3" << bad << 0 << 0 << false;
    QTest::newRow("garbage default") << "garbage" << int(ConsoleCommand::Garbage) << 1 << 0
                                     << false;
    QTest::newRow("garbage -1") << "garbage -1" << bad << 0 << 0 << false;
    QTest::newRow("truncate 3 to 5") << "truncate 3 5" << int(ConsoleCommand::Truncate) << 3 << 5
                                     << false;
    QTest::newRow("truncate to 13") << "truncate 1 13" << bad << 0 << 0 << false;
    QTest::newRow("hangup default") << "hangup" << int(ConsoleCommand::Hangup) << 2000 << 0
                                    << false;
    QTest::newRow("hangup keep") << "hangup 500 keep" << int(ConsoleCommand::Hangup) << 500 << 0
                                 << true;
    QTest::newRow("hangup negative") << "hangup -5" << bad << 0 << 0 << false;
    QTest::newRow("delay missing") << "delay" << bad << 0 << 0 << false;
    QTest::newRow("quit with junk") << "quit now" << bad << 0 << 0 << false;
    QTest::newRow("unknown") << "frobnicate" << bad << 0 << 0 << false;
    QTest::newRow("blank") << "   " << int(ConsoleCommand::Empty) << 0 << 0 << false;
}

void TestSimulator::consoleCommands()
{
    QFETCH(QString, line);
    QFETCH(int, verb);
    QFETCH(int, number);
    QFETCH(int, second);
    QFETCH(bool, flag);

    const ConsoleCommand c = parseConsoleCommand(line);
    QCOMPARE(int(c.verb), verb);
    if (verb == ConsoleCommand::Invalid) {
        QVERIFY(!c.error.isEmpty());
        return;
    }
    QCOMPARE(c.number, number);
    QCOMPARE(c.second, second);
    QCOMPARE(c.flag, flag);
}

namespace {

// Reads the simulator's machine log: one JSON object per line.
QList<QJsonObject> readLog(const QString &path)
{
    QList<QJsonObject> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            entries << QJsonDocument::fromJson(line).object();
    }
    return entries;
}

QByteArray exchange(QSerialPort &port, const QByteArray &command, int answerLength)
{
    port.write(command);
    QByteArray answer;
    while (answer.size() < answerLength && port.waitForReadyRead(5000))
        answer += port.readAll();
    return answer;
}

QString readLineFrom(QProcess &process)
{
    while (!process.canReadLine() && process.waitForReadyRead(10000)) {
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

void TestSimulator::realSimulatorOverPty()
{
    const QString program = qEnvironmentVariable("ORVIK_SIM");
    if (program.isEmpty())
        QSKIP("ORVIK_SIM does not name the simulator");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("ttyORVIK");
    const QString logPath = dir.filePath("sim.jsonl");

    QProcess sim;
    sim.setProcessChannelMode(QProcess::SeparateChannels);
    sim.start(program, {"--link", link, "--log", logPath, "--fw", "2.7", "--busy", "1"});
    QVERIFY(sim.waitForStarted());
    const QString banner = readLineFrom(sim);
    QVERIFY2(banner.endsWith(": " + link), qPrintable(banner));
    QVERIFY(QFileInfo(link).isSymLink());

    QSerialPort port(link);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QCOMPARE(exchange(port, "IGW;", 6).toHex(), QByteArray("IGW\x02\x07;").toHex());
    // Antenna 1 busy: bit 0 of the busy byte clear, all others set.
    QCOMPARE(exchange(port, "IGT3;", 13).toHex(),
             bytes("494754" "00" "00" "fe" "00" "00" "00" "00" "00" "00" "3b").toHex());

    // The log shows both commands as received and answered, in order, and an
    // answer is never stamped before the command it answers.
    // The answer's line is logged right after its last byte left, so it may trail
    // the bytes we already hold by a moment.
    QList<QJsonObject> traffic;
    auto readTraffic = [&]() {
        traffic.clear();
        for (const QJsonObject &e : readLog(logPath)) {
            if (e.value("dir") != "event")
                traffic << e;
        }
        return traffic.size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(readTraffic(), 4, 10000);
    const QStringList expected{"rx 4947573b firmware", "tx 49475702073b firmware",
                               "rx 494754333b poll", "tx 4947540000fe0000000000003b poll"};
    for (int i = 0; i < traffic.size(); ++i) {
        const QJsonObject &e = traffic.at(i);
        const QString seen = e.value("dir").toString() + ' ' + e.value("hex").toString() + ' '
                             + e.value("kind").toString();
        QCOMPARE(seen, expected.at(i));
        if (i > 0)
            QVERIFY(e.value("ms").toDouble() >= traffic.at(i - 1).value("ms").toDouble());
    }

    // Hang up: our open end dies, the link goes, and a new line comes back on it.
    qRegisterMetaType<QSerialPort::SerialPortError>();
    QSignalSpy errors(&port, &QSerialPort::errorOccurred);
    sim.write("hangup 300\n");
    QVERIFY(errors.wait(10000) || !errors.isEmpty());
    port.close();
    QVERIFY(readLineFrom(sim).startsWith("Back on " + link));
    QVERIFY(QFileInfo(link).isSymLink());

    QSerialPort again(link);
    QVERIFY2(again.open(QIODevice::ReadWrite), qPrintable(again.errorString()));
    QCOMPARE(exchange(again, "IGT3;", 13).size(), 13);
    again.close();

    QStringList events;
    for (const QJsonObject &e : readLog(logPath)) {
        if (e.value("dir") == "event")
            events << e.value("kind").toString();
    }
    QCOMPARE(events.mid(0, 3), (QStringList{"start", "hangup", "back"}));

    sim.write("quit\n");
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
