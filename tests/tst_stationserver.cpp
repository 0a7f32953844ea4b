#include <QSslSocket>
#include <QTcpSocket>
#include <QWebSocket>
#include <QtTest>
#include <map>
#include <memory>

#include "journeyfixture.h"
#include "tables.h"

namespace {

// One client of the station: a line connection (plain or TLS) or a WebSocket, and the
// lines it has been sent and not yet looked at.
struct Client
{
    std::unique_ptr<QTcpSocket> tcp;
    std::unique_ptr<QWebSocket> web;
    QByteArray partial;
    QStringList lines;
    bool closed = false;

    void take(const QString &line) { lines << line; }
    void send(const QByteArray &line)
    {
        if (tcp)
            tcp->write(line + "\n");
        else
            web->sendTextMessage(QString::fromLatin1(line));
    }
};

} // namespace

// orvik-station as it runs, on free loopback ports, against orvik-sim on a pseudo-terminal:
// what several clients see, and every bound the station keeps, from the outside.
class StationServerTest : public QObject
{
    Q_OBJECT

private slots:
    // Steps, one per line: ini <Key=Value> | token <name> <role> | start | open <c> [web|tls]
    // [small] | <c> > <line> ($name is that token) | <c> < <first words of a line they
    // receive, * for any text> | <c> closed | <c> flood <n> <line> | sim <command> | pull |
    // plug | wire <frame the switch received>.
    void serve_data()
    {
        columns<QStringList>({"script"});
        row("three line clients and a WebSocket see one select", QStringList{"start",
                                                                             "open a",
                                                                             "open b",
                                                                             "open c",
                                                                             "open w web",
                                                                             "a > C1|sub switch",
                                                                             "b > C1|sub switch",
                                                                             "c > C1|sub switch",
                                                                             "w > C1|sub switch",
                                                                             "w < R1|00|",
                                                                             "c > C2|select tx=5",
                                                                             "c < R2|00|done",
                                                                             "a < S0|switch tx=5 *",
                                                                             "b < S0|switch tx=5 *",
                                                                             "w < S0|switch tx=5 *",
                                                                             "wire IGS4;",
                                                                             "w > C2|select tx=5",
                                                                             "w < R2|00|done",
                                                                             "a > C2|select rx=RX1",
                                                                             "a < R2|00|done",
                                                                             "a > C3|select rx=RX2",
                                                                             "a < R3|00|done",
                                                                             "wire IGY1;"});
        row("the client past MaxClients gets 70",
            QStringList{"ini MaxClients=2", "start", "open a", "open b", "open c", "c < R0|70|*",
                        "c closed", "a > C1|ping", "a < R1|00|pong"});
        row("remote clients: nothing without a token, a monitor reads only",
            QStringList{"ini RequireAuth=always", "token ops control", "token eye monitor", "start",
                        "open a", "a < V* AUTH", "a > C1|status", "a < R1|30|",
                        "a > C2|auth token=$eye", "a < R2|00|name=eye role=monitor",
                        "a > C3|select tx=2", "a < R3|31|", "a > C4|status", "a < R4|00|switch",
                        "open b", "b > C1|auth token=$ops", "b < R1|00|name=ops role=control",
                        "b > C2|select tx=2", "b < R2|00|done"});
        row("bad tokens close and refuse the address",
            QStringList{"ini RequireAuth=always", "ini BadTokens=3", "token ops control", "start",
                        "open a", "a > C1|auth token=AAAA", "a < R1|FF|", "a > C2|auth token=BBBB",
                        "a < R2|FF|", "a > C3|auth token=$ops", "a < R3|00|", "open b",
                        "b > C1|auth token=CCCC", "b < R1|FF|*", "b closed", "open c",
                        "c < R0|FF|*", "c closed"});
        row("at most two connections per address before they authenticate",
            QStringList{"ini RequireAuth=always", "token ops control", "start", "open a", "open b",
                        "open c", "c < R0|30|*", "c closed", "a > C1|auth token=$ops", "a < R1|00|",
                        "open d", "d < V*"});
        row("no token in time, a keepalive gone quiet",
            QStringList{"ini RequireAuth=always", "ini AuthSeconds=1", "ini KeepaliveSeconds=1",
                        "token ops control", "start", "open a", "open b", "b > C1|auth token=$ops",
                        "b > C2|keepalive enable", "b < R2|00|", "a < R0|30|*", "a closed",
                        "b closed"});
        row("a line too long, then the rate",
            QStringList{"ini CommandsPerSecond=5", "ini CommandBurst=10", "start", "open a",
                        "a > C1|ping " + QString(300, 'x'), "a < R0|50|*", "a closed", "open b",
                        "b flood 30 C7|ping", "b < R7|60|*"});
        row("a client that never reads is dropped",
            QStringList{"ini MaxUnreadKiB=1", "ini MaxClients=2", "ini CommandBurst=100000",
                        "ini CommandsPerSecond=100000", "start", "open a small", "open b",
                        "a flood 4000 C1|antenna list", "admitted c"});
        row("the adapter pulled and back",
            QStringList{"start", "open a", "open w web", "a > C1|sub link", "w > C1|sub link",
                        "a < S0|link state=up*", "w < S0|link state=up*", "pull",
                        "a < S0|link state=down*", "w < S0|link state=down*", "a > C2|select tx=3",
                        "a < R2|40|*", "plug", "a < S0|link state=up*", "w < S0|link state=up*",
                        "a > C3|select tx=3", "a < R3|00|done", "wire IGS2;"});
        row("TLS on the line port", QStringList{"tls", "start", "open a tls", "a < V*",
                                                "a > C1|status", "a < R1|00|switch tx=1 *"});
    }
    void serve()
    {
        QFETCH(QStringList, script);
        const QString station = qEnvironmentVariable("ORVIK_STATION");
        if (qEnvironmentVariableIsEmpty("ORVIK_SIM") || station.isEmpty())
            QSKIP("ORVIK_SIM or ORVIK_STATION does not name the program");
        QTemporaryDir dir;
        QStringList ini{"[Station]", "Port=" + dir.filePath("tty"), "Listen=127.0.0.1:%1",
                        "Web=127.0.0.1:%2"};
        QHash<QString, QString> tokens;
        std::map<QString, Client> clients;
        QProcess sim, server;
        const auto cleanUp = qScopeGuard([&] {
            clients.clear();
            stopTool(server);
            stopTool(sim);
        });
        const auto startSim = [&] {
            sim.start(qEnvironmentVariable("ORVIK_SIM"),
                      {"--link", dir.filePath("tty"), "--log", dir.filePath("sim.jsonl")});
            return sim.waitForStarted(5000) && waitFor([&] { return sim.canReadLine(); }, 5000);
        };
        quint16 linePort = 0, webPort = 0;
        for (const QString &step : script) {
            const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
            if (verb == "ini") {
                ini << arg;
            } else if (verb == "tls") {
                QProcess openssl;
                openssl.start("openssl",
                              {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                               "-subj", "/CN=localhost", "-keyout", dir.filePath("key.pem"), "-out",
                               dir.filePath("cert.pem")});
                if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
                    QSKIP("openssl cannot make a certificate here");
                ini << "TlsCert=" + dir.filePath("cert.pem") << "TlsKey=" + dir.filePath("key.pem");
            } else if (verb == "token") {
                writeConfig(dir.filePath("station.ini"), ini, 1, 2);
                QProcess add;
                add.start(station, {"--config", dir.filePath("station.ini"), "--add-token",
                                    arg.section(' ', 0, 0), "--role", arg.section(' ', 1)});
                QVERIFY(add.waitForFinished(10000) && add.exitCode() == 0);
                tokens.insert(arg.section(' ', 0, 0), QString::fromLatin1(add.readAll()).trimmed());
                QVERIFY(tokens.value(arg.section(' ', 0, 0)).size() >= 22); // 128 bits and more
            } else if (verb == "start") {
                linePort = freeLoopbackPort();
                webPort = freeLoopbackPort();
                writeConfig(dir.filePath("station.ini"), ini, linePort, webPort);
                QVERIFY(startSim());
                server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                server.start(station, {"--config", dir.filePath("station.ini")});
                QVERIFY(waitFor([&] { return listensOnLoopback(webPort); }, 10000));
                QVERIFY(polledTwice(dir.filePath("sim.jsonl")));
            } else if (verb == "open") {
                Client &c = clients[arg.section(' ', 0, 0)];
                open(c, arg, arg.contains("web") ? webPort : linePort);
                if (!arg.contains("small"))
                    QVERIFY(waitFor([&] { return !c.lines.isEmpty() || c.closed; }, 10000));
            } else if (verb == "admitted") { // a client is let in, sooner or later
                QVERIFY(waitFor(
                    [&] {
                        Client &c = clients[arg];
                        c = Client();
                        open(c, arg, linePort);
                        return waitFor([&] { return !c.lines.isEmpty(); }, 5000)
                               && c.lines.first().startsWith('V');
                    },
                    10000));
            } else if (verb == "pull") {
                stopTool(sim);
            } else if (verb == "plug") {
                QVERIFY(startSim());
                QVERIFY(polledTwice(dir.filePath("sim.jsonl")));
            } else if (verb == "sim") {
                sim.write(arg.toLatin1() + '\n');
            } else if (verb == "wire") {
                QTRY_VERIFY_WITH_TIMEOUT(simReceived(dir.filePath("sim.jsonl"), arg.toLatin1()),
                                         5000);
            } else {
                QVERIFY2(clients.count(verb), qPrintable(step));
                Client &c = clients[verb];
                const QString what = arg.section(' ', 1);
                if (arg == "closed") {
                    QTRY_VERIFY_WITH_TIMEOUT(c.closed, 10000);
                } else if (arg.startsWith("> ")) {
                    QString line = what;
                    for (auto t = tokens.cbegin(); t != tokens.cend(); ++t)
                        line.replace("$" + t.key(), t.value());
                    c.send(line.toLatin1());
                } else if (arg.startsWith("flood ")) {
                    for (int n = what.section(' ', 0, 0).toInt(); n > 0; --n)
                        c.send(what.section(' ', 1).toLatin1());
                } else {
                    QVERIFY2(arg.startsWith("< "), qPrintable(step));
                    bool got = false; // the macro looks once more at the end
                    QTRY_VERIFY2_WITH_TIMEOUT(got || (got = receives(c, what)),
                                              qPrintable(step + " among: " + c.lines.join(" / ")),
                                              10000);
                }
            }
        }
    }

private:
    static void writeConfig(const QString &path, QStringList ini, quint16 line, quint16 web)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini.join('\n').arg(line).arg(web).toUtf8() + '\n');
    }

    // Takes the client's lines up to the first that matches; true when one did.
    static bool receives(Client &c, const QString &pattern)
    {
        const QRegularExpression match("^"
                                       + QRegularExpression::escape(pattern).replace("\\*", ".*"));
        for (int i = 0; i < c.lines.size(); ++i) {
            if (match.match(c.lines[i]).hasMatch()) {
                c.lines = c.lines.mid(i + 1);
                return true;
            }
        }
        return false;
    }

    // The switch has answered the station, so its link is up: the second poll goes only
    // after the first was answered.
    static bool polledTwice(const QString &log)
    {
        return waitFor(
            [&] {
                QFile file(log);
                return file.open(QIODevice::ReadOnly)
                       && file.readAll().count("\"hex\":\"" + QByteArray("IGT3;").toHex() + "\"")
                              >= 2;
            },
            10000);
    }

    static bool simReceived(const QString &log, const QByteArray &frame)
    {
        QFile file(log);
        return file.open(QIODevice::ReadOnly)
               && file.readAll().contains("\"hex\":\"" + frame.toHex() + "\"");
    }

    static void open(Client &c, const QString &how, quint16 port)
    {
        if (how.contains("web")) {
            c.web = std::make_unique<QWebSocket>(QString("http://127.0.0.1:%1").arg(port));
            QObject::connect(c.web.get(), &QWebSocket::textMessageReceived, c.web.get(),
                             [&c](const QString &m) { c.take(m); });
            QObject::connect(c.web.get(), &QWebSocket::disconnected, c.web.get(),
                             [&c] { c.closed = true; });
            c.web->open(QUrl(QString("ws://127.0.0.1:%1/ws").arg(port)));
            return;
        }
        if (how.contains("tls")) {
            auto *tls = new QSslSocket;
            tls->setPeerVerifyMode(QSslSocket::VerifyNone); // the test's own certificate
            c.tcp.reset(tls);
        } else {
            c.tcp = std::make_unique<QTcpSocket>();
        }
        QTcpSocket *s = c.tcp.get();
        // A client that never reads: our side takes a byte and no more, so the station's
        // side fills.
        if (how.contains("small"))
            s->setReadBufferSize(1);
        else
            QObject::connect(s, &QTcpSocket::readyRead, s, [&c, s] {
                c.partial += s->readAll();
                for (int end; (end = c.partial.indexOf('\n')) >= 0; c.partial.remove(0, end + 1))
                    c.take(QString::fromLatin1(c.partial.left(end)));
            });
        QObject::connect(s, &QTcpSocket::disconnected, s, [&c] { c.closed = true; });
        if (auto *tls = qobject_cast<QSslSocket *>(s))
            tls->connectToHostEncrypted("127.0.0.1", port);
        else
            s->connectToHost(QHostAddress::LocalHost, port);
    }
};

QTEST_GUILESS_MAIN(StationServerTest)
#include "tst_stationserver.moc"
