#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "answertally.h"

class Station;

// The pieces of bench_realline: the real panel in-process against orvik-sim playing one
// line condition at a time. Each part returns plain figures; bench_realline.cpp prints.

struct LineCondition
{
    QString name;              // the table's column heading
    QStringList simulatorArgs; // what orvik-sim is started with
};

// Status answers over one connection of some seconds.
struct ShareFigures
{
    bool connected = false;
    AnswerTally answers;
    double seconds = 0;
    double firstStatusMs = -1; // Connect to the first status answer decoded
};

// The firmware line on repeated connects.
struct FirmwareFigures
{
    int connects = 0;
    int shown = 0;             // "FW Revision: ..." appeared within 3 s
    int wrongValue = 0;        // ... but not the simulator's revision
    QVector<double> latencyMs; // Connect to the label showing
};

// Spacing on the wire after the GUI thread was blocked for a second.
struct StallFigures
{
    int stalls = 0;
    int wordsAfter = 0;         // queued words written after a stall
    QVector<double> beforeWord; // gap from the previous frame to a queued word, ms
    QVector<double> beforePoll; // ... to a poll or firmware query, ms
    double minTraceWordMs = -1; // the same minima from the trace's own whole-ms stamps
    double minTracePollMs = -1;
};

// Resident memory over a long stretch of noise, connected and polling.
struct MemoryFigures
{
    bool connected = false;
    double minutes = 0; // measured, after the warm-up
    qint64 rssStartKiB = 0;
    qint64 rssEndKiB = 0;
    qint64 rssPeakKiB = 0;
    qint64 anonStartKiB = 0;
    qint64 anonEndKiB = 0;
    qint64 noiseBytes = 0; // what the simulator reports having sent between answers
    AnswerTally answers;
};

// Runs the event loop until the condition holds at a moment the GUI thread is about to
// sleep (the decode and its paint done), or the timeout. Returns that moment on the
// monotonic clock in ms, or -1.
double runUntil(const std::function<bool()> &condition, int timeoutMs);

// File › Connect and File › Disconnect, after the port was chosen once.
bool connectAgain(Station &station);
void disconnect(Station &station);

ShareFigures measureShare(Station &station, int seconds);
FirmwareFigures measureFirmware(Station &station, int connects);
StallFigures measureStalls(Station &station, int rounds);
// Starts its own simulator; samples go to samplesPath when it is not empty.
MemoryFigures measureNoiseMemory(double minutes, int warmupSeconds, const QString &samplesPath);
