#include "station/stationconfig.h"

#include <QDir>
#include <QFileInfo>

#include "config/settingsvalues.h"

namespace {

bool readAddress(const QString &text, QHostAddress *host, quint16 *port)
{
    QString name;
    quint16 number = 0;
    if (!readRigctldAddress(text, name, number))
        return false;
    // An address to listen on is one of this machine's, never a name to look up.
    const QHostAddress address(name);
    if (address.isNull())
        return false;
    *host = address;
    *port = number;
    return true;
}

} // namespace

std::optional<StationConfig> loadStationConfig(const QString &path, QString *why)
{
    StationConfig c;
    const IniFile file(path);
    const auto text = [&file](const QString &key) {
        return iniText(file.value(key, QString())).trimmed();
    };
    const auto refuse = [why](const QString &key, const QString &value, const QString &wanted) {
        *why = QStringLiteral("%1=%2: %3").arg(key, value, wanted);
        return std::nullopt;
    };
    if (!text("Station/Name").isEmpty())
        c.name = text("Station/Name");
    c.port = text("Station/Port");
    if (!text("Station/Baud").isEmpty()) {
        bool ok = false;
        c.baud = text("Station/Baud").toInt(&ok);
        if (!ok || c.baud <= 0)
            return refuse("Baud", text("Station/Baud"), "a rate in bits per second");
    }
    for (const auto &[key, host, port] :
         {std::make_tuple(QStringLiteral("Listen"), &c.listenHost, &c.listenPort),
          std::make_tuple(QStringLiteral("Web"), &c.webHost, &c.webPort)}) {
        const QString value = text("Station/" + key);
        if (!value.isEmpty() && !readAddress(value, host, port))
            return refuse(key, value, "an address and port: 127.0.0.1:4590 or [::1]:4590");
    }
    const QString auth = text("Station/RequireAuth");
    if (!auth.isEmpty() && auth != QLatin1String("remote") && auth != QLatin1String("always"))
        return refuse("RequireAuth", auth, "remote or always");
    c.authAlways = auth == QLatin1String("always");
    c.tokensPath = text("Station/Tokens");
    if (c.tokensPath.isEmpty())
        c.tokensPath = QFileInfo(path).absoluteDir().filePath(QStringLiteral("tokens"));
    c.tlsCert = text("Station/TlsCert");
    c.tlsKey = text("Station/TlsKey");
    if (c.tlsCert.isEmpty() != c.tlsKey.isEmpty())
        return refuse("TlsCert", c.tlsCert, "set together with TlsKey");
    const struct
    {
        const char *key;
        int *value;
        int most;
    } numbers[] = {
        {"MaxClients", &c.maxClients, 1000},
        {"CommandsPerSecond", &c.commandsPerSecond, 100000},
        {"CommandBurst", &c.commandBurst, 100000},
        {"AuthSeconds", &c.authSeconds, 3600},
        {"BadTokens", &c.badTokens, 1000},
        {"RefuseSeconds", &c.refuseSeconds, 86400},
        {"UnauthenticatedPerAddress", &c.unauthenticatedPerAddress, 1000},
        {"MaxUnreadKiB", &c.maxUnreadKiB, 1024 * 1024},
        {"KeepaliveSeconds", &c.keepaliveSeconds, 3600},
    };
    for (const auto &number : numbers) {
        const QString value = text(QStringLiteral("Station/") + QLatin1String(number.key));
        if (value.isEmpty())
            continue;
        bool ok = false;
        *number.value = value.toInt(&ok);
        if (!ok || *number.value < 1 || *number.value > number.most)
            return refuse(QLatin1String(number.key), value,
                          QStringLiteral("a whole number from 1 to %1").arg(number.most));
    }
    c.allowedOrigins = text("Station/AllowedOrigins");
    for (int n = 1; n <= 8; ++n) {
        const QString label = text(QStringLiteral("Labels/ANT%1").arg(n));
        c.antennaLabels << label;
    }
    for (const QString key : {"RX1", "RX2", "RX3", "RX4", "RTX"}) {
        const QString label = text("Labels/" + key);
        c.receiveLabels << (label.isEmpty() ? key : label);
    }
    c.follow = loadFollowSettings(path);
    if (!c.follow.badRigctldAddress.isEmpty())
        return refuse("Rigctld", c.follow.badRigctldAddress, "host:port or [IPv6]:port");
    return c;
}
