#include "link/clock.h"

#include <chrono>

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 lastPacketTime = monotonicMs();
