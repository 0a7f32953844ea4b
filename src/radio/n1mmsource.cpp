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
    reportTimer.setSingleShot(true);
    reportTimer.setInterval(defaultReportInterval);
    connect(&reportTimer, &QTimer::timeout, this, &N1mmSource::reportRefusals);
}

void N1mmSource::setAllowed(const QList<Subnet> &allowedSenders, const QString &stationName)
{
    senders = allowedSenders;
    station = stationName;
}

void N1mmSource::setReportInterval(int ms)
{
    reportTimer.setInterval(ms);
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
        // Of one too big, a byte is read for its sender; the rest of it is lost.
        const bool tooBig = size < 0 || size > maxRadioInfoSize;
        QByteArray datagram(tooBig ? 1 : int(size), Qt::Uninitialized);
        QHostAddress from;
        const qint64 n = socket->readDatagram(datagram.data(), datagram.size(), &from);
        if (n < 0)
            break;
        // Before any XML is read: a flood from elsewhere costs a lookup a datagram.
        if (!isAllowedSender(from, senders)) {
            refused(refusedSenders, lastSender, from.toString());
            continue;
        }
        if (tooBig)
            continue;
        datagram.truncate(int(n));
        const std::optional<RadioInfo> info = parseRadioInfo(datagram);
        if (!info)
            continue;
        if (!isFollowedStation(*info, station)) {
            refused(refusedStations, lastStation,
                    info->stationName.value_or(tr("without a StationName")));
            continue;
        }
        if (!isFollowedRadio(*info, radio))
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

void N1mmSource::refused(int &count, QString &last, const QString &what)
{
    ++count;
    last = what;
    if (!reportTimer.isActive())
        reportTimer.start();
}

void N1mmSource::reportRefusals()
{
    QStringList kinds;
    if (refusedSenders > 0)
        kinds << tr("%1 from senders not allowed (last %2)")
                     .arg(QString::number(refusedSenders), lastSender);
    if (refusedStations > 0)
        kinds << tr("%1 from other stations (last %2)")
                     .arg(QString::number(refusedStations), lastStation);
    const int total = refusedSenders + refusedStations;
    refusedSenders = refusedStations = 0;
    emit refusals(tr("N1MM: %1 %2 refused in the last minute: %3")
                      .arg(QString::number(total), total == 1 ? tr("broadcast") : tr("broadcasts"),
                           kinds.join(QLatin1String(", "))));
}
