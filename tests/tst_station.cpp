#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "station/addressguard.h"
#include "station/apicommand.h"
#include "station/commandrate.h"
#include "station/httphead.h"
#include "station/httproute.h"
#include "station/linereader.h"
#include "station/origincheck.h"
#include "station/pushlines.h"
#include "station/tokenstore.h"
#include "station/writeconfirm.h"
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

HttpHeadReader::State readHead(const QByteArrayList &chunks, HttpHead &head)
{
    HttpHeadReader reader;
    for (const QByteArray &chunk : chunks)
        reader.feed(chunk);
    head = reader.head();
    return reader.state();
}

// Unix permission bits (0640) as Qt names them, the owner's also as the user's.
QFileDevice::Permissions unixMode(int m)
{
    return QFileDevice::Permissions((m & 0700) << 6 | (m & 0700) << 2 | (m & 070) << 1 | (m & 07));
}

QByteArray request(const QByteArray &line, const QByteArray &headers)
{
    return line + " HTTP/1.1\r\nHost: a:8080\r\n" + headers + "\r\n";
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
        // The panel served by a station reads the line back into the switch's own answer.
        s = {7, 1, 0b10110111, 4, 0b10000101, 1, 5, 3, 1};
        QString by;
        const std::optional<SwitchStatus> back = readSwitchLine(switchLine(s, "Ø b"), &by);
        row("read back", back ? switchLine(*back, by) : QByteArray(), switchLine(s, "Ø b"));
        row("a line with a field missing",
            QByteArray(readSwitchLine("S0|switch tx=1", &by) ? "read" : "refused"),
            QByteArray("refused"));
        row("end of a list", listReply(3, {antennaItem(1, "")}).join('/'),
            QByteArray("R3|00|antenna 1 name=/R3|00|"));
        row("our own text cannot break the line", replyLine(1, ReplyCode::Ok, "a\nb|c"),
            QByteArray("R1|00|a?b?c"));
        row("websocket accept", webSocketAccept("dGhlIHNhbXBsZSBub25jZQ=="),
            QByteArray("s3pPLMBiTxaQ9kYGzzhZRbK+xOo="));
        QStringList refused;
        OriginCheck(false, "https://a:4591,nonsense, http://b/x,", &refused);
        row("allowed origins that are none", refused.join(' ').toLatin1(),
            QByteArray("nonsense http://b/x"));
    }
    void texts()
    {
        QFETCH(QByteArray, made);
        QTEST(made, "expected");
    }

    // A write is done when a report shows the switch standing so; a select under split moves
    // the partner, a release leaves no position.
    void confirm_data()
    {
        columns<QByteArray, QByteArray, bool>({"line", "status", "done"});
        // status: tx split group rotor transmitting splittx rxmode, as the switch sends them
        row("select", QByteArray("select tx=3"), QByteArray("2 0 0 0 0 0 0"), true);
        row("select, not yet", QByteArray("select tx=3"), QByteArray("1 0 0 0 0 0 0"), false);
        row("select under split: the partner", QByteArray("select tx=6"),
            QByteArray("1 1 0 0 0 5 0"), true);
        row("split pair", QByteArray("split 2 6"), QByteArray("1 1 0 0 0 5 0"), true);
        row("split, other first antenna", QByteArray("split 3 6"), QByteArray("1 1 0 0 0 5 0"),
            false);
        row("supersplit", QByteArray("supersplit 1,3"), QByteArray("0 0 5 0 0 0 0"), true);
        row("rotor none", QByteArray("rotor 0"), QByteArray("0 0 0 9 0 0 0"), true);
        row("RTX", QByteArray("select rx=RTX"), QByteArray("0 0 0 0 0 0 1"), false);
        row("release", QByteArray("release"), QByteArray("255 0 5 2 0 0 1"), true);
        row("release all, group left", QByteArray("release all"), QByteArray("255 0 5 0 0 0 0"),
            false);
    }
    void confirm()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, status);
        const ParsedLine parsed = parseLine("C1|" + line);
        QCOMPARE(parsed.code, ReplyCode::Ok);
        const QList<QByteArray> f = status.split(' ');
        SwitchStatus s;
        s.txPos = quint8(f[0].toInt());
        s.split = quint8(f[1].toInt());
        s.group = quint8(f[2].toInt());
        s.rotor = quint8(f[3].toInt());
        s.transmitting = quint8(f[4].toInt());
        s.splitTxPos = quint8(f[5].toInt());
        s.rxMode = quint8(f[6].toInt());
        QTEST(standsAsAsked(parsed.command, s), "done");
    }

    void httpHead_data()
    {
        columns<QByteArrayList, QString>({"chunks", "read"});
        const QByteArray get = "GET / HTTP/1.1\r\nHost: a\r\n";
        row("good GET",
            QByteArrayList{"GET /index.html?x=1 HTTP/1.1\r\nHost: a:8\r\nUA: t\r\n\r\n"},
            QString("GET /index.html x=1 a:8 "));
        row("split across reads, names in any case",
            QByteArrayList{"GET /ws HT", "TP/1.1\r\nhOsT: a\r\nConnection: x\r\nconnection: Up",
                           "grade\r\n\r", "\n"},
            QString("GET /ws  a x, Upgrade"));
        row("bare LF, HTTP/1.0 without Host", QByteArrayList{"HEAD /a%20b HTTP/1.0\n\n"},
            QString("HEAD /a b   "));
        row("not yet whole", QByteArrayList{get}, QString("more"));
        const QByteArray pad = "X: " + QByteArray(8192 - get.size() - 7, 'a') + "\r\n";
        row("8192 bytes", QByteArrayList{get + pad, "\r\n"}, QString("GET /  a "));
        row("8193 bytes", QByteArrayList{get + "Y" + pad + "\r\n"}, QString("431"));
        row("no end in sight", QByteArrayList{get, QByteArray(9000, 'a')}, QString("431"));
        const char *bad[] = {"GET http://a/ HTTP/1.1",  "OPTIONS * HTTP/1.1",
                             "GET /../etc HTTP/1.1",    "GET /a/%2e%2E/b HTTP/1.1",
                             "GET /a%00 HTTP/1.1",      "GET /a%5cb HTTP/1.1",
                             "GET /%zz HTTP/1.1",       "GET /a#b HTTP/1.1",
                             "GET index.html HTTP/1.1", "GET  / HTTP/1.1",
                             "GET / HTTP/2.0",          "GET / http/1.1",
                             "GET /a\x01 HTTP/1.1"};
        for (const char *line : bad)
            row(line, QByteArrayList{QByteArray(line) + "\r\nHost: a\r\n\r\n"}, QString("400"));
        const char *badHeaders[] = {"Host: b\r\n",  "X: b\r\n  folded\r\n",
                                    "Host : b\r\n", "X: a\x01\r\n",
                                    "X: a\rb\r\n",  "Origin: x\r\nOrigin: x\r\n"};
        for (const char *headers : badHeaders)
            row(QByteArray(headers).replace("\r\n", "/").replace('\r', '^'),
                QByteArrayList{get + headers + "\r\n"}, QString("400"));
        row("HTTP/1.1 without Host", QByteArrayList{"GET / HTTP/1.1\r\n\r\n"}, QString("400"));
    }
    void httpHead()
    {
        QFETCH(QByteArrayList, chunks);
        HttpHead h;
        const HttpHeadReader::State state = readHead(chunks, h);
        const QStringList states = {"more", "", "400", "431"};
        QString read = states.value(int(state));
        if (state == HttpHeadReader::State::Complete)
            read = QString::fromLatin1(h.method + ' ' + h.path + ' ' + h.query + ' '
                                       + h.header("HOST") + ' ' + h.header("Connection"));
        QTEST(read, "read");
    }

    void route_data()
    {
        columns<QByteArray, bool, int>({"head", "tls", "status"});
        const QByteArray ws = "Upgrade: websocket\r\nConnection: keep-alive, Upgrade\r\n"
                              "Sec-WebSocket-Version: 13\r\n"
                              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
        row("index", request("GET /", ""), false, 200);
        row("HEAD of a file", request("HEAD /app.js", ""), false, 200);
        row("no such file", request("GET /secret", ""), false, 404);
        row("POST", request("POST /", ""), false, 405);
        row("HEAD of /ws", request("HEAD /ws", ws), false, 405);
        row("own origin", request("GET /ws", ws + "Origin: http://a:8080\r\n"), false, 101);
        row("own origin over TLS", request("GET /ws", ws + "Origin: https://A:8080\r\n"), true,
            101);
        row("allowed origin, default port",
            request("GET /ws", ws + "Origin: https://shack.example.org\r\n"), false, 101);
        row("no Origin: not a browser", request("GET /ws", ws), false, 101);
        const char *foreign[] =
            {"http://evil:8080", "http://a:8081",   "https://a:8080", "null", "",
             "http://a:8080/",   "http://u@a:8080", "http://a:08080"};
        for (const char *origin : foreign)
            row(origin, request("GET /ws", ws + "Origin: " + origin + "\r\n"), false, 403);
        row("scheme differs under TLS", request("GET /ws", ws + "Origin: http://a:8080\r\n"), true,
            403);
        row("no version", request("GET /ws", QByteArray(ws).replace("13", "8")), false, 400);
        row("short key", request("GET /ws", QByteArray(ws).replace("ZQ==", "")), false, 400);
        row("no upgrade", request("GET /ws", QByteArray(ws).replace("Upgrade\r", "x\r")), false,
            400);
        row("HTTP/1.0", "GET /ws HTTP/1.0\r\n" + ws + "\r\n", false, 400);
    }
    void route()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, tls);
        HttpHead h;
        QCOMPARE(readHead({head}, h), HttpHeadReader::State::Complete);
        const OriginCheck origins(tls, "http://x, https://shack.example.org:443");
        const Route r = routeFor(h, {"/index.html", "/app.js"}, origins);
        QTEST(r.status, "status");
        QCOMPARE(r.file.isEmpty(), r.status != 200);
    }

    void tokens()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tokens");
        TokenStore store(path);
        QString why;
        QVERIFY(store.load(&why)); // no file yet: no tokens
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("# the shack\n") > 0);
        file.close();
        QVERIFY(file.setPermissions(unixMode(0600)));
        const std::optional<QByteArray> control = store.create("kb.2", TokenRole::Control, &why);
        const std::optional<QByteArray> monitor = store.create("web", TokenRole::Monitor, &why);
        QVERIFY2(control && monitor, qPrintable(why));
        const QRegularExpression tokenText("^[A-Za-z0-9_-]{32,}$");
        QVERIFY(tokenText.match(QString::fromLatin1(*control)).hasMatch());
        QVERIFY(!store.create("Web", TokenRole::Control, &why) && why.contains("taken"));
        QVERIFY(!store.create(QString(33, 'a'), TokenRole::Control, &why));
        QCOMPARE(int(QFileInfo(path).permissions()), int(unixMode(0600)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        file.close();
        QVERIFY(text.startsWith("# the shack\nkb.2 control ") && !text.contains(*control));

        TokenStore again(path);
        QVERIFY(again.load(&why));
        QCOMPARE(again.check(*control)->name, QString("kb.2"));
        QVERIFY(again.check(*monitor)->role == TokenRole::Monitor);
        for (const QByteArray &wrong : {QByteArray(), control->chopped(1), *control + "x"})
            QVERIFY(!again.check(wrong));

        // A refused file changes nothing that was known.
        QVERIFY(file.open(QIODevice::Append) && file.write("web monitor 00\n") > 0);
        file.close();
        QVERIFY(!again.load(&why) && why.contains("line 4") && !why.contains(*control));
        QVERIFY(again.check(*control));
        QVERIFY(!TokenStore(dir.filePath("no/such/folder")).create("x", TokenRole::Monitor, &why));
    }

    void tokenFiles_data()
    {
        columns<QByteArray, int, QString>({"text", "mode", "refusal"});
        const QByteArray hash =
            QCryptographicHash::hash("secret", QCryptographicHash::Sha256).toHex();
        const int own = 0600;
        row("notes, CRLF and the token", "# n\r\n\r\nkb control " + hash + "\r\n", own, QString());
        row("group may read", "kb control " + hash, 0640, QString("chmod 600"));
        row("others may write", "kb control " + hash, 0602, QString("chmod 600"));
        // 010000: the file is in the folder systemd names in CREDENTIALS_DIRECTORY.
        row("handed over by systemd", "kb control " + hash, 010440, QString());
        row("handed over, others may read", "kb control " + hash, 010444, QString("chmod 600"));
        const QByteArray bad[] = {"kb control",
                                  "kb admin " + hash,
                                  "kb control " + hash.left(63),
                                  "kb control " + hash.toUpper(),
                                  "k/b control " + hash,
                                  "kb  control " + hash,
                                  "kb control " + hash + " x"};
        for (const QByteArray &line : bad)
            row(line.left(20), "# n\n" + line + '\n', own, QString("line 2 is not name"));
        row("a name twice", "kb control " + hash + "\nKB monitor " + hash, own,
            QString("line 2 repeats"));
    }
    void tokenFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, mode);
        QTemporaryDir dir;
        QFile file(dir.filePath("tokens"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QVERIFY(file.setPermissions(unixMode(mode & 0777)));
        qputenv("CREDENTIALS_DIRECTORY", mode & 010000 ? dir.path().toLocal8Bit() : QByteArray());
        TokenStore store(file.fileName());
        QString why;
        const bool loaded = store.load(&why);
        QFETCH(QString, refusal);
        QCOMPARE(loaded, refusal.isEmpty());
        QVERIFY2(why.contains(refusal), qPrintable(why));
        QCOMPARE(bool(store.check("secret")), loaded);
    }

    // "<ms>:<commands tried>" steps; how many of each step's commands were taken.
    void rate_data()
    {
        columns<QString, QString>({"script", "taken"});
        row("a burst of 40, no more", QString("0:41"), QString("40"));
        row("20 a second after it", QString("0:40 1000:25"), QString("40 20"));
        row("one per 50 ms, fractions kept", QString("0:40 49:1 50:1 99:1"), QString("40 0 1 0"));
        row("a long silence fills the bucket only", QString("0:1 90000:50"), QString("1 40"));
        row("a clock stepping back gives nothing", QString("1000:40 0:1 49:1 50:1"),
            QString("40 0 0 1"));
    }
    void rate()
    {
        QFETCH(QString, script);
        const QStringList steps = script.split(' ');
        CommandRate rate(steps.first().section(':', 0, 0).toLongLong());
        QStringList taken;
        for (const QString &step : steps) {
            int n = 0;
            for (int i = 0; i < step.section(':', 1).toInt(); ++i)
                n += rate.take(step.section(':', 0, 0).toLongLong());
            taken << QString::number(n);
        }
        QTEST(taken.join(' '), "taken");
    }

    // "<admit|bad|left> <address> [ms, else 0]" steps; what admit and bad answered, as 1 and 0.
    void addresses_data()
    {
        columns<int, QString, QString>({"room", "script", "answers"});
        row("5 bad tokens refuse for 60 s", 10,
            QString("bad 10.0.0.1|bad 10.0.0.1 1|bad 10.0.0.1 2|bad 10.0.0.1 3|admit 10.0.0.2 3|"
                    "bad 10.0.0.1 4|admit 10.0.0.1 5|admit 10.0.0.1 60003|admit 10.0.0.1 60004"),
            QString("000011001"));
        row("bad tokens a minute apart do not add up", 10,
            QString("bad ::1|bad ::1 1|bad ::1 2|bad ::1 59999|bad ::1 60000|bad ::1 60001|"
                    "bad ::1 60002|bad ::1 60003|bad ::1 60004"),
            QString("000000001"));
        row("two unauthenticated per address, an IPv6 address counted by its /64", 10,
            QString("admit 10.0.0.1|admit ::ffff:10.0.0.1|admit 10.0.0.1|admit 10.0.0.3|"
                    "left 10.0.0.1|admit 10.0.0.1|admit 2001:db8::1|admit 2001:db8::2|"
                    "admit 2001:db8::3|admit 2001:db8:0:1::1"),
            QString("110111101"));
        row("full: room only from what no longer counts", 2,
            QString("admit 10.0.0.1|bad 10.0.0.2|admit 10.0.0.3|left 10.0.0.1|admit 10.0.0.3|"
                    "admit 10.0.0.4 59999|admit 10.0.0.4 60000"),
            QString("100101"));
    }
    void addresses()
    {
        QFETCH(int, room);
        QFETCH(QString, script);
        AddressGuard guard(room);
        QString answers;
        for (const QString &step : script.split('|')) {
            const QStringList w = step.split(' ');
            const QHostAddress address(w[1]);
            QVERIFY(!address.isNull());
            if (w[0] == "left")
                guard.left(address);
            else if (w[0] == "admit")
                answers += guard.admit(address, w.value(2).toLongLong()) ? '1' : '0';
            else
                answers += guard.badToken(address, w.value(2).toLongLong()) ? '1' : '0';
        }
        QTEST(answers, "answers");
    }
};

QTEST_GUILESS_MAIN(StationTest)
#include "tst_station.moc"
