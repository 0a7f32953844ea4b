#pragma once

#include <QTimer>

#include "radio/radioreading.h"
#include "radio/rigctldcycle.h"
#include "radio/rigctldreply.h"

class QTcpSocket;

// Reads the radio through Hamlib's rigctld over TCP: every pollInterval one RigctldCycle,
// each command answered up to its RPRT line before the next goes, then one reading().
// A refused or dropped connection, an answer that does not come within answerTimeout,
// or one that is not rigctld's closes the connection, reports lost() (once until the
// next reading) and tries again every retryInterval. A get_freq that rigctld itself
// answers with an error (the rig off or not answering) reports lost() too, but keeps
// the connection and keeps asking.
class RigctldSource : public FrequencySource
{
    Q_OBJECT

public:
    static constexpr int pollInterval = 200;
    static constexpr int answerTimeout = 2000; // also the limit for connecting
    static constexpr int retryInterval = 2000;

    RigctldSource(const QString &host, quint16 port, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("rigctld"); }
    void start() override;

private:
    void connectNow();
    void poll();
    void send();
    void onReadyRead();
    void fail(const QString &why);
    void reportLost(const QString &why);
    QString where() const;

    QString host;
    quint16 port;
    QTcpSocket *socket;
    RigctldReplyReader reader;
    RigctldCycle cycle;
    QTimer pollTimer;
    QTimer answerTimer; // runs while connecting and while an answer is due
    QTimer retryTimer;
    bool lostReported = false;
};
