#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include "journeyfixture.h"
#include "radio/n1mmsource.h"
#include "radio/radiofollow.h"
#include "radio/radioinfo.h"
#include "radio/rigctldcycle.h"
#include "radio/rigctldreply.h"
#include "radio/rigctldsource.h"
#include "tables.h"

// Where the panel learns the radio's frequency: rigctld's answers and N1MM's
// broadcasts as parsed, a listener that never answers, datagrams on a shared
// port. Other roots and unclosed XML reach the panel through a real socket in
// the N1MM journey.
namespace {

struct Heard
{
    QList<RadioReading> readings;
    QStringList losses;
    explicit Heard(FrequencySource *s)
    {
        QObject::connect(s, &FrequencySource::reading, [this](RadioReading r) { readings << r; });
        QObject::connect(s, &FrequencySource::lost, [this](QString why) { losses << why; });
    }
};

// "14074000 -": the TX frequency and the PTT, ? unknown, - off, + on.
QString show(const RadioReading &r)
{
    return QString("%1 %2").arg(r.txHz).arg("?-+"[int(r.ptt)]);
}

// As N1MM sends it, with the elements the panel has no use for.
const QByteArray sample = R"(<?xml version="1.0" encoding="utf-8"?>
<RadioInfo><app>N1MM</app><StationName>CW-PC</StationName><RadioNr>2</RadioNr>
<Freq>2120000</Freq><TXFreq>2120500</TXFreq><Mode>CW</Mode><IsRunning>True</IsRunning>
<FocusRadioNr>1</FocusRadioNr><IsSplit>True</IsSplit><ActiveRadioNr>2</ActiveRadioNr>
<IsTransmitting>False</IsTransmitting><FunctionKeyCaption></FunctionKeyCaption>
<AuxAntSelectedName></AuxAntSelectedName><IsConnected>True</IsConnected></RadioInfo>)";

} // namespace

