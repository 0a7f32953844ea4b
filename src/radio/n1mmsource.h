#pragma once

#include <QTimer>

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
class N1mmSource : public FrequencySource
{
    Q_OBJECT

public:
    static constexpr int defaultSilenceLimit = 30000; // N1MM sends at least every 10 s
    static constexpr int retryInterval = 2000;
    // Datagrams read in one turn of the event loop: a flood on the port (a misbehaving
    // program, ten thousand a second) never keeps the window from its keys and its paint.
    static constexpr int datagramsPerTurn = 64;

    N1mmSource(quint16 port, int radio, QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("n1mm"); }
    void start() override;

    // How long without a broadcast of the followed radio counts as the logger gone.
    void setSilenceLimit(int ms);

private:
    void bindNow();
    void onReadyRead();
    void reportLost(const QString &why);

    quint16 port;
    int radio;
    QUdpSocket *socket;
    QTimer silenceTimer;
    QTimer retryTimer;
    // Takes the datagrams left over from a full turn, in the next one.
    QTimer nextTurn;
    bool lostReported = false;
};
