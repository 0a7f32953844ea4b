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

// A status answer as the window took it: the moment it reached the GUI thread (the
// window's own handler has run: the model has it and the keys are restyled), and the
// moment the GUI thread was next idle with the paint that restyle caused done; both the
// same idle moment when the answer changed no key.
struct Delivery
{
    double decodedMs = 0;
    double paintedMs = 0;
    bool repainted = false;
};

// For each delivery in [fromMs, toMs] (all, or only those that repainted a key), the time
// from the simulator writing the last status answer before it to the keys painted.
QVector<double> answerToPainted(const QVector<LogEntry> &log, const QVector<Delivery> &deliveries,
                                double fromMs, double toMs, bool repaintedOnly);
