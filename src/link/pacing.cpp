#include "link/pacing.h"

namespace {
bool wordsTurn(int queuedWords, int wordsInARow)
{
    return queuedWords > 0 && wordsInARow < wordsBeforePoll;
}
} // namespace

PacingDecision decidePacing(PacingTime now, PacingTime lastSend, int queuedWords, int wordsInARow)
{
    PacingDecision decision;
    decision.lastSend = lastSend;
    const PacingTime elapsed = now - lastSend;
    if (wordsTurn(queuedWords, wordsInARow)) {
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

std::chrono::milliseconds untilNextSend(PacingTime now, PacingTime lastSend, int queuedWords,
                                        int wordsInARow)
{
    using namespace std::chrono;
    const PacingTime due =
        lastSend + (wordsTurn(queuedWords, wordsInARow) ? queueSpacing : pollPeriod);
    return due <= now ? milliseconds(0) : ceil<milliseconds>(due - now);
}
