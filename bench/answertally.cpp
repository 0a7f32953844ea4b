#include "answertally.h"

#include <QAbstractEventDispatcher>

#include "journeyfixture.h"
#include "link/linksession.h"
#include "link/rxframer.h"
#include "simlog.h"

AnswerWatch::AnswerWatch() : seen(linkSession.statusFrames)
{
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this]() { look(monotonicNowMs()); });
}

void AnswerWatch::look(double nowMs)
{
    // The count starts afresh at Connect; only a rise is a decode.
    if (linkSession.statusFrames > seen)
        lastDecodeMs = nowMs;
    seen = linkSession.statusFrames;
}

void AnswerWatch::disconnected()
{
    disconnectMs = monotonicNowMs();
    // A decode in the event loop's last pass before Disconnect was not seen idle.
    look(disconnectMs);
    decoded = linkSession.statusFrames; // kept until the next Connect
}

AnswerTally AnswerWatch::count(const QVector<SimLine> &logSinceConnect) const
{
    AnswerTally t;
    t.decoded = decoded;
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
