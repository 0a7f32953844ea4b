// The soak: the real panel (window, link thread, port, decoding, painter) in-process
// under the offscreen platform, polling orvik-sim over a pseudo-terminal for a long
// while, with TX presses, busy and transmitting changes, silences and hang-ups on the
// way. Samples the private (anonymous) and resident memory every 10 s to a file and
// prints the growth at the end.
//
//   bench_soak [minutes, default 35] [--out FILE] [--sim PATH]

#include <QFile>
#include <QPushButton>
#include <QTest>

#include <cstdio>

#include "app/resources.h"
#include "benchpanel.h"
#include "journeyfixture.h"

namespace {

struct Sample
{
    int second = 0;
    qint64 anonKiB = 0;
    qint64 rssKiB = 0;
};

// What the soak does in its second t (t counts from 1).
void exercise(int t, MainWindow &window, QProcess &sim, int *presses)
{
    if (t % 7 == 0) {
        QPushButton *key = txKey(window, (t / 7) % 8 + 1);
        if (key) {
            QTest::mousePress(key, Qt::LeftButton);
            QTest::mouseRelease(key, Qt::LeftButton);
            ++*presses;
        }
    }
    static const char *const busy[] = {"busy none\n", "busy 1,5\n", "busy all\n", "busy 0x22\n"};
    if (t % 23 == 0)
        sim.write(busy[(t / 23) % 4]);
    if (t % 31 == 0)
        sim.write((t / 31) % 2 ? "tx on\n" : "tx off\n");
    if (t % 120 == 60)
        sim.write("silent on\n");
    if (t % 120 == 65)
        sim.write("silent off\n");
    if (t % 300 == 150)
        sim.write("hangup 2000 keep\n");
}

} // namespace

int main(int argc, char *argv[])
{
    int minutes = 35;
    QString outPath = QStringLiteral("soak.tsv");
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--sim" && i + 1 < argc)
            qputenv("ORVIK_SIM", argv[++i]);
        else if (arg == "--out" && i + 1 < argc)
            outPath = QString::fromLocal8Bit(argv[++i]);
        else if (arg.toInt() > 0)
            minutes = arg.toInt();
        else {
            std::fprintf(stderr, "usage: bench_soak [minutes] [--out FILE] [--sim PATH]\n");
            return 2;
        }
    }
    BenchApplication app(argv[0], "soak");

    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "bench_soak: cannot write %s\n", qPrintable(outPath));
        return 1;
    }
    out.write("# second\tRssAnon_KiB\tVmRSS_KiB\tpresses\tlosses\treconnects\n");

    QVector<Sample> samples;
    int presses = 0;
    int reconnects = 0;
    int losses = 0;
    int status = 0;
    {
        Station station;
        const QString error = station.startSimulator();
        station.openWindow();
        MainWindow &window = *station.window;
        LinkCounts heard(station.controller());
        if (!error.isEmpty() || !station.connectTo(station.link)) {
            std::fprintf(stderr, "bench_soak: no simulator or no connection on %s %s\n",
                         qPrintable(station.link), qPrintable(error));
            return 1;
        }
        // Whatever else the simulator prints is not ours to keep.
        QObject::connect(&station.sim, &QProcess::readyReadStandardOutput, &window,
                         [&station]() { station.sim.readAllStandardOutput(); });
        std::printf("bench_soak: %d min, samples every 10 s to %s\n", minutes, qPrintable(outPath));
        std::fflush(stdout);
        const int total = minutes * 60;
        for (int t = 1; t <= total; ++t) {
            runEventLoopFor(1000);
            // A hang-up closes the port (and raises its box); Connect again once it is back.
            if (!heard.open && t % 300 >= 155 && station.connectTo(station.link))
                ++reconnects;
            exercise(t, window, station.sim, &presses);
            losses = heard.losses;
            if (t % 10 != 0)
                continue;
            const Sample s{t, procStatusKiB("RssAnon"), procStatusKiB("VmRSS")};
            samples.append(s);
            out.write(QString("%1\t%2\t%3\t%4\t%5\t%6\n")
                          .arg(s.second)
                          .arg(s.anonKiB)
                          .arg(s.rssKiB)
                          .arg(presses)
                          .arg(losses)
                          .arg(reconnects)
                          .toUtf8());
            out.flush();
        }
        window.closeSerialPort();
        runEventLoopFor(300);
    }
    unregisterResources();

    if (samples.size() < 7) {
        std::printf("bench_soak: too short for a figure\n");
        return status;
    }
    // The first minute warms caches and the allocator: growth counts from there.
    const Sample &first = samples.at(5);
    const Sample &last = samples.last();
    qint64 peak = 0;
    for (const Sample &s : samples)
        peak = qMax(peak, s.anonKiB);
    std::printf("bench_soak: %d TX presses, %d losses, %d reconnects\n", presses, losses,
                reconnects);
    std::printf("  private (RssAnon) at %d s: %lld KiB, at %d s: %lld KiB, peak %lld KiB\n",
                first.second, first.anonKiB, last.second, last.anonKiB, peak);
    std::printf("  growth: %+lld KiB over %.1f min (target <= 1024 KiB)\n",
                last.anonKiB - first.anonKiB, (last.second - first.second) / 60.0);
    std::printf("  resident (VmRSS) at the end: %lld KiB\n", last.rssKiB);
    return status;
}
