#include "answertally.h"

#include "journeyfixture.h"
#include "link/controllerlink.h"
#include "link/rxframer.h"
#include "simlog.h"

AnswerWatch::AnswerWatch(ControllerLink *link)
{
    connect(link, &ControllerLink::statusReceived, this, [this] {
        if (portClosed)
            return;
        ++decodedCount;
        lastDecodeMs = monotonicNowMs();
    });
    connect(link, &ControllerLink::closed, this, [this] { portClosed = true; });
}

void AnswerWatch::disconnected()
{
    disconnectMs = monotonicNowMs();
}

AnswerTally AnswerWatch::count(const QVector<SimLine> &logSinceConnect) const
{
    AnswerTally t;
    t.decoded = decodedCount;
    const int whole = RxFramer::frameLength('T');
    for (const SimLine &l : logSinceConnect) {
        if (l.dir != "tx" || l.kind != "poll")
            continue;
        if (l.bytes.size() != whole) {
            ++t.sentPartly;
        } else if (l.ms > disconnectMs) {
            ++t.sentAfter;
        } else {
            ++t.sentWhole;
            t.unread += l.ms > lastDecodeMs;
        }
    }
    return t;
}
