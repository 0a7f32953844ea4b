#include <QtTest>

#include "station/apicommand.h"
#include "station/linereader.h"
#include "station/pushlines.h"
#include "tables.h"

namespace {

// A command's arguments in a few characters, whatever its verb.
QString argumentsOf(const ApiCommand &c)
{
    QStringList group;
    for (int position : c.group)
        group << QString::number(position);
    QStringList words = {QString::fromLatin1(c.token) + group.join(',')};
    for (int n : {int(c.enable), c.antenna, c.splitAntenna, c.receive, c.rotor * 10 + c.topics})
        words << QString::number(n);
    return words.join(' ');
}

} // namespace

// The station's pure parts: what it reads from clients and browsers, what it writes back,
// and the bounds that keep one client from holding it.
class StationTest : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        columns<QByteArrayList, QByteArrayList, bool>({"chunks", "lines", "tooLong"});
        const QByteArray full(256, 'x');
        row("every ending", QByteArrayList{"a\nb\rc\r\nd"}, QByteArrayList{"a", "b", "c"}, false);
        row("CRLF across reads", QByteArrayList{"a\r", "\nb\r", "\r\n"},
            QByteArrayList{"a", "b", ""}, false);
        row("empty lines", QByteArrayList{"\n\r\n\r"}, QByteArrayList{"", "", ""}, false);
        row("256 bytes", QByteArrayList{full, "\r\n"}, QByteArrayList{full}, false);
        row("257 bytes, no ending yet", QByteArrayList{"ok\n" + full.left(200), full.left(57)},
            QByteArrayList{"ok"}, true);
        row("nothing after overrun", QByteArrayList{full + "y", "\nC1|ping\n"}, QByteArrayList{},
            true);
    }
    void lines()
    {
        QFETCH(QByteArrayList, chunks);
        LineReader reader;
        QByteArrayList lines;
        bool tooLong = false;
        for (const QByteArray &chunk : chunks) {
            const LineReader::Lines got = reader.feed(chunk);
            lines += got.lines;
            tooLong = got.tooLong;
        }
        QTEST(lines, "lines");
        QTEST(tooLong, "tooLong");
    }

    void parse_data()
    {
        columns<QByteArray, QString>({"line", "parsed"});
        const QList<QPair<const char *, const char *>> good = {
            {"C1|ping", "1 Ping  0 0 0 0 0"},
            {"C65535|auth token=Ab-_9", "65535 Auth Ab-_9 0 0 0 0 0"},
            {"C2|keepalive enable", "2 Keepalive  1 0 0 0 0"},
            {"C3|antenna list", "3 AntennaList  0 0 0 0 0"},
            {"C4|  select   tx=8 ", "4 SelectTx  0 8 0 0 0"},
            {"C5|select rx=RTX", "5 SelectRx  0 0 0 8 0"},
            {"C5|select rx=rx2", "5 SelectRx  0 0 0 1 0"},
            {"C6|split 2 5", "6 Split  0 2 5 0 0"},
            {"C6|split off", "6 SplitOff  0 0 0 0 0"},
            {"C7|supersplit 3,1,8", "7 SuperSplit 3,1,8 0 0 0 0 0"},
            {"C8|rotor 4", "8 Rotor  0 0 0 0 40"},
            {"C9|release all", "9 ReleaseAll  0 0 0 0 0"},
            {"C9|sub follow", "9 Subscribe  0 0 0 0 4"},
            {"C9|unsub all", "9 UnsubscribeAll  0 0 0 0 0"},
            {"", "blank"},
        };
        for (const auto &g : good)
            row(g.first, QByteArray(g.first), QString(g.second));
        // Rows of lines joined by '/', which none of them holds.
        const QByteArray noSeq = "ping/C0|ping/C01|ping/C+1|ping/C65536|ping/C123456|ping/c1|ping/"
                                 "C1ping/C|ping/C 1|ping/\x01"
                                 "C1|ping";
        for (const QByteArray &line : noSeq.split('/'))
            row(line, line, QString("R0|20"));
        for (const char *line : {"C5|PING", "C5|", "C5|pong"})
            row(line, QByteArray(line), QString("R5|10"));
        const QByteArray bad =
            "select tx=9/select tx=0/select tx=01/select tx=/select rx=RX5/select/select TX=1/"
            "select tx=1 tx=2/split 3 3/split 1/split 1 9/split on/supersplit 1/supersplit 1,1/"
            "supersplit 1,,2/supersplit 1,9/supersplit 1, 2/rotor 5/rotor -1/rotor/ping now/"
            "keepalive/keepalive on/auth token=/auth token=a b/auth tok=abc/auth token=a!/"
            "release some/sub everything/unsub switch/antenna/select tx=\t1/rotor 1\x7f/"
            "select rx=RX\xc3\xa9";
        for (const QByteArray &line : bad.split('/'))
            row(line, "C9|" + line, QString("R9|20"));
        row("overlong token", "C9|auth token=" + QByteArray(129, 'a'), QString("R9|20"));
    }
    void parse()
    {
        QFETCH(QByteArray, line);
        static const QStringList verbs =
            QString("Auth Ping Keepalive Info AntennaList Status SelectTx SelectRx Split SplitOff "
                    "SuperSplit Rotor Release ReleaseAll Subscribe UnsubscribeAll")
                .split(' ');
        const ParsedLine p = parseLine(line);
        QString got = p.blank ? "blank"
                              : QStringLiteral("%1 %2 %3")
                                    .arg(p.seq)
                                    .arg(verbs.value(int(p.command.verb)), argumentsOf(p.command));
        if (p.code != ReplyCode::Ok)
            got = QString::fromLatin1(replyLine(p.seq, p.code).split('|').mid(0, 2).join('|'));
        QTEST(got, "parsed");
        QVERIFY(p.code == ReplyCode::Ok || !p.reason.isEmpty());
    }

    // What the station writes: every free text as one word that decodes back to it.
    void texts_data()
    {
        columns<QByteArray, QByteArray>({"made", "expected"});
        SwitchStatus s;
        s.txPos = 2;
        row("a plain status", switchLine(s, "panel"),
            QByteArray("S0|switch tx=3 prev=1 split=0 splittx=1 busy= transmitting=0 rotor=0 "
                       "group= rxmode=0 by=panel"));
        s = {7, 1, 0b10110111, 4, 0b10000101, 1, 5, 3, 1};
        row("busy, group and every flag", switchLine(s, "kb"),
            QByteArray("S0|switch tx=8 prev=4 split=1 splittx=6 busy=4,7 transmitting=1 rotor=4 "
                       "group=1,3,8 rxmode=1 by=kb"));
        s = {8, 2, 0, 5, 0xFF, 2, 200, 0xFF, 7};
        row("raw values out of range", switchLine(s, "follow"),
            QByteArray("S0|switch tx=0 prev=0 split=0 splittx=0 busy=1,2,3,4,5,6,7,8 "
                       "transmitting=0 rotor=0 group=1,2,3,4,5,6,7,8 rxmode=0 by=follow"));
        row("greeting", greeting("1.3.0", "Ørvik Nord", true),
            QByteArray("V1.3.0 ORVIK name=%C3%98rvik%20Nord AUTH"));
        row("reason with line breaks", linkLine(false, "a|b\r\n100%"),
            QByteArray("S0|link state=down reason=a%7Cb%0D%0A100%25"));
        row("info", infoText({"Shack", "1.3.0", FirmwareRevision{2, 10}, true, "/dev/tty USB0"}),
            QByteArray("station name=Shack version=1.3.0 firmware=2.10 link=up "
                       "port=/dev/tty%20USB0"));
        row("info, firmware not known", infoText({"S", "1", std::nullopt, false, ""}),
            QByteArray("station name=S version=1 firmware= link=down port="));
        row("receive item", receiveItem(8, "Bev NE"), QByteArray("rx RTX name=Bev%20NE"));
        row("bad token", replyLine(7, ReplyCode::BadToken), QByteArray("R7|FF|bad token"));
        row("end of a list", listReply(3, {antennaItem(1, "")}).join('/'),
            QByteArray("R3|00|antenna 1 name=/R3|00|"));
        row("our own text cannot break the line", replyLine(1, ReplyCode::Ok, "a\nb|c"),
            QByteArray("R1|00|a?b?c"));
    }
    void texts()
    {
        QFETCH(QByteArray, made);
        QTEST(made, "expected");
    }

};

QTEST_GUILESS_MAIN(StationTest)
#include "tst_station.moc"
