#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWebSocketServer>
#include <memory>
#include <optional>

#include "link/switchstatus.h"
#include "station/addressguard.h"
#include "station/apicommand.h"
#include "station/listenserver.h"
#include "station/origincheck.h"
#include "station/stationclient.h"
#include "station/stationconfig.h"

class ControllerLink;
class LinkThread;
class QTcpSocket;
class RadioFollow;
class TokenStore;

// The station: the one owner of the switch's port (through ControllerLink, with its
// pacing and its reconnect) serving many clients at once over the line API and the web
// page's WebSocket, and following the radio's band. A write goes through the link's one
// queue and is answered when the switch's next report shows it done; every change is
// pushed to the clients that subscribed.
class StationServer : public QObject
{
    Q_OBJECT

public:
    StationServer(const StationConfig &config, const TokenStore *tokens, const QString &version,
                  QObject *parent = nullptr);
    ~StationServer() override;

    // Listens on both addresses and opens the port (retried every 2 s while it is absent).
    // False, and *why in one line, when a listener cannot start.
    bool start(QString *why);
    quint16 linePort() const { return lineServer.serverPort(); }
    quint16 webPort() const { return webServer.serverPort(); }

private:
    struct PendingWrite
    {
        QPointer<StationClient> client;
        QString who;
        quint16 seq = 0;
        ApiCommand command;
        qint64 deadline = 0;
    };

    void connectLink();
    void openPort();
    void setLink(bool up, const QString &reason);
    void statusArrived(const SwitchStatus &report);
    void settlePending(const std::optional<ReplyCode> &failure, const QString &why);
    void expirePending();

    void takeLineClients();
    void takeWebRequest(QTcpSocket *socket);
    void takeWebSocket();
    void admit(StationClient *client);
    void clientGone(StationClient *client);
    void handleLine(StationClient *client, const QByteArray &line);
    void authenticate(StationClient *client, quint16 seq, const QByteArray &token);
    void answer(StationClient *client, quint16 seq, const ApiCommand &command);
    void write(StationClient *client, quint16 seq, const ApiCommand &command);
    void subscribe(StationClient *client, quint16 seq, quint8 topics);
    void publish(quint8 topic, const QByteArray &line);
    QByteArray currentLine(quint8 topic) const;

    void startFollowing();

    StationConfig config;
    const TokenStore *tokens;
    QString version;
    std::unique_ptr<LinkThread> linkThread;
    ControllerLink *link;
    QTimer openRetry;
    std::optional<SwitchStatus> status;
    std::optional<FirmwareRevision> firmware;
    bool linkUp = false;
    QString linkReason = QStringLiteral("not connected");
    QString lastBy = QStringLiteral("panel");
    RadioFollow *follow = nullptr;

    ListenServer lineServer;
    ListenServer webServer;
    QWebSocketServer webSockets;
    OriginCheck origins;
    QSet<QByteArray> webFiles;
    QList<StationClient *> clients;
    AddressGuard guard;
    StationClient::Bounds bounds;
    QList<PendingWrite> pending;
    QTimer confirmTimer;
};
