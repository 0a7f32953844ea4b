// Long fault drills: the real panel (window, link thread, serial port) in-process
// under the offscreen platform against orvik-sim, driven the way tests/tst_journeys.cpp
// drives it, for longer than a test may take. Prints what it saw.
//
//   drills hangups [N, default 20]    the controller hangs up and comes back N times
//   drills garbage [seconds, 180]     every answer spoiled, a valid status now and then
//   drills latency [seconds, 30]      key-to-wire and answer-to-decoded latency,
//                                     direct pseudo-terminal and ser2net + socat

#include <QApplication>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>

#include "journeyfixture.h"
#include "app/resources.h"
#include "config/settingspath.h"
#include "link/clock.h"
#include "panel/styles.h"
#include "simlog.h"

namespace {

struct Spread
{
    int count = 0;
    double p50 = 0;
    double p99 = 0;
};

// Nearest-rank percentiles.
Spread spreadOf(QVector<double> values)
{
    Spread s;
    s.count = values.size();
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    auto rank = [&](double p) { return values.at(qMax(0, int(std::ceil(p * s.count)) - 1)); };
    s.p50 = rank(0.50);
    s.p99 = rank(0.99);
    return s;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto s = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

// Private (anonymous) resident memory of this process in KiB: what the panel costs.
long rssAnonKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// The event loop for that long, asleep between events: waitFor polls every 5 ms, which
// would be most of an idle panel's CPU and would stamp what it sees up to 5 ms late.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Panel CPU in % of one core over an idle, connected stretch.
double quietCpuPercent(int ms)
{
    const double c0 = cpuSeconds();
    const qint64 t0 = monotonicMs();
    runFor(ms);
    return 100.0 * (cpuSeconds() - c0) / (double(monotonicMs() - t0) / 1000.0);
}

bool openStation(Station &station, const QString &path = {})
{
    station.openWindow();
    if (!station.connectTo(path.isEmpty() ? station.link : path))
        return false;
    return waitFor([&] { return station.countSince(0, "tx", "firmware") > 0; }, 10000)
           && station.settle(2, 10000);
}

// The link's losses, heard in this thread as the window hears them.
class LossCount : public QObject
{
public:
    explicit LossCount(ControllerLink *link)
    {
        connect(link, &ControllerLink::lost, this, [this] { ++losses; });
    }
    int losses = 0;
};

int hangups(Station &station, int times)
{
    if (!openStation(station))
        return 1;
    LossCount heard(station.controller());
    station.settle(4);
    const long memory0 = rssAnonKiB();
    const double cpu0 = quietCpuPercent(10000);
    int reconnected = 0;
    int extraLosses = 0;
    int boxesWrong = 0;
    for (int n = 1; n <= times; ++n) {
        station.say("hangup 300");
        if (!waitFor([&] { return heard.losses >= n + extraLosses; }, 10000)) {
            std::printf("  loss %d: not reported\n", n);
            break;
        }
        waitFor([] { return false; }, 200); // a second report of the same loss would come now
        extraLosses = heard.losses - n;
        // One box tells of the loss; a later loss replaces a box nobody closed.
        boxesWrong += station.openBoxes() != QStringList{"Critical Error"};
        const int firmware = station.countSince(0, "rx", "firmware");
        if (!waitFor([&] { return QFileInfo::exists(station.link); }, 10000)
            || !station.connectTo(station.link)
            || !waitFor([&] { return station.countSince(0, "rx", "firmware") > firmware; }, 10000)
            || !station.settle(2))
            std::printf("  loss %d: no reconnect\n", n);
        else
            ++reconnected;
    }
    const double cpu1 = quietCpuPercent(10000);
    const long memory1 = rssAnonKiB();
    std::printf("  hang-ups %d, reconnects %d, losses reported %d (extra %d), a loss without"
                " exactly one Critical Error box open %d\n",
                times, reconnected, heard.losses, extraLosses, boxesWrong);
    std::printf("  panel CPU connected and quiet: %.2f %% before, %.2f %% after\n", cpu0, cpu1);
    std::printf("  panel RssAnon: %ld KiB before, %ld KiB after (%+ld KiB)\n", memory0, memory1,
                memory1 - memory0);
    return reconnected == times && extraLosses == 0 && boxesWrong == 0 ? 0 : 1;
}

int garbage(Station &station, int seconds)
{
    if (!openStation(station))
        return 1;
    const long memory0 = rssAnonKiB();
    const double cpu0 = cpuSeconds();
    const qint64 t0 = monotonicMs();
    QRandomGenerator random(7);
    int rounds = 0, right = 0;
    while (monotonicMs() - t0 < seconds * 1000LL) {
        // Twenty spoiled answers in a row (more than the 1.5 s the panel waits), half
        // of them garbage, half cut short at a random length; then a new busy mask.
        const int mark = station.log().size();
        const quint8 busy = quint8(random.bounded(256));
        station.say("garbage 10");
        station.say(QString("truncate 10 %1").arg(1 + random.bounded(12)).toLatin1());
        waitFor(
            [&] {
                return station.countSince(mark, "tx", "truncated")
                           + station.countSince(mark, "tx", "garbage")
                       >= 20;
            },
            20000);
        station.say(QString("busy 0x%1").arg(busy, 2, 16, QChar('0')).toLatin1());
        ++rounds;
        auto busyKey = [&](int n) {
            return station.window->findChild<QWidget *>(QString("botaoBusy%1").arg(n + 1));
        };
        const bool ok = waitFor(
            [&] {
                for (int n = 0; n < 8; ++n) {
                    const char *want = busy & (1 << n) ? styleBusy : styleIdle;
                    if (busyKey(n)->styleSheet() != QLatin1String(want))
                        return false;
                }
                return station.window->findChild<QWidget *>("botaoPower")->styleSheet()
                       == QLatin1String(styleLinkUp);
            },
            5000);
        right += ok;
    }
    const double wall = double(monotonicMs() - t0) / 1000.0;
    const int spoiled =
        station.countSince(0, "tx", "garbage") + station.countSince(0, "tx", "truncated");
    std::printf("  %.0f s, %d spoiled answers, %d rounds, panel right after the next valid "
                "status in %d of them, boxes open %d\n",
                wall, spoiled, rounds, right, int(station.openBoxes().size()));
    std::printf("  panel CPU over the drill: %.2f %%; RssAnon %ld -> %ld KiB\n",
                100.0 * (cpuSeconds() - cpu0) / wall, memory0, rssAnonKiB());
    return right == rounds && station.openBoxes().isEmpty() ? 0 : 1;
}

// Key press to the controller's receipt, and status answer written to decoded.
void latencyRun(const char *name, Station &station, const QString &path, int seconds)
{
    if (!openStation(station, path)) {
        std::printf("  %s: the panel did not connect\n", name);
        return;
    }
    // Each status answer as the window takes it from the link.
    QVector<double> decoded;
    QObject listener;
    QObject::connect(station.controller(), &ControllerLink::statusReceived, &listener,
                     [&decoded] { decoded.append(monotonicNowMs()); });
    const int mark = station.log().size();
    QVector<double> pressed;
    const double from = double(monotonicMs());
    for (int i = 0; i < seconds; ++i) {
        pressed.append(double(monotonicMs()));
        QTest::mouseClick(station.window->findChild<QPushButton *>(i % 2 ? "botaoTecla1"
                                                                         : "botaoTecla2"),
                          Qt::LeftButton);
        runFor(1000);
    }
    const double to = double(monotonicMs());
    QVector<double> keyToWire;
    const QVector<SimLine> lines = station.log();
    for (int i = mark; i < lines.size() && keyToWire.size() < pressed.size(); ++i) {
        if (lines.at(i).dir == "rx" && lines.at(i).kind == "select")
            keyToWire.append(lines.at(i).ms - pressed.at(keyToWire.size()));
    }
    // Each decode against the last status answer the simulator wrote before it.
    QVector<double> answerToDecoded;
    for (double d : decoded) {
        double written = -1;
        for (const SimLine &l : lines) {
            if (l.dir == "tx" && l.kind == "poll" && l.ms <= d && l.ms >= from)
                written = l.ms;
        }
        if (written >= 0 && d <= to)
            answerToDecoded.append(d - written);
    }
    const Spread key = spreadOf(keyToWire);
    const Spread answer = spreadOf(answerToDecoded);
    std::printf("  %-26s key->wire p50 %6.1f p99 %6.1f ms (n=%d)   answer->decoded p50 %6.1f "
                "p99 %6.1f ms (n=%d)\n",
                name, key.p50, key.p99, key.count, answer.p50, answer.p99, answer.count);
}

} // namespace

int main(int argc, char *argv[])
{
    const QString drill = argc > 1 ? QString(argv[1]) : QString();
    const int amount = argc > 2 ? std::atoi(argv[2]) : 0;
    if (drill != "hangups" && drill != "garbage" && drill != "latency") {
        std::fprintf(stderr, "usage: drills hangups [N] | garbage [seconds] | latency [s]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ORVIK_SIM"))
        qputenv("ORVIK_SIM", ORVIK_SIM_DEFAULT);
    // Keep the operator's settings out of it: settingsdrills.ini beside this program.
    QStandardPaths::setTestModeEnabled(true);
    char tag[] = "drills";
    char *appArgv[] = {argv[0], tag, nullptr};
    int appArgc = 2;
    registerResources(); // the panel's images, as orvik-panel has them
    QApplication app(appArgc, appArgv);
    std::printf("drills %s\n", qPrintable(drill));
    std::fflush(stdout);

    int result = 0;
    if (drill == "latency") {
        const int seconds = amount > 0 ? amount : 30;
        {
            Station direct;
            if (!direct.startSimulator().isEmpty())
                return 1;
            latencyRun("direct pseudo-terminal", direct, {}, seconds);
        }
        Station station;
        if (!station.startSimulator().isEmpty())
            return 1;
        RemoteLine remote;
        const QString error = remote.start(station.link, station.dir.path());
        if (!error.isEmpty()) {
            std::printf("  remote: %s\n", qPrintable(error));
            return 1;
        }
        latencyRun("ser2net + TCP + socat", station, remote.path, seconds);
    } else {
        Station station;
        const QString error = station.startSimulator();
        if (!error.isEmpty()) {
            std::printf("  %s\n", qPrintable(error));
            return 1;
        }
        result = drill == "hangups" ? hangups(station, amount > 0 ? amount : 20)
                                    : garbage(station, amount > 0 ? amount : 180);
    }
    QFile::remove(panelSettingsPath());
    return result;
}
