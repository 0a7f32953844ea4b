#include <QRegularExpression>
#include <QtTest>

#include "frames.h"
#include "isolatedsettings.h"
#include "journeyfixture.h"
#include "link/clock.h"
#include "link/controllerlink.h"
#include "ptypair.h"
#include "tables.h"
#include "wiretap.h"

namespace {

PortSettings portAt(const QString &path)
{
    PortSettings p;
    p.portName = path;
    p.baudRate = 9600;
    return p;
}

// What a link said, in the order it said it, recorded in the test's thread.
class Heard : public QObject
{
public:
    explicit Heard(ControllerLink *link)
    {
        connect(link, &ControllerLink::opened, this, [this] { events << "opened"; });
        connect(link, &ControllerLink::openFailed, this,
                [this](const QString &why) { events << "failed " + why; });
        connect(link, &ControllerLink::statusReceived, this,
                [this](const SwitchStatus &s) { events << QString("status %1").arg(s.txPos + 1); });
        connect(link, &ControllerLink::firmwareReceived, this, [this](const FirmwareRevision &r) {
            events << QString("firmware %1.%2").arg(r.major).arg(r.minor);
        });
        connect(link, &ControllerLink::aliveChanged, this,
                [this](bool alive) { events << (alive ? "alive" : "silent"); });
        connect(link, &ControllerLink::lost, this, [this] { events << "lost"; });
        connect(link, &ControllerLink::reconnecting, this, [this] { events << "reconnecting"; });
    }
    int count(const QString &prefix) const
    {
        return int(std::count_if(events.begin(), events.end(),
                                 [&](const QString &e) { return e.startsWith(prefix); }));
    }
    bool waitFor(const QString &prefix, int n = 1, int ms = 5000) const
    {
        return ::waitFor([&] { return count(prefix) >= n; }, ms);
    }
    QStringList events;
};

} // namespace

// The link at its own interface: the operator's words in, the switch's bytes on the wire,
// the decoded status out. Against the simulator on lines as real adapters make them, and
// against a bare pseudo-terminal where the test must write exactly what the controller
// says.
class LinkTest : public QObject
{
    Q_OBJECT

private slots:
    void conversation_data()
    {
        QTest::addColumn<QStringList>("simulator");
        auto row = [](const char *name, const QString &args) {
            QTest::newRow(name) << (args.isEmpty() ? QStringList() : args.split(' '));
        };
        row("a clean line", "");
        row("9600 baud, 12 ms late", "--baud 9600 --delay 12");
        row("11 bytes, the rest 30 ms later", "--chunk 11,30");
        row("noise between answers", "--baud 9600 --noise 300");
        row("two short frames before each", "--short 8");
    }
    // Every word leaves with its exact bytes, a newer select replacing one not yet sent,
    // spaced as the controller needs; the status and the firmware come back decoded. Words
    // queued for a connection never reach the next one. A pulled adapter is reported
    // once and the link comes back by itself; Disconnect ends the waiting.
    void conversation()
    {
        QFETCH(QStringList, simulator);
        const WireTap tap;
        Station s;
        QCOMPARE(s.startSimulator(simulator), QString());
        // In the test's thread: a run of calls is then one go for the link, with no turn to
        // send between them. The journeys run it in its own thread.
        ControllerLink link;
        Heard heard(&link);
        link.open(portAt(s.link));
        QVERIFY(heard.waitFor("firmware 1.0") && heard.waitFor("status", 2));

        int mark = s.log().size();
        link.selectTx(2);
        link.release(false);
        link.selectTx(6);
        link.selectTx(7);
        link.setSplit(7, 3);
        link.clearSplit();
        link.selectRx(8);
        link.setRotor(2, 7);
        link.setSuperSplit(0x12);
        link.release(true);
        const QList<QByteArray> words{"IGX0;", "IGS6;",  "IGP621;",  "IGP//0;",
                                      "IGY8;", "IGV72;", "IGQ\x12;", "IGX1;"};
        QVERIFY(waitFor([&] { return s.framesSince(mark).size() >= words.size(); }, 8000));
        QCOMPARE(s.framesSince(mark), words);
        QVERIFY(heard.waitFor("status", heard.count("status") + 1)); // polls again

        // A word for a connection that is closing, and one while none is open, are never
        // sent; a word pressed right after Connect waits its turn behind the firmware query.
        mark = s.log().size();
        link.selectTx(4);
        link.close();
        link.selectTx(5);
        const int statuses = heard.count("status");
        link.open(portAt(s.link));
        link.selectTx(2);
        QVERIFY(heard.waitFor("status", statuses + 2));
        QCOMPARE(s.framesSince(mark), QList<QByteArray>{"IGS1;"});

        link.setReconnecting(true);
        s.say("hangup 1000");
        QVERIFY2(heard.waitFor("reconnecting") && heard.waitFor("opened", 3, 8000),
                 qPrintable(heard.events.join(" ")));
        QVERIFY(heard.waitFor("firmware", 3) && heard.waitFor("status", heard.count("status") + 2));
        QCOMPARE(heard.count("lost"), 1);
        s.say("hangup 1000");
        QVERIFY(heard.waitFor("lost", 2));
        link.close();
        QTest::qWait(ControllerLink::reconnectIntervalMs + 1500);
        QCOMPARE(heard.count("opened"), 3);

        QCOMPARE(WireTap::spacingFault(), QString());
    }

