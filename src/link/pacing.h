#pragma once

#include <QtGlobal>

#include <chrono>

// The conversation's timing, on the monotonic clock.
constexpr std::chrono::milliseconds queueSpacing{100}; // a queued word waits more than this
constexpr std::chrono::milliseconds pollPeriod{150};   // the poll waits more than this
constexpr qint64 linkSilenceLimitMs = 1500;            // longer without a response means no link
// Words that may go back to back before the next turn must be a poll: a stream of selects
// (a logger flipping bands) never starves the switch's reports.
constexpr int wordsBeforePoll = 2;

// A moment on the link's monotonic clock, kept to the microsecond. Whole milliseconds
// are too coarse for a "more than 150 ms" rule: a turn taken at what reads as exactly
// 150 ms could still be a fraction early.
using PacingTime = std::chrono::microseconds;

// Now on that clock.
PacingTime pacingNow();

// What the link may write now.
struct PacingDecision
{
    bool sendQueued = false; // the next queued word
    bool sendPoll = false;   // the status poll
    PacingTime lastSend{0};  // the new time stamp of the last send
};

// Queued words take precedence over the poll, so a burst of key presses leaves as fast as
// the controller allows; but after wordsBeforePoll words in a row (wordsInARow, counted
// since the last poll or firmware query) the next turn is a poll's, whatever is queued. A negative
// difference (a stamp from the future) counts as not yet elapsed. Measured between hand-overs to
// the port, a queued word follows the frame before it by more than queueSpacing and a poll (or the
// firmware query's one repetition, which takes a poll's turn) by more than pollPeriod. Only the
// firmware query written on opening the port waits for nobody.
PacingDecision decidePacing(PacingTime now, PacingTime lastSend, int queuedWords,
                            int wordsInARow = 0);

// The watchdog's view, in milliseconds of the same clock (monotonicMs): alive while the
// last accepted response is at most the silence limit old, or stamped in the future.
bool linkIsAlive(qint64 now, qint64 lastPacket);

// How long from now until the next send may go, rounded up to whole milliseconds, so a
// timer set to it never fires early. A turn that comes exactly on time is still too early
// for the "more than" rule; it is asked again at once.
std::chrono::milliseconds untilNextSend(PacingTime now, PacingTime lastSend, int queuedWords,
                                        int wordsInARow = 0);
