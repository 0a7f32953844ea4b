#pragma once

#include <QtGlobal>

// Milliseconds on a monotonic clock. Every interval of the link (the poll period,
// the queue spacing, the silence limit) is measured on it, so a step of the wall
// clock can neither stall the polls nor keep a dead link looking alive.
qint64 monotonicMs();

// Time stamp of the last accepted response; starts at program start so the link
// counts as alive for the first moments.
extern qint64 lastPacketTime;
