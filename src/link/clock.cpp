#include "link/clock.h"

#include "link/pacing.h"

// One clock for the whole link: the pacing clock, in whole milliseconds.
qint64 monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(pacingNow()).count();
}
