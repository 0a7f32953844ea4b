#include "radio/n1mmsource.h"

#include <QUdpSocket>

#include "radio/radioinfo.h"

N1mmSource::N1mmSource(quint16 port, int radio, QObject *parent)
    : FrequencySource(parent), port(port), radio(radio), socket(new QUdpSocket(this))
{
    silenceTimer.setSingleShot(true);
    silenceTimer.setInterval(defaultSilenceLimit);
    retryTimer.setSingleShot(true);
    retryTimer.setInterval(retryInterval);
    connect(&silenceTimer, &QTimer::timeout, this, [this] {
        reportLost(tr("no broadcast for %1 s").arg(silenceTimer.interval() / 1000.0));
    });
    connect(&retryTimer, &QTimer::timeout, this, &N1mmSource::bindNow);
    nextTurn.setSingleShot(true);
    nextTurn.setInterval(0);
    connect(&nextTurn, &QTimer::timeout, this, &N1mmSource::onReadyRead);
    connect(socket, &QUdpSocket::readyRead, this, &N1mmSource::onReadyRead);
}

void N1mmSource::setSilenceLimit(int ms)
{
    silenceTimer.setInterval(ms);
}

void N1mmSource::start()
{
    silenceTimer.start();
    bindNow();
}

void N1mmSource::bindNow()
{
    socket->abort();
    if (!socket->bind(QHostAddress::AnyIPv4, port,
                      QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        reportLost(tr("cannot listen on UDP port %1: %2").arg(port).arg(socket->errorString()));
        retryTimer.start();
    }
}

void N1mmSource::onReadyRead()
{
    std::optional<RadioReading> newest;
    for (int taken = 0; socket->hasPendingDatagrams(); ++taken) {
        if (taken == datagramsPerTurn) {
            nextTurn.start();
            break;
        }
        const qint64 size = socket->pendingDatagramSize();
        if (size < 0 || size > maxRadioInfoSize) {
            char discard;
            if (socket->readDatagram(&discard, 1) < 0) // the rest of the datagram is lost
                break;
            continue;
        }
        QByteArray datagram(int(size), Qt::Uninitialized);
        const qint64 n = socket->readDatagram(datagram.data(), size);
        if (n < 0)
            break;
        datagram.truncate(int(n));
        const std::optional<RadioInfo> info = parseRadioInfo(datagram);
        if (!info || !isFollowedRadio(*info, radio))
            continue;
        RadioReading r;
        r.txHz = info->txHz();
        if (info->transmitting)
            r.ptt = *info->transmitting ? Ptt::On : Ptt::Off;
        newest = r;
    }
    if (!newest)
        return;
    silenceTimer.start();
    lostReported = false;
    emit reading(*newest);
}

void N1mmSource::reportLost(const QString &why)
{
    if (lostReported)
        return;
    lostReported = true;
    emit lost(why);
}
