#include "station/stationserver.h"

#include <QDirIterator>
#include <QFile>
#include <QLoggingCategory>
#include <QTcpSocket>
#include <QWebSocket>
#include <tuple>

#include "link/clock.h"
#include "link/controllerlink.h"
#include "link/linkthread.h"
#include "radio/radiofollow.h"
#include "station/apireply.h"
#include "station/httphead.h"
#include "station/httproute.h"
#include "station/pushlines.h"
#include "station/stationclient.h"
#include "station/switchwrites.h"
#include "station/tokenstore.h"

Q_LOGGING_CATEGORY(lcStation, "orvik.station", QtInfoMsg)

namespace {

constexpr int confirmWithin = 1500; // ms: a write no report shows done by then is 41
constexpr int openRetryInterval = 2000;

bool sameStatus(const SwitchStatus &a, const SwitchStatus &b)
{
    const auto fields = [](const SwitchStatus &s) {
        return std::tie(s.txPos, s.split, s.freeMask, s.rotor, s.group, s.transmitting,
                        s.splitTxPos, s.previousTxPos, s.rxMode);
    };
    return fields(a) == fields(b);
}

QByteArray withoutPrefix(const QByteArray &pushed)
{
    return pushed.mid(pushed.indexOf('|') + 1); // "S0|switch ..." answers as "switch ..."
}

QByteArray httpAnswer(int code, const QByteArray &extraHeaders = {})
{
    static const QHash<int, QByteArray> reasons = {
        {400, "Bad Request"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {431, "Request Header Fields Too Large"},
    };
    return "HTTP/1.1 " + QByteArray::number(code) + ' ' + reasons.value(code, "Error")
           + "\r\nContent-Length: 0\r\nConnection: close\r\n" + extraHeaders + "\r\n";
}

QByteArray contentType(const QByteArray &file)
{
    if (file.endsWith(".html"))
        return "text/html; charset=utf-8";
    if (file.endsWith(".js"))
        return "text/javascript; charset=utf-8";
    if (file.endsWith(".css"))
        return "text/css; charset=utf-8";
    if (file.endsWith(".svg"))
        return "image/svg+xml";
    return "application/octet-stream";
}

} // namespace

StationServer::StationServer(const StationConfig &config, const TokenStore *tokens,
                             const QString &version, QObject *parent)
    : QObject(parent), config(config), tokens(tokens), version(version),
      linkThread(std::make_unique<LinkThread>()), link(linkThread->link()),
      webSockets(QStringLiteral("orvik-station"), QWebSocketServer::NonSecureMode),
      origins(config.tls(), config.allowedOrigins),
      guard(4096, config.badTokens, config.refuseSeconds * 1000LL, config.unauthenticatedPerAddress)
{
    bounds.maxUnsent = config.maxUnreadKiB * 1024LL;
    bounds.authenticateWithin = config.authSeconds * 1000;
    bounds.keepaliveWithin = config.keepaliveSeconds * 1000;
    bounds.commandsPerSecond = config.commandsPerSecond;
    bounds.commandBurst = config.commandBurst;
    openRetry.setSingleShot(true);
    openRetry.setInterval(openRetryInterval);
    connect(&openRetry, &QTimer::timeout, this, &StationServer::openPort);
    confirmTimer.setSingleShot(true);
    connect(&confirmTimer, &QTimer::timeout, this, &StationServer::expirePending);
    // The page is bundled in this library: a static library's resources are registered by
    // hand.
    Q_INIT_RESOURCE(station);
    QDirIterator files(QStringLiteral(":/web"), QDirIterator::Subdirectories);
    while (files.hasNext())
        webFiles.insert(files.next().mid(5).toUtf8()); // ":/web/app.js" is "/app.js"
    connect(&lineServer, &QTcpServer::newConnection, this, &StationServer::takeLineClients);
    connect(&webServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = webServer.nextPendingConnection())
            takeWebRequest(socket);
    });
    connect(&webSockets, &QWebSocketServer::newConnection, this, &StationServer::takeWebSocket);
    connectLink();
    startFollowing();
}

