#pragma once

#include <QByteArray>

// The ways a person or a test can make the simulator misbehave on purpose. Faults
// bend the answers to status polls only; silence swallows every answer, and the wrong
// device answers every command the way a transceiver's CAT port would.
class FaultPlan
{
public:
    bool silent = false;
    int garbageLeft = 0;  // next polls answered with bytes that are no response
    int truncateLeft = 0; // next polls answered with a response cut short
    int truncatedLength = 8;
    bool wrongDevice = false;

    // What actually goes on the line for an answer of this kind ("poll", ...);
    // empty for no answer. Counts the fault down.
    QByteArray shape(const QString &kind, const QByteArray &reply);

    // A transceiver's frequency report: what a panel hears on the wrong serial port.
    static QByteArray wrongDeviceAnswer() { return "FA00014074000;"; }

    // Thirteen bytes that neither start with "IG" nor end with ";".
    static QByteArray garbage(quint32 seed);

private:
    quint32 garbageSeed = 1;
};
