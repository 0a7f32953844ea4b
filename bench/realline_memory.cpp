// Resident memory while a noisy line pours stray bytes at the panel for minutes: the
// input buffer is bounded, so what the process holds must not grow with the noise.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "benchpanel.h"
#include "journeyfixture.h"
#include "realline.h"
#include "simlog.h"

namespace {

constexpr int sampleEveryMs = 10000;
constexpr int noiseBytesPerSecond = 1000;

// The simulator notes "<n> random bytes between answers" about once a second.
qint64 noiseBytesLogged(const QString &path)
{
    static const QRegularExpression count(QStringLiteral("^(\\d+) random bytes"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 total = 0;
    while (!file.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(file.readLine()).object();
        if (o.value("kind").toString() != QLatin1String("noise"))
            continue;
        const QRegularExpressionMatch m = count.match(o.value("text").toString());
        if (m.hasMatch())
            total += m.captured(1).toLongLong();
    }
    return total;
}

} // namespace

MemoryFigures measureNoiseMemory(double minutes, int warmupSeconds, const QString &samplesPath)
{
    MemoryFigures f;
    Station station;
    const QString noise = QString::number(noiseBytesPerSecond);
    if (!station.startSimulator({"--noise", noise}).isEmpty())
        return f;
    station.openWindow();
    // Whatever the simulator prints is not ours to keep: a QProcess holds it otherwise.
    QObject::connect(&station.sim, &QProcess::readyReadStandardOutput, station.window.get(),
                     [&station]() { station.sim.readAllStandardOutput(); });
    AnswerWatch watch(station.controller());
    f.connected = station.connectTo(station.link);
    if (!f.connected)
        return f;
    QFile samples(samplesPath);
    const bool keep =
        !samplesPath.isEmpty() && samples.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (keep)
        samples.write("# second\tVmRSS_KiB\tRssAnon_KiB\tstatuses\n");
    const double start = monotonicNowMs();
    runEventLoopFor(warmupSeconds * 1000);
    const double from = monotonicNowMs();
    const double until = from + minutes * 60000.0;
    f.rssStartKiB = f.rssPeakKiB = f.rssEndKiB = procStatusKiB("VmRSS");
    f.anonStartKiB = f.anonEndKiB = procStatusKiB("RssAnon");
    for (double now = from; now < until; now = monotonicNowMs()) {
        runEventLoopFor(int(qMin(double(sampleEveryMs), until - now)) + 1);
        f.rssEndKiB = procStatusKiB("VmRSS");
        f.anonEndKiB = procStatusKiB("RssAnon");
        f.rssPeakKiB = qMax(f.rssPeakKiB, f.rssEndKiB);
        if (keep) {
            samples.write(QString("%1\t%2\t%3\t%4\n")
                              .arg(int((monotonicNowMs() - start) / 1000))
                              .arg(f.rssEndKiB)
                              .arg(f.anonEndKiB)
                              .arg(watch.decoded())
                              .toUtf8());
            samples.flush();
        }
    }
    f.minutes = (monotonicNowMs() - from) / 60000.0;
    disconnect(station);
    watch.disconnected();
    runUntil([&watch] { return watch.closed(); }, 3000);
    runEventLoopFor(300);
    f.answers = watch.count(station.log());
    station.sim.write("quit\n"); // the last noise note goes to the log
    station.sim.waitForFinished(3000);
    f.noiseBytes = noiseBytesLogged(station.logPath);
    return f;
}
