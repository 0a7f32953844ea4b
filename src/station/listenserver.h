#pragma once

#include <QSslConfiguration>
#include <QTcpServer>

// A TCP listener whose connections speak TLS (1.2 or later) when it has a certificate,
// and plain TCP when it has none; either way they are QTcpSockets to whoever takes them.
class ListenServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

    // The certificate and key, PEM files. False, and *why, when either does not read.
    bool setTls(const QString &certificatePath, const QString &keyPath, QString *why);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QSslConfiguration tls;
    bool useTls = false;
};