class TestSources : public QObject
{
    Q_OBJECT

private slots:
    void radioInfo_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        // RadioNr/ActiveRadioNr txHz ptt @StationName, or "refused"
        QTest::addColumn<QString>("parsed");
        // the settings among 0, 1, 2 and the station " cw-pc " that take it
        QTest::addColumn<QString>("followedBy");
        auto row = [](const char *name, const QByteArray &datagram, const char *parsed,
                      const char *followedBy) {
            ::row(name, datagram, QString(parsed), QString(followedBy));
        };
        auto info = [](const char *in) { return "<RadioInfo>" + QByteArray(in) + "</RadioInfo>"; };
        const QByteArray atLimit = sample + QByteArray(maxRadioInfoSize - sample.size(), ' ');
        row("sample: split, radio 2 active", sample, "2/2 21205000 - @CW-PC", "0 2 cw-pc");
        row("padded to the size limit", atLimit, "2/2 21205000 - @CW-PC", "0 2 cw-pc");
        row("one byte over", atLimit + ' ', "refused", "");
        row("no TXFreq: Freq; TRUE",
            info("<RadioNr>1</RadioNr><Freq>710000</Freq><ActiveRadioNr>2"
                 "</ActiveRadioNr><IsTransmitting>TRUE</IsTransmitting>"),
            "1/2 7100000 +", "1");
        row("TXFreq 0: Freq; false",
            info("<RadioNr>1</RadioNr><TXFreq>0</TXFreq><Freq>350000"
                 "</Freq><ActiveRadioNr>1</ActiveRadioNr>"
                 "<IsTransmitting>false</IsTransmitting>"),
            "1/1 3500000 -", "0 1");
        row("nothing but RadioNr", info("<RadioNr>2</RadioNr>"), "2/-1 0 ?", "2");
        row("not numbers",
            info("<RadioNr>x</RadioNr><TXFreq>-5</TXFreq><IsTransmitting>yes"
                 "</IsTransmitting>"),
            "-1/-1 0 ?", "");
        row("root in other case", "<radioinfo><RadioNr>1</RadioNr></radioinfo>", "refused", "");
        row("nested 32 deep",
            info(QByteArray("<a>").repeated(31) + QByteArray("</a>").repeated(31)), "-1/-1 0 ?",
            "");
        row("nested 33 deep",
            info(QByteArray("<a>").repeated(32) + QByteArray("</a>").repeated(32)), "refused", "");
        row("another station", info("<StationName>CW-PC2</StationName><RadioNr>1</RadioNr>"),
            "1/-1 0 ? @CW-PC2", "1");
        row("station name over its limit",
            info("<StationName>" + QByteArray(maxStationNameLength + 1, 'A') + "</StationName>"),
            "-1/-1 0 ?", "");
        row("line break in the station name", info("<StationName>CW&#10;PC</StationName>"),
            "-1/-1 0 ?", "");
        row("256 elements", info(QByteArray("<a/>").repeated(255)), "-1/-1 0 ?", "");
        row("257 elements", info(QByteArray("<a/>").repeated(256)), "refused", "");
    }
    void radioInfo()
    {
        QFETCH(QByteArray, datagram);
        const std::optional<RadioInfo> info = parseRadioInfo(datagram);
        QString parsed = "refused";
        QStringList followedBy;
        if (info) {
            const char ptt = !info->transmitting ? '?' : *info->transmitting ? '+' : '-';
            parsed = QString("%1/%2 %3 %4")
                         .arg(info->radioNr.value_or(-1))
                         .arg(info->activeRadioNr.value_or(-1))
                         .arg(info->txHz())
                         .arg(ptt)
                     + (info->stationName ? " @" + *info->stationName : "");
            for (int radio : {0, 1, 2})
                if (isFollowedRadio(*info, radio))
                    followedBy << QString::number(radio);
            if (isFollowedStation(*info, " cw-pc "))
                followedBy << "cw-pc";
        }
        QTEST(parsed, "parsed");
        QTEST(followedBy.join(' '), "followedBy");
    }

    // N1mmFrom= as typed, and which of a few senders it lets through: by default the local
    // networks; a list instead of them; an entry that does not read refuses all of it.
    void n1mmSenders_data()
    {
        columns<QString, QString>({"from", "allowed"}); // allowed: "bad [entry]" when refused
        row("default", QString(" "),
            QString("127.0.0.1 ::1 10.200.0.1 172.31.255.255 192.168.44.2 169.254.7.7 fd12::1 "
                    "fe80::1 ::ffff:192.168.1.9"));
        row("one public address", QString("203.0.113.5"),
            QString("203.0.113.5 ::ffff:203.0.113.5"));
        row("subnets", QString("192.168.0.0/16 , 2001:db8::/32"),
            QString("192.168.44.2 2001:db8::1 ::ffff:192.168.1.9"));
        row("IPv4-mapped subnet", QString("::ffff:203.0.113.0/120"),
            QString("203.0.113.5 ::ffff:203.0.113.5"));
        for (const char *bad : {"10.0.0.1, router", "192.168/16", "010.0.0.1", "10.0.0.0/33",
                                "10.0.0.0/+8", "::1/129", "10.0.0.1,"})
            row(bad, QString(bad), "bad [" + QString(bad).section(',', -1).trimmed() + ']');
    }
    void n1mmSenders()
    {
        QFETCH(QString, from);
        QString bad;
        const std::optional<QList<Subnet>> senders = readN1mmSenders(from, &bad);
        QStringList allowed;
        for (const char *sender :
             {"127.0.0.1", "::1", "10.200.0.1", "172.31.255.255", "172.32.0.1", "192.168.44.2",
              "169.254.7.7", "fd12::1", "fe80::1", "203.0.113.5", "2001:db8::1",
              "::ffff:192.168.1.9", "::ffff:203.0.113.5"})
            if (senders && isAllowedSender(QHostAddress(sender), *senders))
                allowed << sender;
        QTEST(senders ? allowed.join(' ') : "bad [" + bad + ']', "allowed");
    }

    // rigctld's answers as the reads deliver them, through the reader into one
    // cycle.
    void rigctldCycle_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QString>("result"); // the commands asked = what came of the answers
        const QByteArray freq = "get_freq:\nFrequency: 14074000\nRPRT 0\n";
        const QByteArray splitOn = "get_split_vfo:\nSplit: 1\nTX VFO: VFOB\nRPRT 0\n";
        const QByteArray noSplit = "get_split_vfo:\nSplit: 0\nTX VFO: VFOA\nRPRT 0\n";
        const QByteArray ptt = "get_ptt:\nPTT: 0\nRPRT 0\n";
        const QByteArray split =
            freq + splitOn + "get_split_freq:\nTX Frequency: 14080000\nRPRT 0\n";
        const QString all = "get_freq get_split_vfo get_split_freq get_ptt = ";
        const QString notSplit = "get_freq get_split_vfo get_ptt = ";
        QByteArrayList bytes;
        for (char c : split + "get_ptt:\nPTT: 1\nRPRT 0\n")
            bytes << QByteArray(1, c);
        auto row = [](const char *name, const QByteArrayList &pieces, const QString &result) {
            ::row(name, pieces, result);
        };
        row("split, byte by byte, transmitting", bytes, all + "14080000 +");
        row("cut mid-line, CRLF, data PTT", {split + "get_p", "tt:\r\nPTT: 3\r\nRPRT 0\r\n"},
            all + "14080000 +");
        row("no split freq: the VFO's", {freq + splitOn + "get_split_freq:\nRPRT -11\n" + ptt},
            all + "14074000 -");
        row("no split, no PTT (-4, -11)", {freq + "get_split_vfo:\nRPRT -4\nget_ptt:\nRPRT -11\n"},
            notSplit + "14074000 ?");
        row("rig off", {"get_freq:\nRPRT -20\n"}, "get_freq = no frequency");
        row("answer to another command", {freq + ptt}, "get_freq get_split_vfo = out of step");
        row("answer after the last", {freq + noSplit + ptt + ptt}, notSplit + "out of step");
        row("overlong line over reads: its answer dropped",
            {freq + "get_split_vfo:\nSplit: " + QByteArray(600, '1'), QByteArray(600, '1'),
             "\nRPRT 0\n" + noSplit + ptt},
            notSplit + "14074000 - overran");
    }
    void rigctldCycle()
    {
        QFETCH(QByteArrayList, pieces);
        RigctldCycle cycle;
        RigctldReplyReader reader;
        cycle.start();
        QStringList asked{cycle.commandName()};
        QString outcome;
        for (const QByteArray &piece : pieces) {
            for (const RigctldReply &reply : reader.feed(piece)) {
                switch (cycle.take(reply)) {
                case RigctldCycle::Result::Ask:
                    asked << cycle.commandName();
                    break;
                case RigctldCycle::Result::Done:
                    outcome = show(cycle.reading());
                    break;
                case RigctldCycle::Result::NoFrequency:
                    outcome = "no frequency";
                    break;
                case RigctldCycle::Result::OutOfStep:
                    outcome = "out of step";
                    break;
                }
            }
        }
        QTEST(asked.join(' ') + " = " + outcome + (reader.overran() ? " overran" : ""), "result");
    }

    // A listener that never answers is lost once, however often it is tried
    // again.
    void silentListener()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&silent, &QTcpServer::newConnection, [&] { ++connections; });
        RigctldSource source("127.0.0.1", silent.serverPort());
        Heard heard(&source);
        source.start();
        QTRY_VERIFY_WITH_TIMEOUT(connections >= 3, 20000);
        QCOMPARE(heard.losses.size(), 1);
    }

    // A peer that streams without end is closed as soon as its line runs over, not when
    // the answer's time is up, and tried again after the retry interval.
    void streamingPeer()
    {
        QTcpServer streamer;
        QVERIFY(streamer.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&streamer, &QTcpServer::newConnection, &streamer, [&] {
            ++connections;
            streamer.nextPendingConnection()->write(
                QByteArray(4 * RigctldReplyReader::maxLine, '1'));
        });
        RigctldSource source("127.0.0.1", streamer.serverPort());
        Heard heard(&source);
        source.start();
        QTRY_VERIFY_WITH_TIMEOUT(connections >= 2, 10000);
        QCOMPARE(heard.losses.size(), 1);
        QVERIFY2(heard.losses[0].endsWith("sent more than an answer can hold"),
                 qPrintable(heard.losses[0]));
    }

    // Two listeners share the port and each takes its radio from what is
    // broadcast there.
    void n1mmSharedPort()
    {
        const quint16 port = freeLoopbackPort();
        N1mmSource focus(port, 0), second(port, 2);
        Heard heardFocus(&focus), heardSecond(&second);
        focus.start();
        second.start();
        QUdpSocket sender;
        const QByteArray radio1 = QByteArray(sample).replace("<RadioNr>2", "<RadioNr>1");
        const QByteArray oversized = sample + QByteArray(9000, ' ');
        for (const QByteArray &d : {radio1, oversized, sample})
            QVERIFY(sender.writeDatagram(d, QHostAddress("127.255.255.255"), port) == d.size());
        QTRY_VERIFY(!heardFocus.readings.isEmpty() && !heardSecond.readings.isEmpty());
        for (const Heard *h : {&heardFocus, &heardSecond}) {
            QCOMPARE(h->readings.size(), 1);
            QCOMPARE(show(h->readings[0]), "21205000 -");
            QVERIFY(h->losses.isEmpty());
        }
    }

    // A flood takes turns: at most a budget of datagrams a turn, and of those only the
    // newest about the followed radio is a reading.
    void n1mmFloodTakesTurns()
    {
        const quint16 port = freeLoopbackPort(true);
        N1mmSource source(port, 2);
        Heard heard(&source);
        source.start();
        QUdpSocket sender;
        // Small ones, few enough that the kernel's receive buffer holds them all.
        const int count = N1mmSource::datagramsPerTurn + 8;
        for (int i = 1; i <= count; ++i) {
            const QByteArray d = "<RadioInfo><RadioNr>2</RadioNr><TXFreq>" + QByteArray::number(i)
                                 + "</TXFreq></RadioInfo>";
            QVERIFY(sender.writeDatagram(d, QHostAddress::LocalHost, port) == d.size());
        }
        QTRY_COMPARE(heard.readings.size(), 2);
        QTest::qWait(100);
        QCOMPARE(heard.readings.size(), 2);
        QCOMPARE(heard.readings.last().txHz, qint64(count) * 10);
    }

    // Another station's broadcast and those from a sender not allowed are not followed, and
    // are told once the report interval after the first is up, however many follow it.
    void n1mmRefusals()
    {
        const quint16 port = freeLoopbackPort(true);
        N1mmSource source(port, 2);
        Heard heard(&source);
        QStringList reports;
        connect(&source, &N1mmSource::refusals, this, [&](const QString &s) { reports << s; });
        source.setAllowed(*readN1mmSenders("127.0.0.1"), " cw-pc");
        source.setReportInterval(10);
        source.start();
        QUdpSocket sender;
        const QByteArray other =
            QByteArray(sample).replace("CW-PC", "OTHERPC").replace("21205", "7");
        for (const QByteArray &d : {sample, other})
            QVERIFY(sender.writeDatagram(d, QHostAddress::LocalHost, port) == d.size());
        const QString head = "N1MM: 1 broadcast refused in the last minute: 1 from ";
        QTRY_COMPARE(reports, QStringList{head + "other stations (last OTHERPC)"});
        QCOMPARE(heard.readings.size(), 1);
        QCOMPARE(show(heard.readings[0]), "21205000 -");
        source.setAllowed(*readN1mmSenders("::1, 10.9.9.9"), QString());
        // QTRY sends one at each of its 50 ms steps: refusals keep coming within the interval.
        source.setReportInterval(200);
        QTRY_VERIFY(sender.writeDatagram(sample, QHostAddress::LocalHost, port) > 0
                    && reports.size() == 2);
        const QRegularExpression refusedSenders("^N1MM: (\\d+) broadcasts? refused in the last "
                                                "minute: \\1 from senders not allowed \\(last "
                                                "127\\.0\\.0\\.1\\)$");
        QVERIFY2(refusedSenders.match(reports[1]).hasMatch(), qPrintable(reports[1]));
        QCOMPARE(heard.readings.size(), 1);
    }

    // A sender list that does not read follows nothing, and the follow log says why.
    void n1mmBadSenders()
    {
        RadioFollow follow(nullptr);
        FollowSettings settings;
        settings.follow = true;
        settings.source = SourceKind::N1mm;
        settings.n1mmPort = freeLoopbackPort(true);
        settings.n1mmFrom = "10.0.0.1, router";
        QTest::ignoreMessage(QtWarningMsg,
                             "N1mmFrom=10.0.0.1, router: \"router\" is neither an "
                             "address nor a subnet (address/bits); nothing is followed");
        follow.apply(settings);
        QCOMPARE(follow.findChildren<N1mmSource *>().size(), 0);
        QCOMPARE(follow.status(), QString("Radio: bad address in settings"));
        settings.n1mmFrom = "10.0.0.1";
        follow.apply(settings);
        QCOMPARE(follow.findChildren<N1mmSource *>().size(), 1);
    }

    // A port taken by a program that does not share it, then silence: each is
    // lost once, and a broadcast after either is a reading again.
    void n1mmLostAndBack()
    {
        const quint16 port = freeLoopbackPort();
        QUdpSocket blocker;
        QVERIFY(blocker.bind(QHostAddress::AnyIPv4, port, QUdpSocket::DontShareAddress));
        N1mmSource source(port, 2);
        source.setSilenceLimit(300);
        Heard heard(&source);
        source.start();
        QTRY_COMPARE(heard.losses.size(), 1);
        QVERIFY2(heard.losses[0].contains("cannot listen"), qPrintable(heard.losses[0]));
        QTest::qWait(1000); // the silence limit passes three times over: no second loss
        QCOMPARE(heard.losses.size(), 1);
        blocker.close();
        QUdpSocket sender;
        auto send = [&] { return sender.writeDatagram(sample, QHostAddress::LocalHost, port); };
        QTRY_VERIFY_WITH_TIMEOUT(send() && !heard.readings.isEmpty(), 10000);
        QTRY_COMPARE(heard.losses.size(), 2);
        QVERIFY2(heard.losses[1].contains("no broadcast"), qPrintable(heard.losses[1]));
    }
};

QTEST_GUILESS_MAIN(TestSources)
#include "tst_sources.moc"
