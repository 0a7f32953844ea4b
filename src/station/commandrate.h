#pragma once

#include <QtGlobal>

// How fast one client's commands are taken: perSecond on average and up to burst at once
// (a page that subscribes and asks for the lists on opening sends a handful together). A
// command past that is answered 60 and not run. The clock is the caller's, in
// milliseconds.
class CommandRate
{
public:
    static constexpr int defaultPerSecond = 20;
    static constexpr int defaultBurst = 40;

    explicit CommandRate(qint64 nowMs, int perSecond = defaultPerSecond, int burst = defaultBurst)
        : perSecond(qMax(perSecond, 1)), burst(qMax(burst, 1)), last(nowMs),
          credit(qint64(this->burst) * whole)
    {}

    // Whether one more command may run now; if so, it is counted.
    bool take(qint64 nowMs);

private:
    static constexpr qint64 whole = 1000; // credit is kept in thousandths of a command

    qint64 perSecond;
    qint64 burst;
    qint64 last;
    qint64 credit;
};