StationServer::~StationServer()
{
    disconnect(link, nullptr, this, nullptr);
    linkThread.reset();
    for (StationClient *client : qAsConst(clients))
        disconnect(client, nullptr, this, nullptr);
}

bool StationServer::start(QString *why)
{
    for (ListenServer *server : {&lineServer, &webServer})
        if (config.tls() && !server->setTls(config.tlsCert, config.tlsKey, why))
            return false;
    // The server's own backlog is cut to what may be served: the rest wait in the kernel.
    lineServer.setMaxPendingConnections(config.maxClients);
    if (!lineServer.listen(config.listenHost, config.listenPort)) {
        *why = QStringLiteral("cannot listen on %1 port %2: %3")
                   .arg(config.listenHost.toString())
                   .arg(config.listenPort)
                   .arg(lineServer.errorString());
        return false;
    }
    if (!webServer.listen(config.webHost, config.webPort)) {
        *why = QStringLiteral("cannot listen on %1 port %2: %3")
                   .arg(config.webHost.toString())
                   .arg(config.webPort)
                   .arg(webServer.errorString());
        return false;
    }
    openPort();
    return true;
}

// ---- the switch

void StationServer::connectLink()
{
    // Nobody sits beside a station: a pulled adapter is waited for, whatever happens.
    link->setReconnecting(true);
    connect(link, &ControllerLink::openFailed, this, [this](const QString &reason) {
        setLink(false, reason);
        openRetry.start();
    });
    connect(link, &ControllerLink::lost, this,
            [this](const QString &reason) { setLink(false, reason); });
    connect(link, &ControllerLink::aliveChanged, this, [this](bool alive) {
        if (!alive)
            setLink(false, QStringLiteral("the switch does not answer"));
    });
    connect(link, &ControllerLink::statusReceived, this, &StationServer::statusArrived);
    connect(link, &ControllerLink::firmwareReceived, this,
            [this](const FirmwareRevision &revision) { firmware = revision; });
}

void StationServer::openPort()
{
    if (config.port.isEmpty()) {
        setLink(false, QStringLiteral("no port in the configuration"));
        return;
    }
    PortSettings settings;
    settings.portName = config.port;
    settings.baudRate = config.baud;
    settings.baudRateText = QString::number(config.baud);
    settings.dataBitsText = QStringLiteral("8");
    settings.parityText = QStringLiteral("None");
    settings.stopBitsText = QStringLiteral("1");
    settings.flowControlText = QStringLiteral("None");
    link->open(settings);
}

void StationServer::setLink(bool up, const QString &reason)
{
    if (up == linkUp && (up || reason == linkReason))
        return;
    linkUp = up;
    linkReason = up ? QString() : reason;
    if (!up) {
        status.reset();
        firmware.reset();
        settlePending(ReplyCode::SwitchOffline, QStringLiteral("switch offline"));
        if (follow)
            follow->controllerLost();
    }
    qCInfo(lcStation).noquote() << (up ? QStringLiteral("link up") : "link down: " + linkReason);
    publish(TopicLink, linkLine(up, linkReason));
}

void StationServer::statusArrived(const SwitchStatus &report)
{
    const bool changed = !status || !sameStatus(*status, report);
    status = report;
    setLink(true, QString());
    // Who made a change: the first write this report shows done, else the switch's own
    // front panel (or whoever we cannot see).
    QString by;
    for (int i = 0; i < pending.size();) {
        if (!standsAsAsked(pending[i].command, report)) {
            ++i;
            continue;
        }
        const PendingWrite done = pending.takeAt(i);
        if (by.isEmpty())
            by = done.who;
        qCInfo(lcStation).noquote() << done.who << describeWrite(done.command) << "done";
        if (done.client)
            done.client->send(replyLine(done.seq, ReplyCode::Ok, "done"));
    }
    if (changed) {
        lastBy = by.isEmpty() ? QStringLiteral("panel") : by;
        publish(TopicSwitch, switchLine(report, lastBy));
    }
    if (follow) {
        ControllerReport r;
        r.txAntenna = report.txPos + 1;
        r.transmitting = report.transmitting == 1;
        r.freeMask = report.freeMask;
        // A split or a super-split group is the operator's; following waits it out.
        follow->panelModeChanged(report.split != 1 && report.group == 0);
        follow->controllerReported(r);
    }
}

