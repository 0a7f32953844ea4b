#include "remote/stationlink.h"

#include <QCryptographicHash>
#include <QSslSocket>

#include "radio/followsettings.h"
#include "station/apireply.h"
#include "station/pushlines.h"

namespace {
constexpr quint16 authSeq = 1;
constexpr quint16 subscribeSeq = 2;
constexpr quint16 infoSeq = 3;
} // namespace

StationLink::StationLink(QObject *parent) : QObject(parent)
{
    retry.setSingleShot(true);
    retry.setInterval(retryInterval);
    connect(&retry, &QTimer::timeout, this, &StationLink::connectNow);
}

void StationLink::open(const StationAddress &to)
{
    close();
    address = to;
    everOpened = false;
    connectNow();
}

void StationLink::close()
{
    retry.stop();
    if (socket) {
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        socket->deleteLater();
        socket.clear();
    }
    accepted = false;
}

bool StationLink::isOpen() const
{
    return socket && accepted;
}

void StationLink::connectNow()
{
    if (socket) {
        disconnect(socket, nullptr, this, nullptr);
        socket->deleteLater();
    }
    reader = LineReader();
    accepted = false;
    seq = infoSeq;
    QSslSocket *tls = address.tls ? new QSslSocket(this) : nullptr;
    socket = tls ? tls : new QTcpSocket(this);
    connect(socket, &QTcpSocket::readyRead, this, [this] {
        const LineReader::Lines got = reader.feed(socket->readAll());
        for (const QByteArray &line : got.lines)
            if (socket) // a line may end the connection
                lineArrived(line);
        if (got.tooLong && socket)
            ended(tr("the station sent a line too long"));
    });
    connect(socket, &QTcpSocket::disconnected, this,
            [this] { ended(tr("the station closed the connection")); });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (socket && socket->state() != QAbstractSocket::ConnectedState)
            ended(socket->errorString());
    });
    if (tls) {
        connect(tls, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), this,
                [this, tls] {
                    const QByteArray seen =
                        tls->peerCertificate().digest(QCryptographicHash::Sha256).toHex();
                    if (address.pin.isEmpty() || seen == address.pin)
                        tls->ignoreSslErrors();
                    else
                        ended(tr("the station's certificate is not the one it had before"));
                });
        connect(tls, &QSslSocket::encrypted, this, [this, tls] {
            if (!address.pin.isEmpty())
                return;
            address.pin = tls->peerCertificate().digest(QCryptographicHash::Sha256).toHex();
            emit certificatePinned(address.pin);
        });
        tls->connectToHostEncrypted(address.host, address.port);
    } else {
        socket->connectToHost(address.host, address.port);
    }
}

void StationLink::ended(const QString &reason)
{
    if (!socket)
        return;
    const bool wasAccepted = accepted;
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
    socket.clear(); // ended once per connection
    accepted = false;
    if (wasAccepted)
        emit lost(reason);
    else if (!everOpened)
        emit openFailed(reason);
    if (reconnecting && (wasAccepted || everOpened))
        retry.start();
}

void StationLink::lineArrived(const QByteArray &line)
{
    if (line.startsWith('V') && line.contains(" ORVIK ")) {
        // The token goes whenever we hold one: a station may ask for it of a loopback
        // client too (RequireAuth=always), and it names us in the station's log.
        if (!address.token.isEmpty())
            socket->write("C1|auth token=" + address.token.toLatin1() + '\n');
        socket->write("C2|sub all\n");
        stationName = lineFields(line).value("name");
        return;
    }
    if (line.startsWith("R1|")) {
        if (!line.startsWith("R1|00|"))
            ended(tr("the station refused the token"));
        return;
    }
    if (line.startsWith("R2|")) {
        if (!line.startsWith("R2|00|")) {
            ended(tr("the station wants a token"));
            return;
        }
        accepted = true;
        everOpened = true;
        emit opened(stationName);
        return;
    }
    if (line.startsWith("R3|00|station ")) {
        // "firmware=1.0", empty while the station's switch has not told it.
        const QStringList firmware = lineFields(line.mid(6)).value("firmware").split('.');
        bool major = false, minor = false;
        const FirmwareRevision revision{firmware.value(0).toInt(&major),
                                        firmware.value(1).toInt(&minor)};
        if (major && minor)
            emit firmwareReceived(revision);
        return;
    }
    QString by;
    if (const std::optional<SwitchStatus> status = readSwitchLine(line, &by)) {
        // The station says a status once, when it changes; on the port the panel sees it
        // again with the next poll, and some looks (a split's pair) settle on that second
        // sight. Handed on twice, they settle the same way here.
        emit statusReceived(*status);
        emit statusReceived(*status);
        emit changedBy(by);
    } else if (line.startsWith("S0|link ")) {
        const bool up = lineFields(line.mid(8)).value("state") == QLatin1String("up");
        // The switch's firmware, as the station has it now that the switch answers.
        if (up)
            socket->write("C3|info\n");
        emit aliveChanged(up);
    } else if (line.startsWith('R') && !line.contains("|00|")) {
        const int text = line.indexOf('|', line.indexOf('|') + 1) + 1; // R<seq>|<code>|<text>
        emit refused(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(text))));
    }
}

void StationLink::command(const QByteArray &words)
{
    if (!isOpen())
        return;
    seq = seq == 65535 ? infoSeq + 1 : quint16(seq + 1);
    socket->write('C' + QByteArray::number(seq) + '|' + words + '\n');
}

void StationLink::selectTx(int antenna)
{
    command("select tx=" + QByteArray::number(antenna));
}

void StationLink::selectRx(int key)
{
    command("select rx=" + receiveKeyName(key).toLatin1());
}

void StationLink::setSplit(int first, int second)
{
    command("split " + QByteArray::number(first) + ' ' + QByteArray::number(second));
}

void StationLink::clearSplit()
{
    command("split off");
}

void StationLink::setSuperSplit(quint8 group)
{
    QByteArrayList positions;
    for (int bit = 0; bit < 8; ++bit)
        if ((group >> bit) & 1)
            positions << QByteArray::number(bit + 1);
    command("supersplit " + positions.join(','));
}

void StationLink::setRotor(int rotor, int)
{
    // The station sends the rotor with the antenna the switch has on the air.
    command("rotor " + QByteArray::number(rotor));
}

void StationLink::release(bool all)
{
    command(all ? "release all" : "release");
}
