// The link on real lines: the real panel (window, link thread, serial port, decoding,
// model, painter) in-process under the offscreen platform against orvik-sim, which plays
// one line condition at a time. For each condition it prints
//   - the status answers decoded against those the simulator sent whole;
//   - the firmware line on N connects, and how long after Connect it and the first
//     status answer appeared;
//   - the smallest gaps between frames written while and after the GUI thread was
//     blocked 1 s, and the smallest of all conditions beside the figure before the link
//     had a thread of its own;
// and then resident memory over minutes of 1 kB/s noise, connected and polling.
//
//   bench_realline [--seconds S, default 10] [--connects N, default 20]
//                  [--stalls R, default 3] [--noise-minutes M, default 10]
//                  [--warmup S, default 60] [--part lines|memory|all]
//                  [--samples FILE] [--sim PATH]

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/resources.h"
#include "benchpanel.h"
#include "journeyfixture.h"
#include "realline.h"

namespace {

struct Options
{
    int seconds = 10;         // the connection over which answers are counted
    int connects = 20;        // connects per condition for the firmware line
    int stalls = 3;           // GUI stalls of 1 s, before a word and before a poll each
    double noiseMinutes = 10; // of noise, for resident memory
    int warmupSeconds = 60;   // connected before memory is first read
    bool lines = true;        // the line conditions' table
    bool memory = true;       // the memory run
    QString samplesPath;
};

struct ConditionFigures
{
    LineCondition condition;
    bool started = false;
    ShareFigures share;
    FirmwareFigures firmware;
    StallFigures stall;
};

const QVector<LineCondition> &conditions()
{
    static const QVector<LineCondition> all{
        {"ideal", {}},
        {"9600", {"--baud", "9600"}},
        {"9600, 12 ms late", {"--baud", "9600", "--delay", "12"}},
        {"chunk 11,30", {"--chunk", "11,30"}},
        {"9600, noise 300", {"--baud", "9600", "--noise", "300"}},
        {"short 8", {"--short", "8"}},
    };
    return all;
}

ConditionFigures runCondition(const LineCondition &condition, const Options &o)
{
    ConditionFigures f{condition, false, {}, {}, {}};
    Station station;
    const QString error = station.startSimulator(condition.simulatorArgs);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "bench_realline: %s\n", qPrintable(error));
        return f;
    }
    station.openWindow();
    // The port chosen once, as an operator does; one connection to warm up.
    if (!station.connectTo(station.link) || !station.settle(2)) {
        std::fprintf(stderr, "bench_realline: no connection on %s\n", qPrintable(station.link));
        return f;
    }
    disconnect(station);
    runEventLoopFor(300);
    f.started = true;
    std::fprintf(stderr, "  %s: answers over %d s ...\n", qPrintable(condition.name), o.seconds);
    f.share = measureShare(station, o.seconds);
    std::fprintf(stderr, "  %s: %d connects ...\n", qPrintable(condition.name), o.connects);
    f.firmware = measureFirmware(station, o.connects);
    std::fprintf(stderr, "  %s: %d stalls ...\n", qPrintable(condition.name), 2 * o.stalls);
    f.stall = measureStalls(station, o.stalls);
    if (!station.openBoxes().isEmpty())
        std::fprintf(stderr, "  %s: boxes open: %s\n", qPrintable(condition.name),
                     qPrintable(station.openBoxes().join(", ")));
    return f;
}

