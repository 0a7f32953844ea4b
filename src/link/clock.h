#pragma once

#include <QtGlobal>

// The pacing clock (pacingNow) in whole milliseconds. The watchdog, the firmware
// query's retry and the wire trace count in it; being monotonic, a step of the wall
// clock can neither keep a dead link looking alive nor stall the polls.
qint64 monotonicMs();
