#include "radio/rigctldsource.h"

#include <QTcpSocket>

RigctldSource::RigctldSource(const QString &host, quint16 port, QObject *parent)
    : FrequencySource(parent), host(host), port(port), socket(new QTcpSocket(this))
{
    // Answers are a few dozen bytes; whatever else a stranger on the port sends waits
    // in the socket, not in an ever-growing buffer.
    socket->setReadBufferSize(16 * 1024);
    pollTimer.setInterval(pollInterval);
    answerTimer.setSingleShot(true);
    answerTimer.setInterval(answerTimeout);
    retryTimer.setSingleShot(true);
    retryTimer.setInterval(retryInterval);

    connect(&pollTimer, &QTimer::timeout, this, &RigctldSource::poll);
    connect(&retryTimer, &QTimer::timeout, this, &RigctldSource::connectNow);
    connect(&answerTimer, &QTimer::timeout, this, [this] {
        fail(cycle.isIdle() ? tr("%1 did not accept the connection").arg(where())
                            : tr("%1 did not answer %2").arg(where(), cycle.commandName()));
    });
    connect(socket, &QTcpSocket::connected, this, [this] {
        answerTimer.stop();
        poll();
        pollTimer.start();
    });
    connect(socket, &QTcpSocket::readyRead, this, &RigctldSource::onReadyRead);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this] { fail(tr("%1: %2").arg(where(), socket->errorString())); });
}

QString RigctldSource::where() const
{
    return tr("rigctld at %1:%2").arg(host).arg(port);
}

void RigctldSource::start()
{
    connectNow();
}

void RigctldSource::connectNow()
{
    reader.reset();
    cycle.reset();
    socket->abort();
    socket->connectToHost(host, port);
    answerTimer.start();
}

void RigctldSource::poll()
{
    if (!cycle.isIdle() || socket->state() != QAbstractSocket::ConnectedState)
        return;
    cycle.start();
    send();
}

void RigctldSource::send()
{
    socket->write(cycle.command());
    answerTimer.start();
}

void RigctldSource::onReadyRead()
{
    const QList<RigctldReply> replies = reader.feed(socket->readAll());
    // A peer that streams without end, or answers at a length rigctld never does, is
    // closed at once and tried again after the retry interval: reading it costs CPU.
    if (reader.overran()) {
        fail(tr("%1 sent more than an answer can hold").arg(where()));
        return;
    }
    for (const RigctldReply &reply : replies) {
        answerTimer.stop();
        switch (cycle.take(reply)) {
        case RigctldCycle::Result::Ask:
            send();
            break;
        case RigctldCycle::Result::Done:
            lostReported = false;
            emit reading(cycle.reading());
            break;
        case RigctldCycle::Result::NoFrequency:
            reportLost(
                tr("%1 has no frequency from the radio (RPRT %2)").arg(where()).arg(reply.code));
            break;
        case RigctldCycle::Result::OutOfStep:
            fail(tr("%1 sent an answer to a question not asked").arg(where()));
            return;
        }
    }
}

void RigctldSource::fail(const QString &why)
{
    pollTimer.stop();
    answerTimer.stop();
    cycle.reset();
    // Closing the socket may report the close through errorOccurred again; the retry
    // already waiting makes that second call a no-op.
    if (retryTimer.isActive())
        return;
    retryTimer.start();
    socket->abort();
    reportLost(why);
}

void RigctldSource::reportLost(const QString &why)
{
    if (lostReported)
        return;
    lostReported = true;
    emit lost(why);
}