QString fixed(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

double minOf(const QVector<double> &v)
{
    return v.isEmpty() ? 0 : *std::min_element(v.cbegin(), v.cend());
}

double p50Of(QVector<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.at(std::max(0, int(std::ceil(0.5 * v.size())) - 1));
}

void row(const QString &figure, const QVector<ConditionFigures> &all,
         const std::function<QString(const ConditionFigures &)> &cell, const QString &target)
{
    std::printf("| %-42s |", qPrintable(figure));
    for (const ConditionFigures &f : all)
        std::printf(" %16s |", qPrintable(f.started ? cell(f) : QStringLiteral("no run")));
    std::printf(" %-22s |\n", qPrintable(target));
}

void printLines(const QVector<ConditionFigures> &all, const Options &o)
{
    std::printf("| %-42s |", "figure (bench_realline), line");
    for (const ConditionFigures &f : all)
        std::printf(" %16s |", qPrintable(f.condition.name));
    std::printf(" %-22s |\n|%s|", "target", QByteArray(44, '-').constData());
    for (int i = 0; i < all.size(); ++i)
        std::printf("%s|", QByteArray(18, '-').constData());
    std::printf("%s|\n", QByteArray(24, '-').constData());
    row(
        QString("status answers over %1 s: sent whole").arg(o.seconds), all,
        [](const ConditionFigures &f) { return QString::number(f.share.answers.sentWhole); }, "-");
    row(
        "  unread at Disconnect (after last decode)", all,
        [](const ConditionFigures &f) { return QString::number(f.share.answers.unread); }, "<= 1");
    row(
        "  decoded (statuses the link gave out)", all,
        [](const ConditionFigures &f) { return QString::number(f.share.answers.decoded); }, "-");
    row(
        "  decoded of sent whole (%)", all,
        [](const ConditionFigures &f) {
            const AnswerTally &a = f.share.answers;
            return a.sentWhole > 0 ? fixed(100.0 * a.decoded / a.sentWhole, 2) : QString("-");
        },
        "100, 1 in flight");
    row(
        "  decoded of sent whole less unread (%)", all,
        [](const ConditionFigures &f) {
            const AnswerTally &a = f.share.answers;
            const int readable = a.sentWhole - a.unread;
            return readable > 0 ? fixed(100.0 * a.decoded / readable, 2) : QString("-");
        },
        "100");
    row(
        "  whole after Disconnect / in part", all,
        [](const ConditionFigures &f) {
            return QString("%1 / %2")
                .arg(f.share.answers.sentAfter)
                .arg(f.share.answers.sentPartly);
        },
        "-");
    row(
        "  Connect to first status decoded (ms)", all,
        [](const ConditionFigures &f) { return fixed(f.share.firstStatusMs); }, "-");
    row(
        QString("firmware line on %1 connects").arg(o.connects), all,
        [](const ConditionFigures &f) {
            return QString("%1 / %2").arg(f.firmware.shown).arg(f.firmware.connects);
        },
        QString("%1 of %1").arg(o.connects));
    row(
        "  wrong revision shown", all,
        [](const ConditionFigures &f) { return QString::number(f.firmware.wrongValue); }, "0");
    row(
        "  Connect to firmware line p50 / max (ms)", all,
        [](const ConditionFigures &f) {
            const QVector<double> &v = f.firmware.latencyMs;
            const double max = v.isEmpty() ? 0 : *std::max_element(v.cbegin(), v.cend());
            return fixed(p50Of(v)) + " / " + fixed(max);
        },
        "-");
    row(
        QString("after %1 GUI stalls of 1 s: words").arg(2 * o.stalls), all,
        [](const ConditionFigures &f) { return QString::number(f.stall.beforeWord.size()); }, "-");
    row(
        "  min gap before a queued word (ms)", all,
        [](const ConditionFigures &f) { return fixed(minOf(f.stall.beforeWord), 2); }, ">= 100");
    row(
        "  polls", all,
        [](const ConditionFigures &f) { return QString::number(f.stall.beforePoll.size()); }, "-");
    row(
        "  min gap before a poll (ms)", all,
        [](const ConditionFigures &f) { return fixed(minOf(f.stall.beforePoll), 2); }, ">= 150");
    row(
        "  the same, trace's whole ms: word / poll", all,
        [](const ConditionFigures &f) {
            return QString("%1 / %2").arg(f.stall.minTraceWordMs).arg(f.stall.minTracePollMs);
        },
        "-");
}

// Before: bench/run.sh's record of 2026-12-07 04:15 UTC (commit 6d11f32), the smallest
// gaps over the same six conditions, when a 25 ms pacing thread posted each send to the
// GUI thread.
constexpr double beforeWordGapMs = 100.51;
constexpr double beforePollGapMs = 150.59;

void printStallSummary(const QVector<ConditionFigures> &all)
{
    QVector<double> words;
    QVector<double> polls;
    for (const ConditionFigures &f : all) {
        words += f.stall.beforeWord;
        polls += f.stall.beforePoll;
    }
    const double word = minOf(words);
    const double poll = minOf(polls);
    const bool met = !words.isEmpty() && !polls.isEmpty() && word > 100 && poll > 150;
    std::printf("| %-48s | %15s | %15s | %-13s | %-4s |\n|%s|%s|%s|%s|%s|\n",
                "figure (bench_realline), all conditions", "before", "measured", "target", "met",
                QByteArray(50, '-').constData(), QByteArray(17, '-').constData(),
                QByteArray(17, '-').constData(), QByteArray(15, '-').constData(),
                QByteArray(6, '-').constData());
    std::printf("| %-48s | %15s | %15s | %-13s | %-4s |\n",
                qPrintable(QString("1 s GUI stalls: words / polls after them")), "72 / 126",
                qPrintable(QString("%1 / %2").arg(words.size()).arg(polls.size())), "-", "");
    std::printf("| %-48s | %15s | %15s | %-13s | %-4s |\n", "  min gap before a word / a poll (ms)",
                qPrintable(fixed(beforeWordGapMs, 2) + " / " + fixed(beforePollGapMs, 2)),
                qPrintable(fixed(word, 2) + " / " + fixed(poll, 2)), "> 100 / > 150",
                met ? "yes" : "no");
}

void memoryRow(const QString &figure, const QString &value, const QString &target)
{
    std::printf("| %-48s | %14s | %-10s |\n", qPrintable(figure), qPrintable(value),
                qPrintable(target));
}

void printMemory(const MemoryFigures &m, const Options &o)
{
    std::printf("| %-48s | %14s | %-10s |\n|%s|%s|%s|\n", "figure (bench_realline), noise 1000 B/s",
                "measured", "target", QByteArray(50, '-').constData(),
                QByteArray(16, '-').constData(), QByteArray(12, '-').constData());
    memoryRow(QString("VmRSS after %1 s connected / at the end (KiB)").arg(o.warmupSeconds),
              QString("%1 / %2").arg(m.rssStartKiB).arg(m.rssEndKiB), "-");
    memoryRow(QString("  growth over %1 min (KiB)").arg(fixed(m.minutes)),
              QString("%1%2")
                  .arg(m.rssEndKiB >= m.rssStartKiB ? "+" : "")
                  .arg(m.rssEndKiB - m.rssStartKiB),
              "<= 1024");
    memoryRow("  peak (KiB)", QString::number(m.rssPeakKiB), "-");
    memoryRow("RssAnon at the start / at the end (KiB)",
              QString("%1 / %2").arg(m.anonStartKiB).arg(m.anonEndKiB), "-");
    memoryRow("noise bytes sent (whole run)", QString::number(m.noiseBytes), "-");
    const AnswerTally &a = m.answers;
    memoryRow("status answers sent whole / unread at Disconnect",
              QString("%1 / %2").arg(a.sentWhole).arg(a.unread), "-");
    memoryRow("  decoded / in part", QString("%1 / %2").arg(a.decoded).arg(a.sentPartly), "-");
}

bool parse(int argc, char *argv[], Options *o, QString *sim)
{
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QString value = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        bool ok = !value.isEmpty();
        if (arg == "--seconds")
            o->seconds = value.toInt(&ok);
        else if (arg == "--connects")
            o->connects = value.toInt(&ok);
        else if (arg == "--stalls")
            o->stalls = value.toInt(&ok);
        else if (arg == "--noise-minutes")
            o->noiseMinutes = value.toDouble(&ok);
        else if (arg == "--warmup")
            o->warmupSeconds = value.toInt(&ok);
        else if (arg == "--samples")
            o->samplesPath = value;
        else if (arg == "--sim")
            *sim = value;
        else if (arg == "--part" && (value == "lines" || value == "memory" || value == "all")) {
            o->lines = value != "memory";
            o->memory = value != "lines";
        } else
            return false;
        if (!ok)
            return false;
        ++i;
    }
    o->memory = o->memory && o->noiseMinutes > 0;
    return o->seconds > 0 && o->connects > 0 && o->stalls > 0 && o->warmupSeconds >= 0;
}

} // namespace

