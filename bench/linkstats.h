#pragma once

#include <QString>
#include <QVector>

// Figures drawn from the simulator's machine log, widget-free so the arithmetic can be
// checked apart from the run that produced it.
struct LogEntry
{
    double ms = 0; // system-wide monotonic clock
    QString dir;   // "rx", "tx", "event"
    QString kind;  // "poll", "firmware", ...
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

// For each time the panel finished decoding a response (in [fromMs, toMs]), the time
// since the simulator wrote the last byte of the status answer before it.
QVector<double> answerToDecoded(const QVector<LogEntry> &log, const QVector<double> &decodedMs,
                                double fromMs, double toMs);
