#include "station/listenserver.h"

#include <QFile>
#include <QSslKey>
#include <QSslSocket>

bool ListenServer::setTls(const QString &certificatePath, const QString &keyPath, QString *why)
{
    QFile certificateFile(certificatePath);
    QFile keyFile(keyPath);
    if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot read %1 or %2").arg(certificatePath, keyPath);
        return false;
    }
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certificateFile.readAll());
    const QByteArray pem = keyFile.readAll();
    QSslKey key(pem, QSsl::Rsa);
    if (key.isNull())
        key = QSslKey(pem, QSsl::Ec);
    if (chain.isEmpty() || key.isNull()) {
        *why = QStringLiteral("%1 holds no PEM certificate or %2 no PEM key (RSA or EC)")
                   .arg(certificatePath, keyPath);
        return false;
    }
    if (!QSslSocket::supportsSsl()) {
        *why = QStringLiteral("this Qt has no TLS backend");
        return false;
    }
    tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // clients prove themselves with tokens
    useTls = true;
    return true;
}

void ListenServer::incomingConnection(qintptr descriptor)
{
    if (!useTls) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setSslConfiguration(tls);
    // A handshake that fails (an old client, plain text on the TLS port) ends the
    // connection; nothing of it reaches the station.
    connect(socket, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), socket,
            [socket] { socket->abort(); });
    socket->startServerEncryption();
    addPendingConnection(socket);
}