void StationServer::settlePending(const std::optional<ReplyCode> &failure, const QString &why)
{
    for (const PendingWrite &p : std::exchange(pending, {})) {
        qCInfo(lcStation).noquote() << p.who << describeWrite(p.command) << why;
        if (p.client && failure)
            p.client->send(replyLine(p.seq, *failure, why.toLatin1()));
    }
    confirmTimer.stop();
}

void StationServer::expirePending()
{
    const qint64 now = monotonicMs();
    for (int i = 0; i < pending.size();) {
        if (pending[i].deadline > now) {
            ++i;
            continue;
        }
        const PendingWrite late = pending.takeAt(i);
        qCInfo(lcStation).noquote() << late.who << describeWrite(late.command) << "not confirmed";
        if (late.client)
            late.client->send(replyLine(late.seq, ReplyCode::NotConfirmed, "not confirmed"));
    }
    if (!pending.isEmpty())
        confirmTimer.start(int(qMax<qint64>(pending.first().deadline - now, 0)));
}

// ---- clients

void StationServer::takeLineClients()
{
    while (QTcpSocket *socket = lineServer.nextPendingConnection())
        admit(new StationClient(socket, bounds, monotonicMs(), this));
}

void StationServer::takeWebRequest(QTcpSocket *socket)
{
    // A head must come whole, and soon; it is peeked at, not read, so that a WebSocket
    // handshake is still there for the WebSocket server to read.
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, &QTcpSocket::abort);
    deadline->start(10000);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, deadline] {
        HttpHeadReader reader;
        const HttpHeadReader::State state = reader.feed(socket->peek(HttpHeadReader::maxHead + 1));
        if (state == HttpHeadReader::State::NeedMore)
            return;
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        delete deadline;
        if (state != HttpHeadReader::State::Complete) {
            socket->write(httpAnswer(state == HttpHeadReader::State::TooLarge ? 431 : 400));
            socket->disconnectFromHost();
            return;
        }
        const Route route = routeFor(reader.head(), webFiles, origins);
        if (route.status == 101) {
            disconnect(socket, nullptr, socket, nullptr);
            webSockets.handleConnection(socket);
            return;
        }
        socket->read(socket->bytesAvailable());
        if (route.status != 200) {
            socket->write(httpAnswer(route.status, route.allow.isEmpty()
                                                       ? QByteArray()
                                                       : "Allow: " + route.allow + "\r\n"));
            socket->disconnectFromHost();
            return;
        }
        QFile file(QStringLiteral(":/web") + QString::fromUtf8(route.file));
        const QByteArray body = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + contentType(route.file)
                      + "\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nCache-Control: no-cache\r\nX-Content-Type-Options: nosniff\r\n"
                        "Content-Security-Policy: default-src 'self'\r\n"
                        "Referrer-Policy: no-referrer\r\nConnection: close\r\n\r\n");
        if (reader.head().method != "HEAD")
            socket->write(body);
        socket->disconnectFromHost();
    });
}

void StationServer::takeWebSocket()
{
    while (QWebSocket *socket = webSockets.nextPendingConnection())
        admit(new StationClient(socket, bounds, monotonicMs(), this));
}

