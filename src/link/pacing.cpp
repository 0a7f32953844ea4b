#include "link/pacing.h"

PacingDecision decidePacing(qint64 now, qint64 lastSend, int queuedWords)
{
    PacingDecision decision;
    decision.lastSend = lastSend;
    const qint64 elapsed = now - lastSend;
    if (queuedWords > 0) {
        if (elapsed > queueSpacingMs) {
            decision.sendQueued = true;
            decision.lastSend = now;
        }
    } else if (elapsed > pollPeriodMs) {
        decision.sendPoll = true;
        decision.lastSend = now;
    }
    return decision;
}

bool linkIsAlive(qint64 now, qint64 lastPacket)
{
    return now - lastPacket <= linkSilenceLimitMs;
}
