#pragma once

#include <QObject>
#include <QVector>

class ControllerLink;
struct SimLine;

// The status answers of one connection: those the simulator sent against those the panel
// decoded. An answer whose last byte went out after the last status the panel took and
// before Disconnect may not have been read when the link closed the port: it is counted
// apart, so that one answer in flight at Disconnect is never mistaken for a loss, nor a
// loss for it.
struct AnswerTally
{
    int sentWhole = 0;  // last byte out before Disconnect
    int unread = 0;     // ... of those, after the last status the panel took
    int sentAfter = 0;  // last byte out after Disconnect: nobody could read them
    int sentPartly = 0; // the simulator could write them only in part
    int decoded = 0;    // statuses the link gave out on this connection
};

// Counts the statuses the link gives out, as the window hears them, until the link says
// the port is closed (whatever it decoded before closing is heard before that). Make it
// just before File › Connect; call disconnected() just after File › Disconnect, then,
// once the link has closed, count() with the simulator's log since the Connect.
class AnswerWatch : public QObject
{
public:
    explicit AnswerWatch(ControllerLink *link);
    void disconnected();
    bool closed() const { return portClosed; }
    int decoded() const { return decodedCount; }
    AnswerTally count(const QVector<SimLine> &logSinceConnect) const;

private:
    int decodedCount = 0;
    double lastDecodeMs = -1;
    double disconnectMs = -1;
    bool portClosed = false;
};