void StationServer::admit(StationClient *client)
{
    connect(client, &StationClient::gone, this, [this, client] { clientGone(client); });
    connect(client, &StationClient::lineReceived, this,
            [this, client](const QByteArray &line) { handleLine(client, line); });
    connect(client, &StationClient::lineTooLong, client,
            [client] { client->sendAndClose(replyLine(0, ReplyCode::LineTooLong)); });
    const qint64 now = monotonicMs();
    if (clients.size() >= config.maxClients) {
        client->sendAndClose(replyLine(0, ReplyCode::ServerFull));
        return;
    }
    if (guard.refused(client->address(), now)) {
        client->sendAndClose(replyLine(0, ReplyCode::BadToken, "refused for a while"));
        return;
    }
    if (!guard.admit(client->address(), now)) {
        client->sendAndClose(replyLine(0, ReplyCode::NotAuthenticated, "authenticate first"));
        return;
    }
    client->countedUnauthenticated = true;
    clients.append(client);
    client->trusted = client->onLoopback() && !config.authAlways;
    if (client->trusted) {
        guard.left(client->address());
        client->countedUnauthenticated = false;
    } else {
        client->requireAuthentication();
    }
    client->send(greeting(version, config.name, !client->trusted));
    qCDebug(lcStation).noquote() << client->name() << "connected";
}

void StationServer::clientGone(StationClient *client)
{
    // Once, whether it was served or turned away at the door (a client that is turned
    // away is never in the list, and is deleted all the same).
    if (client->ended)
        return;
    client->ended = true;
    clients.removeOne(client);
    if (client->countedUnauthenticated)
        guard.left(client->address());
    qCDebug(lcStation).noquote() << client->name() << "left";
    client->deleteLater();
}

void StationServer::handleLine(StationClient *client, const QByteArray &line)
{
    if (client->ended || !clients.contains(client))
        return;
    const ParsedLine parsed = parseLine(line);
    if (parsed.blank)
        return;
    if (!client->rate.take(monotonicMs())) {
        client->send(replyLine(parsed.seq, ReplyCode::RateLimited));
        return;
    }
    if (parsed.code != ReplyCode::Ok) {
        client->send(replyLine(parsed.seq, parsed.code, parsed.reason));
        return;
    }
    const ApiCommand &command = parsed.command;
    if (command.verb == Verb::Auth) {
        authenticate(client, parsed.seq, command.token);
    } else if (command.verb == Verb::Ping) {
        client->send(replyLine(parsed.seq, ReplyCode::Ok, "pong"));
    } else if (!client->trusted) {
        client->send(replyLine(parsed.seq, ReplyCode::NotAuthenticated));
    } else if (changesSwitch(command.verb)) {
        if (client->holder && client->holder->role == TokenRole::Monitor)
            client->send(replyLine(parsed.seq, ReplyCode::ReadOnly));
        else
            write(client, parsed.seq, command);
    } else {
        answer(client, parsed.seq, command);
    }
}

void StationServer::authenticate(StationClient *client, quint16 seq, const QByteArray &token)
{
    const std::optional<TokenHolder> holder = tokens ? tokens->check(token) : std::nullopt;
    if (!holder) {
        qCInfo(lcStation).noquote() << client->name() << "gave a bad token";
        const bool refused = guard.badToken(client->address(), monotonicMs());
        if (refused)
            client->sendAndClose(replyLine(seq, ReplyCode::BadToken, "refused for a while"));
        else
            client->send(replyLine(seq, ReplyCode::BadToken));
        return;
    }
    client->holder = holder;
    client->trusted = true;
    client->authenticated();
    if (client->countedUnauthenticated) {
        guard.left(client->address());
        client->countedUnauthenticated = false;
    }
    const QByteArray role = holder->role == TokenRole::Control ? "control" : "monitor";
    qCInfo(lcStation).noquote() << client->name() << "authenticated," << role;
    client->send(
        replyLine(seq, ReplyCode::Ok, "name=" + fieldText(holder->name) + " role=" + role));
}

