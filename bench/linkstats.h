#pragma once

#include <QString>
#include <QVector>

// Figures drawn from the simulator's machine log, widget-free so the arithmetic can be
// checked apart from the run that produced it. All stamps are milliseconds on the
// system-wide monotonic clock.
struct LogEntry
{
    double ms = 0;
    QString dir;  // "rx", "tx", "event"
    QString kind; // "poll", "select", "firmware", ...
};

QVector<LogEntry> readSimulatorLog(const QString &path);

struct Spread
{
    int count = 0;
    double min = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
    double withinPercent = 0; // share inside [low, high]
    double belowPercent = 0;  // share below low
};

// Nearest-rank percentiles of the values, and the share inside [low, high].
Spread spreadOf(QVector<double> values, double low, double high);

// Intervals between consecutive polls received in [fromMs, toMs].
QVector<double> pollPeriods(const QVector<LogEntry> &log, double fromMs, double toMs);

// For each key press, the time until the simulator received the next command of that
// kind, provided it came before the next press (a press that queued nothing has none).
QVector<double> pressToWire(const QVector<LogEntry> &log, const QVector<double> &pressMs,
                            const QString &kind);

// For each decoded response in [fromMs, toMs], the time from the simulator writing the
// last status answer before it to the panel being idle again with the keys painted:
// the first idle-after-painting stamp within one read cycle (25 ms) of the decode, or
// the decode's own idle stamp when nothing needed a repaint.
QVector<double> answerToPainted(const QVector<LogEntry> &log, const QVector<double> &decodedMs,
                                const QVector<double> &paintedMs, double fromMs, double toMs);
