#pragma once

#include <QtGlobal>

#include <atomic>
#include <chrono>

// The conversation's timing, all in milliseconds on the monotonic clock.
constexpr qint64 cyclePeriodMs = 25;     // the pacing thread sleeps this long per cycle
constexpr qint64 queueSpacingMs = 100;   // queued commands go out more than this apart
constexpr qint64 pollPeriodMs = 150;     // the poll waits more than this after any send
constexpr qint64 linkSilenceLimitMs = 1500; // longer without a response means no link

// A moment on the pacing thread's monotonic clock, kept to the microsecond. Whole
// milliseconds are too coarse for a "more than 150 ms" rule on a 25 ms cycle: six
// cycles of 25.1 ms could read as exactly 150 and push the poll to a seventh, past
// 175 ms on the wire.
using PacingTime = std::chrono::microseconds;

// Now on that clock.
PacingTime pacingNow();

// When the GUI thread last handed a frame to the port (or took its turn with no port
// open), in microseconds of the pacing clock. The GUI may reach a posted send late; the
// pacing thread counts its intervals from this stamp, not from its own decision, so "more
// than 100 ms" and "more than 150 ms" hold on the wire, not just where the thread decides.
extern std::atomic<qint64> lastFrameWritten;

// At most one send and one receive invocation wait in the GUI thread's event queue at
// any time: the pacing thread sets the flag when it posts, the slot clears it when it
// runs. A GUI thread that stalls for a second then finds one of each waiting, not a
// backlog of forty that would go out back to back.
extern std::atomic<bool> sendPosted;
extern std::atomic<bool> receivePosted;

// What one cycle of the pacing thread should post to the window.
struct PacingDecision
{
    bool sendQueued = false; // post callEnvioFila
    bool sendPoll = false;   // post callEnviar
    PacingTime lastSend{0};  // the new time stamp of the last send
};

// Queued words take precedence over the poll: while any wait, no poll goes out, so a
// burst of key presses leaves as fast as the controller allows. The GUI thread asks the
// same question once more, against the last frame written, before it writes: however
// late a posted send runs after a stall, the wire keeps its 100 and 150 ms. A negative
// difference (a stamp from the future) counts as not yet elapsed.
PacingDecision decidePacing(PacingTime now, PacingTime lastSend, int queuedWords);

// The watchdog's view: alive while the last accepted response is at most the silence
// limit old, or stamped in the future.
bool linkIsAlive(qint64 now, qint64 lastPacket);