void StationServer::answer(StationClient *client, quint16 seq, const ApiCommand &command)
{
    switch (command.verb) {
    case Verb::Keepalive:
        client->setKeepalive(command.enable);
        client->send(replyLine(seq, ReplyCode::Ok));
        break;
    case Verb::Info:
        client->send(replyLine(seq, ReplyCode::Ok,
                               infoText({config.name, version, firmware, linkUp, config.port})));
        break;
    case Verb::AntennaList: {
        QList<QByteArray> items;
        for (int n = 1; n <= 8; ++n)
            items << antennaItem(n, config.antennaLabels.value(n - 1));
        const int receive[] = {0, 1, 2, 3, 8};
        for (int i = 0; i < 5; ++i)
            items << receiveItem(receive[i], config.receiveLabels.value(i));
        for (const QByteArray &line : listReply(seq, items))
            client->send(line);
        break;
    }
    case Verb::Status:
        if (status)
            client->send(replyLine(seq, ReplyCode::Ok, withoutPrefix(switchLine(*status, lastBy))));
        else
            client->send(replyLine(seq, ReplyCode::SwitchOffline, linkReason.toLatin1()));
        break;
    case Verb::Subscribe:
        subscribe(client, seq, command.topics);
        break;
    case Verb::UnsubscribeAll:
        client->topics = 0;
        client->send(replyLine(seq, ReplyCode::Ok));
        break;
    default:
        client->send(replyLine(seq, ReplyCode::UnknownVerb));
        break;
    }
}

void StationServer::write(StationClient *client, quint16 seq, const ApiCommand &command)
{
    const QString who = client ? client->name() : QStringLiteral("follow");
    if (!linkUp || !status) {
        qCInfo(lcStation).noquote() << who << describeWrite(command) << "refused: switch offline";
        if (client)
            client->send(replyLine(seq, ReplyCode::SwitchOffline, linkReason.toLatin1()));
        return;
    }
    // The report says whether a receive antenna is in use, not which: a receive key always
    // goes to the switch.
    if (command.verb != Verb::SelectRx && standsAsAsked(command, *status)) {
        qCInfo(lcStation).noquote() << who << describeWrite(command) << "done already";
        if (client)
            client->send(replyLine(seq, ReplyCode::Ok, "done"));
        return;
    }
    sendToLink(*link, command, *status);
    pending.append({client, who, seq, command, monotonicMs() + confirmWithin});
    if (!confirmTimer.isActive())
        confirmTimer.start(confirmWithin);
}

void StationServer::subscribe(StationClient *client, quint16 seq, quint8 topics)
{
    client->topics |= topics;
    client->send(replyLine(seq, ReplyCode::Ok));
    // Once with what stands now, then on every change.
    for (quint8 topic : {quint8(TopicSwitch), quint8(TopicLink), quint8(TopicFollow)}) {
        const QByteArray line = currentLine(topic);
        if ((topics & topic) && !line.isEmpty())
            client->send(line);
    }
}

QByteArray StationServer::currentLine(quint8 topic) const
{
    if (topic == TopicSwitch)
        return status ? switchLine(*status, lastBy) : QByteArray();
    if (topic == TopicLink)
        return linkLine(linkUp, linkReason);
    return follow ? followLine(follow->band(), follow->status()) : QByteArray();
}

void StationServer::publish(quint8 topic, const QByteArray &line)
{
    // A copy: a client that does not read is dropped while we go through them.
    for (StationClient *client : QList<StationClient *>(clients))
        if (client->trusted && (client->topics & topic))
            client->send(line);
}

// ---- following

void StationServer::startFollowing()
{
    follow = new RadioFollow(this);
    connect(follow, &RadioFollow::statusChanged, this,
            [this] { publish(TopicFollow, currentLine(TopicFollow)); });
    connect(follow, &RadioFollow::selectTx, this, [this](int antenna) {
        ApiCommand command;
        command.verb = Verb::SelectTx;
        command.antenna = antenna;
        write(nullptr, 0, command); // as "follow", answered to nobody
    });
    connect(follow, &RadioFollow::selectReceive, this, [this](int index) {
        ApiCommand command;
        command.verb = Verb::SelectRx;
        command.receive = index;
        write(nullptr, 0, command); // as "follow", answered to nobody
    });
    follow->apply(config.follow);
}
