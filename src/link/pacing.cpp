#include "link/pacing.h"

PacingDecision decidePacing(PacingTime now, PacingTime lastSend, int queuedWords)
{
    PacingDecision decision;
    decision.lastSend = lastSend;
    const PacingTime elapsed = now - lastSend;
    if (queuedWords > 0) {
        if (elapsed > queueSpacing) {
            decision.sendQueued = true;
            decision.lastSend = now;
        }
    } else if (elapsed > pollPeriod) {
        decision.sendPoll = true;
        decision.lastSend = now;
    }
    return decision;
}

bool linkIsAlive(qint64 now, qint64 lastPacket)
{
    return now - lastPacket <= linkSilenceLimitMs;
}

PacingTime pacingNow()
{
    using namespace std::chrono;
    return duration_cast<PacingTime>(steady_clock::now().time_since_epoch());
}

// Far enough in the past that the first frame of the run is never held back.
std::atomic<PacingTime> lastFrameWritten{PacingTime::min() / 2};
std::atomic<bool> sendPosted{false};
std::atomic<bool> receivePosted{false};
