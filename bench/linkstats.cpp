#include "linkstats.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

QVector<LogEntry> readSimulatorLog(const QString &path)
{
    QVector<LogEntry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(file.readLine()).object();
        if (o.isEmpty())
            continue;
        entries.append(
            {o.value("ms").toDouble(), o.value("dir").toString(), o.value("kind").toString()});
    }
    return entries;
}

Spread spreadOf(QVector<double> values, double low, double high)
{
    Spread s;
    s.count = values.size();
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    auto rank = [&values](double p) {
        const int i = int(std::ceil(p * values.size())) - 1;
        return values.at(std::clamp(i, 0, int(values.size()) - 1));
    };
    s.min = values.first();
    s.max = values.last();
    s.p50 = rank(0.50);
    s.p99 = rank(0.99);
    const auto inside = std::count_if(values.cbegin(), values.cend(),
                                      [=](double v) { return v >= low && v <= high; });
    s.withinPercent = 100.0 * double(inside) / double(values.size());
    const auto below =
        std::count_if(values.cbegin(), values.cend(), [=](double v) { return v < low; });
    s.belowPercent = 100.0 * double(below) / double(values.size());
    return s;
}

QVector<double> pollPeriods(const QVector<LogEntry> &log, double fromMs, double toMs)
{
    QVector<double> periods;
    double previous = -1;
    for (const LogEntry &e : log) {
        if (e.dir != "rx" || e.kind != "poll" || e.ms < fromMs || e.ms > toMs)
            continue;
        if (previous >= 0)
            periods.append(e.ms - previous);
        previous = e.ms;
    }
    return periods;
}

QVector<double> pressToWire(const QVector<LogEntry> &log, const QVector<double> &pressMs,
                            const QString &kind)
{
    QVector<double> received;
    for (const LogEntry &e : log) {
        if (e.dir == "rx" && e.kind == kind)
            received.append(e.ms);
    }
    QVector<double> latencies;
    for (int i = 0; i < pressMs.size(); ++i) {
        const double next = i + 1 < pressMs.size() ? pressMs.at(i + 1) : 1e300;
        const auto first = std::lower_bound(received.cbegin(), received.cend(), pressMs.at(i));
        if (first != received.cend() && *first < next)
            latencies.append(*first - pressMs.at(i));
    }
    return latencies;
}

QVector<double> answerToPainted(const QVector<LogEntry> &log, const QVector<Delivery> &deliveries,
                                double fromMs, double toMs, bool repaintedOnly)
{
    QVector<double> answers;
    for (const LogEntry &e : log) {
        if (e.dir == "tx" && e.kind == "poll")
            answers.append(e.ms);
    }
    QVector<double> latencies;
    for (const Delivery &d : deliveries) {
        if (d.decodedMs < fromMs || d.decodedMs > toMs || (repaintedOnly && !d.repainted))
            continue;
        const auto after = std::upper_bound(answers.cbegin(), answers.cend(), d.decodedMs);
        if (after != answers.cbegin())
            latencies.append(d.paintedMs - *(after - 1));
    }
    return latencies;
}
