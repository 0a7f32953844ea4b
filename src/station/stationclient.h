#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <optional>

#include "station/commandrate.h"
#include "station/linereader.h"
#include "station/tokenstore.h"

class QTcpSocket;
class QWebSocket;

// One client of the station, over a TCP line connection (TLS or not) or a WebSocket of
// the web page: the same lines either way, one per line or one per text message. It
// keeps what the server needs to know of the client (who it is, what it may do, what it
// subscribed to, how fast it asks) and hands each whole line on; what a line means is
// the server's to decide.
class StationClient : public QObject
{
    Q_OBJECT

public:
    // How long and how much the station waits for one client.
    struct Bounds
    {
        // A client that leaves this much unread is dropped: the station never buffers
        // without end for somebody who does not read.
        qint64 maxUnsent = 256 * 1024;
        int authenticateWithin = 10000; // ms
        int keepaliveWithin = 5000;     // ms
        int commandsPerSecond = CommandRate::defaultPerSecond;
        int commandBurst = CommandRate::defaultBurst;
    };

    StationClient(QTcpSocket *socket, const Bounds &bounds, qint64 nowMs, QObject *parent);
    StationClient(QWebSocket *socket, const Bounds &bounds, qint64 nowMs, QObject *parent);
    ~StationClient() override;

    // Sent as it is, with the line's ending; false (and the client dropped) when the
    // client has left more than its bound unread.
    bool send(const QByteArray &line);
    void sendAndClose(const QByteArray &line);
    void drop();

    QHostAddress address() const { return peer; }
    bool onLoopback() const;
    // The token's name, or where the client connects from when it holds none.
    QString name() const;

    std::optional<TokenHolder> holder;
    bool trusted = false; // may do what its role allows: authenticated, or a trusted loopback
    bool countedUnauthenticated = false; // held in the server's per-address count
    bool ended = false;                  // the server has let go of it: it is being deleted
    quint8 topics = 0;
    CommandRate rate;

    void setKeepalive(bool on);
    // Must authenticate within its bound, or it is told so and dropped.
    void requireAuthentication();
    void authenticated() { authTimer.stop(); }

signals:
    void lineReceived(const QByteArray &line);
    void lineTooLong();
    void gone();

private:
    void bytesArrived();
    void heard();
    void setUpTimers();

    Bounds bounds;
    QPointer<QTcpSocket> tcp;
    QPointer<QWebSocket> web;
    QHostAddress peer;
    quint16 peerPort = 0;
    LineReader reader;
    QTimer authTimer;
    QTimer keepaliveTimer;
    bool closing = false;
};