    void framing_data()
    {
        QTest::addColumn<QByteArray>("waiting");    // in the port before Connect
        QTest::addColumn<QByteArrayList>("writes"); // by the controller, one after another
        QTest::addColumn<QString>("heard");
        const QByteArray status = statusFrame();
        auto row = [](const char *name, const QByteArrayList &writes, const char *heard,
                      const QByteArray &waiting = {}) {
            ::row(name, waiting, writes, QString(heard));
        };
        row("noise, a cut answer, a whole one",
            {"\x02zI", "GT\1garbage" + status.left(5), status.mid(5)}, "status 3 alive");
        row("firmware anywhere in the stream", {"zz", "IGW\x02\x07;", "I"}, "firmware 2.7 alive");
        // A transceiver's CAT port answers every command; it never makes the link alive.
        row("a transceiver's answers", {"FA00014074000;", "FA00014074000;"}, "");
        // Connect starts on an empty line: an answer left over from before is not news.
        row("a stale answer waiting at Connect", {"IG"}, "", statusFrame(5));
    }
    // Whatever pieces the answers arrive in (the framer's own table has every shape), each
    // whole one is decoded once and keeps the link alive, and nothing else does.
    void framing()
    {
        QFETCH(QByteArray, waiting);
        QFETCH(QByteArrayList, writes);
        PtyPair pty;
        QVERIFY(pty.open() && pty.write(waiting));
        ControllerLink link;
        Heard heard(&link);
        QVERIFY(heard.waitFor("silent", 1, 3000)); // nothing heard since start
        link.open(portAt(pty.slavePath()));
        QCOMPARE(pty.read(4), QByteArray("IGW;"));
        for (const QByteArray &bytes : writes) {
            QVERIFY(pty.write(bytes));
            QTest::qWait(30);
        }
        QTest::qWait(100);
        QTEST(heard.events.mid(2).join(' '), "heard"); // after "silent opened"
    }

    // The wire trace as operators and their scripts read it: time, direction, length,
    // verdict, the bytes in hex and as text.
    void wireTraceLines()
    {
        QStringList wire;
        {
            const WireTap tap;
            PtyPair pty;
            ControllerLink link;
            Heard heard(&link);
            link.open(portAt(pty.open() ? pty.slavePath() : QString()));
            QCOMPARE(pty.read(4), QByteArray("IGW;"));
            QVERIFY(pty.write("zz" + statusFrame(3, 0, 0x7F)) && heard.waitFor("status"));
            for (const QString &line : WireTap::lines())
                if (!line.endsWith("|IGT3;|")) // a poll may fall due meanwhile
                    wire << QString(line).replace(QRegularExpression("^\\d+ ms "), "T ms ");
        }
        QCOMPARE(wire, QStringList({"T ms TX 4 49 47 57 3b |IGW;|", "T ms RX 2 dropped 7a 7a |zz|",
                                    "T ms RX 13 accepted 49 47 54 03 00 7f 00 00 00 00 00 01 3b "
                                    "|IGT.........;|"}));
    }

    // A path that cannot be opened is refused with the port's reason. A frame the port will
    // not take ends the connection as a lost device does, once.
    void failures()
    {
        QTemporaryDir dir;
        ControllerLink link;
        Heard heard(&link);
        link.open(portAt(dir.filePath("no-such-tty")));
        QCOMPARE(heard.events.filter("failed").size(), 1);
        QVERIFY(heard.events.filter("failed").value(0).size() > 7);
        PtyPair pty;
        QVERIFY(pty.open());
        link.open(portAt(pty.slavePath()));
        QCOMPARE(pty.read(4), QByteArray("IGW;"));
        link.port.close();
        QVERIFY(link.port.open(QIODevice::ReadOnly));
        QVERIFY(heard.waitFor("lost", 1, 1000));
        QTest::qWait(300);
        QCOMPARE(heard.count("lost"), 1);
        QVERIFY(!link.port.isOpen());
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(LinkTest, "link")
#include "tst_link.moc"
