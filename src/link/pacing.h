#pragma once

#include <QtGlobal>

#include <atomic>
#include <chrono>

// The conversation's timing, on the monotonic clock.
constexpr std::chrono::milliseconds cyclePeriod{25};   // the pacing thread sleeps this long
constexpr std::chrono::milliseconds queueSpacing{100}; // a queued word waits more than this
constexpr std::chrono::milliseconds pollPeriod{150};   // the poll waits more than this
constexpr qint64 linkSilenceLimitMs = 1500;            // longer without a response means no link

// A moment on the pacing thread's monotonic clock, kept to the microsecond. Whole
// milliseconds are too coarse for a "more than 150 ms" rule on a 25 ms cycle: six
// cycles of 25.1 ms could read as exactly 150 and push the poll to a seventh, past
// 175 ms on the wire.
using PacingTime = std::chrono::microseconds;

// Now on that clock.
PacingTime pacingNow();

// When the GUI thread last handed a frame to the port, or took a send's turn with no
// port open (so a closed port keeps the cadence). A write the port refused leaves it
// as it was. Both the pacing thread and the GUI thread measure their intervals from it.
extern std::atomic<PacingTime> lastFrameWritten;

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
// burst of key presses leaves as fast as the controller allows. A negative difference
// (a stamp from the future) counts as not yet elapsed.
//
// The pacing thread asks this every cycle; callEnviar and callEnvioFila ask it again
// against lastFrameWritten right before they write, and skip their turn when the answer
// is no. So, measured between hand-overs to the port, a queued word follows the frame
// before it by more than queueSpacing and a poll (or the firmware query's one
// repetition, which takes a poll's turn) by more than pollPeriod, however late a posted
// send runs. Only the firmware query written on opening the port waits for nobody. The
// bytes reach the line when the GUI thread's event loop next runs, so a GUI thread
// blocked right after a write holds that frame back and narrows the gap after it.
PacingDecision decidePacing(PacingTime now, PacingTime lastSend, int queuedWords);

// The watchdog's view, in milliseconds of the same clock (monotonicMs): alive while the
// last accepted response is at most the silence limit old, or stamped in the future.
bool linkIsAlive(qint64 now, qint64 lastPacket);
