#pragma once

#include <QtGlobal>

// The conversation's timing, all in milliseconds on the monotonic clock.
constexpr qint64 cyclePeriodMs = 25;     // the pacing thread sleeps this long per cycle
constexpr qint64 queueSpacingMs = 100;   // queued commands go out more than this apart
constexpr qint64 pollPeriodMs = 150;     // the poll waits more than this after any send
constexpr qint64 linkSilenceLimitMs = 1500; // longer without a response means no link

// What one cycle of the pacing thread should post to the window.
struct PacingDecision
{
    bool sendQueued = false; // post callEnvioFila
    bool sendPoll = false;   // post callEnviar
    qint64 lastSend = 0;     // the new time stamp of the last send
};

// Queued words take precedence over the poll: while any wait, no poll goes out, so a
// burst of key presses leaves as fast as the controller allows. A negative difference
// (a stamp from the future) counts as not yet elapsed.
PacingDecision decidePacing(qint64 now, qint64 lastSend, int queuedWords);

// The watchdog's view: alive while the last accepted response is at most the silence
// limit old, or stamped in the future.
bool linkIsAlive(qint64 now, qint64 lastPacket);