int main(int argc, char *argv[])
{
    Options o;
    QString sim = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    if (!parse(argc, argv, &o, &sim)) {
        std::fprintf(stderr, "usage: bench_realline [--seconds S] [--connects N] [--stalls R]\n"
                             "         [--noise-minutes M] [--warmup S]"
                             " [--part lines|memory|all]\n"
                             "         [--samples FILE] [--sim PATH]\n");
        return 2;
    }
    qputenv("ORVIK_SIM", sim.toLocal8Bit()); // the station starts what this names
    BenchApplication app(argv[0], "realline");

    QVector<ConditionFigures> lines;
    if (o.lines) {
        for (const LineCondition &c : conditions())
            lines.append(runCondition(c, o));
    }
    MemoryFigures memory;
    if (o.memory) {
        std::fprintf(stderr, "  noise 1000 B/s: %d s connected, then %s min sampled ...\n",
                     o.warmupSeconds, qPrintable(fixed(o.noiseMinutes)));
        memory = measureNoiseMemory(o.noiseMinutes, o.warmupSeconds, o.samplesPath);
    }
    unregisterResources();

    bool healthy = true;
    if (o.lines) {
        printLines(lines, o);
        std::printf("\n");
        printStallSummary(lines);
        healthy = std::all_of(lines.cbegin(), lines.cend(),
                              [](const ConditionFigures &f) { return f.started; });
    }
    if (o.memory) {
        if (o.lines)
            std::printf("\n");
        printMemory(memory, o);
        healthy = healthy && memory.connected;
    }
    return healthy ? 0 : 1;
}
