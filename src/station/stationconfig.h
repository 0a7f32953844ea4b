#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <optional>

#include "radio/followsettings.h"

// What /etc/orvik-station/station.ini (or --config FILE) says: [Station] for the switch's
// port and the listeners, [Labels] for the antennas' names, and the panel's own [Radio],
// [BandTX] and [BandRX] for following. Read with the panel's INI reading; a value that
// does not read is refused with a reason rather than guessed at, since a station nobody
// sits beside must do what its file says or say why it will not start.
struct StationConfig
{
    QString name = QStringLiteral("Orvik");
    QString port; // the switch's serial device; empty: none, clients are served all the same
    qint32 baud = 9600;
    QHostAddress listenHost = QHostAddress(QHostAddress::LocalHost);
    quint16 listenPort = 4590;
    QHostAddress webHost = QHostAddress(QHostAddress::LocalHost);
    quint16 webPort = 4591;
    bool authAlways = false; // RequireAuth=always; otherwise loopback clients are trusted
    QString tokensPath;      // default: "tokens" beside the configuration file
    QString tlsCert;
    QString tlsKey;
    int maxClients = 8;
    // The bounds on each client and each address, every one a key of its own.
    int commandsPerSecond = 20; // CommandsPerSecond, with bursts of CommandBurst
    int commandBurst = 40;
    int authSeconds = 10; // AuthSeconds: a client must authenticate within this
    int badTokens = 5;    // BadTokens within RefuseSeconds refuse the address that long
    int refuseSeconds = 60;
    int unauthenticatedPerAddress = 2; // UnauthenticatedPerAddress
    int maxUnreadKiB = 256;            // MaxUnreadKiB: a client leaving more unread is dropped
    int keepaliveSeconds = 5;          // KeepaliveSeconds: silence after "keepalive enable"
    QString allowedOrigins;
    QStringList antennaLabels; // ANT1..ANT8
    QStringList receiveLabels; // RX1..RX4, RTX
    FollowSettings follow;

    bool tls() const { return !tlsCert.isEmpty(); }
};

// The configuration in path; a file that is not there is every default. Nothing, and *why
// in one line, when a value cannot be used.
std::optional<StationConfig> loadStationConfig(const QString &path, QString *why);
