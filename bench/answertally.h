#pragma once

#include <QObject>
#include <QVector>

struct SimLine;

// The status answers of one connection: those the simulator sent against those the panel
// decoded. An answer whose last byte went out after the panel's last decode and before
// Disconnect was still waiting for the next 25 ms read: it is counted apart, so that one
// answer in flight at Disconnect is never mistaken for a loss, nor a loss for it.
struct AnswerTally
{
    int sentWhole = 0;  // last byte out before Disconnect
    int unread = 0;     // ... of those, after the panel's last decode
    int sentAfter = 0;  // last byte out after Disconnect: nobody could read them
    int sentPartly = 0; // the simulator could write them only in part
    int decoded = 0;    // linkSession.statusFrames at Disconnect
};

// Notes, each time the GUI thread is about to sleep, whether the panel decoded another
// status answer. Make it just before File › Connect; call disconnected() just after
// File › Disconnect, then count() with the simulator's log since the Connect.
class AnswerWatch : public QObject
{
public:
    AnswerWatch();
    void disconnected();
    AnswerTally count(const QVector<SimLine> &logSinceConnect) const;

private:
    void look(double nowMs);

    int seen = 0;
    double lastDecodeMs = -1;
    double disconnectMs = -1;
    int decoded = 0;
};
