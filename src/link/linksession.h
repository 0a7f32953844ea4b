#pragma once

#include <QtGlobal>

#include "link/rxframer.h"

// What one connection has heard so far. It starts afresh at every open: bytes and
// answers from an earlier connection mean nothing to this one.
class LinkSession
{
public:
    // A firmware answer lost on a noisy line is asked for once more after this long.
    static constexpr qint64 firmwareRetryMs = 1000;

    void start(qint64 nowMs)
    {
        framer.clear();
        openedAt = nowMs;
        firmwareSeen = false;
        firmwareAskedAgain = false;
    }

    // Whether the next send should be the firmware query again rather than the poll.
    bool firmwareQueryDue(qint64 nowMs) const
    {
        return !firmwareSeen && !firmwareAskedAgain && nowMs - openedAt > firmwareRetryMs;
    }

    RxFramer framer;
    qint64 openedAt = 0;
    bool firmwareSeen = false;
    bool firmwareAskedAgain = false;
};
