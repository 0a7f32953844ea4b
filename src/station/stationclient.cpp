#include "station/stationclient.h"

#include <QTcpSocket>
#include <QWebSocket>

#include "station/apireply.h"

StationClient::StationClient(QTcpSocket *socket, const Bounds &bounds, qint64 nowMs,
                             QObject *parent)
    : QObject(parent), rate(nowMs, bounds.commandsPerSecond, bounds.commandBurst), bounds(bounds),
      tcp(socket), peer(socket->peerAddress()), peerPort(socket->peerPort())
{
    socket->setParent(this);
    // A line is a few dozen bytes: what waits beyond a line or two is a client that sends
    // without reading our answers, and the line reader holds no more than one line anyway.
    socket->setReadBufferSize(64 * 1024);
    connect(socket, &QTcpSocket::readyRead, this, &StationClient::bytesArrived);
    connect(socket, &QTcpSocket::disconnected, this, &StationClient::gone);
    setUpTimers();
}

StationClient::StationClient(QWebSocket *socket, const Bounds &bounds, qint64 nowMs,
                             QObject *parent)
    : QObject(parent), rate(nowMs, bounds.commandsPerSecond, bounds.commandBurst), bounds(bounds),
      web(socket), peer(socket->peerAddress()), peerPort(socket->peerPort())
{
    socket->setParent(this);
    // A message is one line, bounded like one: a bigger frame is not read whole.
    socket->setMaxAllowedIncomingMessageSize(LineReader::maxLine + 2);
    connect(socket, &QWebSocket::textMessageReceived, this, [this](const QString &message) {
        heard();
        if (message.size() > LineReader::maxLine)
            emit lineTooLong();
        else
            emit lineReceived(message.toUtf8());
    });
    connect(socket, &QWebSocket::binaryMessageReceived, this, [this] { heard(); });
    connect(socket, &QWebSocket::disconnected, this, &StationClient::gone);
    setUpTimers();
}

void StationClient::setUpTimers()
{
    authTimer.setSingleShot(true);
    keepaliveTimer.setSingleShot(true);
    connect(&authTimer, &QTimer::timeout, this, [this] {
        sendAndClose(replyLine(0, ReplyCode::NotAuthenticated, "not authenticated in time"));
    });
    connect(&keepaliveTimer, &QTimer::timeout, this, &StationClient::drop);
}

StationClient::~StationClient()
{
    // Gone quietly: the server already counts this client out.
    if (tcp)
        disconnect(tcp, nullptr, this, nullptr);
    if (web)
        disconnect(web, nullptr, this, nullptr);
}

bool StationClient::onLoopback() const
{
    bool isV4 = false;
    const QHostAddress v4(peer.toIPv4Address(&isV4));
    return peer.isLoopback() || (isV4 && v4.isLoopback());
}

QString StationClient::name() const
{
    if (holder)
        return holder->name;
    const QString host = peer.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + peer.toString() + QLatin1Char(']')
                             : peer.toString();
    return host + QLatin1Char(':') + QString::number(peerPort);
}

bool StationClient::send(const QByteArray &line)
{
    if (closing)
        return false;
    if (tcp) {
        if (tcp->bytesToWrite() > bounds.maxUnsent) {
            drop();
            return false;
        }
        tcp->write(line + '\n');
    } else if (web) {
        if (web->bytesToWrite() > bounds.maxUnsent) {
            drop();
            return false;
        }
        web->sendTextMessage(QString::fromLatin1(line));
    }
    return true;
}

void StationClient::sendAndClose(const QByteArray &line)
{
    send(line);
    closing = true;
    if (tcp)
        tcp->disconnectFromHost(); // after what is written has gone
    else if (web)
        web->close();
}

void StationClient::drop()
{
    closing = true;
    if (tcp)
        tcp->abort();
    else if (web)
        web->abort();
    emit gone();
}

void StationClient::setKeepalive(bool on)
{
    if (on)
        keepaliveTimer.start(bounds.keepaliveWithin);
    else
        keepaliveTimer.stop();
}

void StationClient::requireAuthentication()
{
    authTimer.start(bounds.authenticateWithin);
}

void StationClient::heard()
{
    if (keepaliveTimer.isActive())
        keepaliveTimer.start(bounds.keepaliveWithin);
}

void StationClient::bytesArrived()
{
    if (closing) {
        tcp->readAll();
        return;
    }
    const LineReader::Lines got = reader.feed(tcp->readAll());
    if (!got.lines.isEmpty())
        heard();
    for (const QByteArray &line : got.lines) {
        if (closing)
            return;
        emit lineReceived(line);
    }
    if (got.tooLong)
        emit lineTooLong();
}
