#pragma once

#include <QTimer>

#include "radio/n1mmsenders.h"
#include "radio/radioreading.h"

class QUdpSocket;

// Listens for N1MM Logger+'s RadioInfo broadcasts on a UDP port it shares with any
// other program listening there. The newest broadcast about the followed radio (see
// isFollowedRadio: 1 or 2, or 0 for the radio with transmit focus) among those read in
// one turn is one reading():
// the TX frequency (TXFreq, else Freq), PTT from IsTransmitting (Unknown when it is
// missing). Everything else on the port is ignored. When no such broadcast has come
// for the silence limit, lost() once; the next one is a reading again. A port that
// cannot be bound is lost() too, and binding is tried again every retryInterval.
// Only allowed senders are heard, and only the chosen station's RadioInfo is followed;
// what is refused for either is counted and told in refusals(), at most once a report
// interval and never while nothing is refused.
class N1mmSource : public FrequencySource
{
    Q_OBJECT

public:
    static constexpr int defaultSilenceLimit = 30000; // N1MM sends at least every 10 s
    static constexpr int retryInterval = 2000;
    // Datagrams read in one turn of the event loop: a flood on the port (a misbehaving
    // program, ten thousand a second) never keeps the window from its keys and its paint.
    static constexpr int datagramsPerTurn = 64;
    static constexpr int defaultReportInterval = 60000;

    N1mmSource(quint16 port, int radio, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("n1mm"); }
    void start() override;

    // How long without a broadcast of the followed radio counts as the logger gone.
    void setSilenceLimit(int ms);
    // Who is followed: senders in these networks (by default loopback, private and link-local
    // ones) and, unless station is empty, only that station's broadcasts.
    void setAllowed(const QList<Subnet> &senders, const QString &station);
    void setReportInterval(int ms);

signals:
    // "N1MM: 3 broadcasts refused in the last minute: 2 from senders not allowed (last
    // 203.0.113.5), 1 from other stations (last OTHERPC)"
    void refusals(const QString &summary);

private:
    void bindNow();
    void onReadyRead();
    void reportLost(const QString &why);
    void refused(int &count, QString &last, const QString &what);
    void reportRefusals();

    quint16 port;
    int radio;
    QUdpSocket *socket;
    QTimer silenceTimer;
    QTimer retryTimer;
    // Takes the datagrams left over from a full turn, in the next one.
    QTimer nextTurn;
    bool lostReported = false;
    QList<Subnet> senders = *readN1mmSenders(QString());
    QString station;
    // Runs only from a refusal to its report: a quiet port costs no wake-ups.
    QTimer reportTimer;
    int refusedSenders = 0;
    int refusedStations = 0;
    QString lastSender;
    QString lastStation;
};
