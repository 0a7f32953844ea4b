// Runs the real panel (window, link thread, serial port, decoding, model, painter)
// in-process under the offscreen platform against orvik-sim over a pseudo-terminal, and
// prints a table of figures beside the ones measured before the link had a thread of its
// own, and beside their targets:
//   - the panel's CPU and wake-ups (voluntary context switches of all its threads) with no
//     port, with the port open to a controller that does not answer, and while polling;
//   - the poll period, as the simulator reads it and as the link writes it;
//   - the simulator's last byte of a status answer to the keys painted, with nothing to
//     repaint and with the busy antennas changing;
//   - key press to the first byte of the command at the simulator.
//
//   bench_link [seconds per phase, default 30] [--presses N, default 200] [--sim PATH]
//   (ORVIK_BENCH_KEEP=1 keeps the simulator's logs)

#include <QAbstractEventDispatcher>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <optional>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "benchpanel.h"
#include "journeyfixture.h"
#include "linkstats.h"
#include "simlog.h"

namespace {

// Before: bench/run.sh's record of 2026-12-07 04:15 UTC (commit 6d11f32), the link as it
// was then: a 25 ms pacing thread, the port read on its grid by the GUI thread.
constexpr double beforeCpuSilent = 0.68; // taken with no port: the cycle ran all the same
constexpr double beforeCpuPolling = 0.71;
constexpr double beforePaintP99 = 25.2;
constexpr double beforeKeyP50 = 21.3;
constexpr double beforeKeyP99 = 98.7;
// Wake-ups were not counted then: these are that link (commit 32b6b39, the last with the
// pacing thread) built apart and run once with the same count added to its bench_link,
// 30 s a phase, on 2026-12-07 at 19:03 UTC on the record's machine.
constexpr double beforeWakeNoPort = 79.6;
constexpr double beforeWakeSilent = 79.5;
constexpr double beforeWakePolling = 85.7;

// The link's thread, as LinkThread names it (the kernel keeps 15 characters).
const QString linkThreadName = QStringLiteral("controller link");

struct Phase
{
    double cpuPercent = 0;
    double simCpuPercent = 0;
    double fromMs = 0;
    double toMs = 0;
    WakeUps wakeUps;
    double rusageSwitchesPerSecond = 0; // the same count from getrusage, ended threads too
};

qint64 voluntarySwitches()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

Phase measure(int seconds, qint64 simPid)
{
    Phase phase;
    const ThreadSwitches threads0 = ThreadSwitches::now();
    const qint64 switches0 = voluntarySwitches();
    const double cpu0 = processCpuSeconds();
    const double sim0 = simPid > 0 ? childCpuSeconds(simPid) : 0;
    phase.fromMs = monotonicNowMs();
    runEventLoopFor(seconds * 1000);
    phase.toMs = monotonicNowMs();
    const double cpu1 = processCpuSeconds();
    const qint64 switches1 = voluntarySwitches();
    const ThreadSwitches threads1 = ThreadSwitches::now();
    const double wall = (phase.toMs - phase.fromMs) / 1000.0;
    phase.cpuPercent = 100.0 * (cpu1 - cpu0) / wall;
    if (simPid > 0)
        phase.simCpuPercent = 100.0 * (childCpuSeconds(simPid) - sim0) / wall;
    phase.wakeUps = wakeUpsBetween(threads0, threads1, wall);
    phase.rusageSwitchesPerSecond = double(switches1 - switches0) / wall;
    return phase;
}

// Watches the GUI thread take each status answer. The window hears the link first (it
// connected first), so when our handler runs the model has the answer and the keys are
// restyled. Whether the answer changed the look is set against the look at the GUI
// thread's last idle moment (the window paints after every change, so that is what the
// keys showed). The answer counts as painted at the first idle moment after it, or,
// when it changed the look, at the first idle moment after the paint events it caused.
class PaintWatch : public QObject
{
public:
    QVector<Delivery> deliveries;
    int unpainted = 0; // a repaint that no paint event followed before the next answer

    PaintWatch(MainWindow &window, ControllerLink *link) : window(window)
    {
        shown = window.panelModel().look();
        connect(link, &ControllerLink::statusReceived, this, [this] { taken(); });
        auto *dispatcher = QAbstractEventDispatcher::instance();
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { idle(); });
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paintedSinceTaken = true;
        return false;
    }

private:
    void taken()
    {
        if (pending)
            ++unpainted;
        const PanelLook look = window.panelModel().look();
        pending = Delivery{monotonicNowMs(), 0, !(look == shown)};
        paintedSinceTaken = false;
    }

    void idle()
    {
        if (pending && (!pending->repainted || paintedSinceTaken)) {
            pending->paintedMs = monotonicNowMs();
            deliveries.append(*pending);
            pending.reset();
        }
        shown = window.panelModel().look();
    }

    MainWindow &window;
    PanelLook shown;
    std::optional<Delivery> pending;
    bool paintedSinceTaken = false;
};

// Presses TX keys 1..8 in turn at random intervals, so the presses fall at every
// phase of the poll cycle. Returns the press stamps.
QVector<double> pressKeys(MainWindow &window, int presses)
{
    QVector<double> stamps;
    for (int i = 0; i < presses; ++i) {
        runEventLoopFor(250 + int(QRandomGenerator::global()->bounded(200)));
        QPushButton *key = txKey(window, i % 8 + 1);
        if (!key)
            break;
        stamps.append(monotonicNowMs());
        QTest::mousePress(key, Qt::LeftButton);
        QTest::mouseRelease(key, Qt::LeftButton);
    }
    return stamps;
}

// The poll periods as the link wrote them, from the wire trace's stamps.
QVector<double> writtenPollPeriods(const QVector<WireStamps::Frame> &frames)
{
    QVector<double> periods;
    for (int i = 1; i < frames.size(); ++i) {
        if (frames.at(i).poll() && frames.at(i - 1).poll())
            periods.append(frames.at(i).ms - frames.at(i - 1).ms);
    }
    return periods;
}

QString fixed(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

QString pair(double a, double b, int decimals = 1)
{
    return fixed(a, decimals) + " / " + fixed(b, decimals);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("no");
}

void row(const QString &figure, const QString &before, const QString &value,
         const QString &target = "-", const QString &met = QString())
{
    std::printf("| %-56s | %13s | %15s | %-12s | %-4s |\n", qPrintable(figure), qPrintable(before),
                qPrintable(value), qPrintable(target), qPrintable(met));
}

void header()
{
    row("figure (bench_link)", "before", "measured", "target", "met");
    std::printf("|%s|%s|%s|%s|%s|\n", QByteArray(58, '-').constData(),
                QByteArray(15, '-').constData(), QByteArray(17, '-').constData(),
                QByteArray(14, '-').constData(), QByteArray(6, '-').constData());
}

void wakeUpRows(const QString &figure, double before, const Phase &p, const QString &target,
                double limit)
{
    const double all = p.wakeUps.perSecond();
    row(figure, fixed(before), fixed(all), target, limit > 0 ? verdict(all <= limit) : QString());
    const double gui = p.wakeUps.perSecond(QStringLiteral("bench_link"));
    const double link = p.wakeUps.perSecond(linkThreadName);
    row("  GUI thread / link thread / other threads", "-",
        fixed(gui) + " / " + fixed(link) + " / " + fixed(all - gui - link));
    row("  the same by getrusage (ended threads too)", "-", fixed(p.rusageSwitchesPerSecond));
}

void spreadRows(const Spread &s, const QString &label, int decimals)
{
    row(label + " (count)", "-", QString::number(s.count));
    row("  min / p50 (ms)", "-", pair(s.min, s.p50, decimals));
    row("  p99 / max (ms)", "-", pair(s.p99, s.max, decimals));
    row("  within 150-175 ms (%)", "-", fixed(s.withinPercent, 2), "100",
        verdict(s.count > 0 && s.withinPercent >= 100.0));
}

} // namespace

int main(int argc, char *argv[])
{
    int seconds = 30;
    int presses = 200;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--sim" && i + 1 < argc)
            qputenv("ORVIK_SIM", argv[++i]);
        else if (arg == "--presses" && i + 1 < argc)
            presses = qMax(1, QString::fromLocal8Bit(argv[++i]).toInt());
        else if (arg.toInt() > 0)
            seconds = arg.toInt();
        else {
            std::fprintf(stderr, "usage: bench_link [seconds per phase] [--presses N] "
                                 "[--sim PATH]\n");
            return 2;
        }
    }
    BenchApplication app(argv[0], "bench");
    std::fprintf(stderr, "bench_link: %d s per phase, %d presses, platform %s\n", seconds, presses,
                 qgetenv("QT_QPA_PLATFORM").constData());

    Phase noPort, silent, polling, traced, changing;
    QVector<double> written;
    QVector<double> pressMs;
    QVector<LogEntry> log;
    QVector<Delivery> deliveries;
    int unpainted = 0;
    {
        Station station;
        if (qEnvironmentVariableIntValue("ORVIK_BENCH_KEEP") == 1) {
            station.dir.setAutoRemove(false);
            std::fprintf(stderr, "  simulator logs kept in %s\n", qPrintable(station.dir.path()));
        }
        const QString error = station.startSimulator();
        station.openWindow();
        MainWindow &window = *station.window;
        PaintWatch watch(window, station.controller());

        runEventLoopFor(2000); // past the watchdog's start-up grace: the panel dark
        std::fprintf(stderr, "  no port ...\n");
        noPort = measure(seconds, 0);

        if (!error.isEmpty() || !station.connectTo(station.link) || !station.settle(2)) {
            std::fprintf(stderr, "bench_link: no simulator or no connection: %s %s\n",
                         qPrintable(error), qPrintable(station.openBoxes().join(", ")));
            return 1;
        }
        // Serial Settings is hidden again; a window manager now gives the panel back the
        // focus, and the hidden dialog's line edit stops blinking its cursor. The
        // offscreen platform has no window manager: left alone, that cursor would wake
        // the GUI thread twice a second for as long as the bench runs.
        window.activateWindow();
        const qint64 simPid = station.sim.processId();
        // The port open, the controller silent: the watchdog has turned the panel dark
        // after 1.5 s, and from then on only the polls go out.
        station.say("silent on");
        runEventLoopFor(2500);
        std::fprintf(stderr, "  port open, controller silent ...\n");
        silent = measure(seconds, simPid);
        station.say("silent off");
        runEventLoopFor(2000);
        std::fprintf(stderr, "  polling ...\n");
        polling = measure(seconds, simPid);
        std::fprintf(stderr, "  polling with the wire trace ...\n");
        {
            const WireStamps stamps;
            traced = measure(seconds, simPid);
            written = writtenPollPeriods(WireStamps::frames());
        }
        // Every 400 ms another set of busy antennas: every second or third answer
        // changes the look, and the painter has keys to restyle.
        std::fprintf(stderr, "  polling, busy antennas changing ...\n");
        QTimer busy;
        int turn = 0;
        QObject::connect(&busy, &QTimer::timeout, &watch, [&station, &turn] {
            station.say(++turn % 2 == 1 ? "busy 1,5" : "busy none");
        });
        busy.start(400);
        changing = measure(seconds, simPid);
        busy.stop();
        station.say("busy none");
        runEventLoopFor(500);

        std::fprintf(stderr, "  %d TX key presses ...\n", presses);
        pressMs = pressKeys(window, presses);
        runEventLoopFor(500);
        window.closeSerialPort();
        runEventLoopFor(300);
        log = readSimulatorLog(station.logPath);
        deliveries = watch.deliveries;
        unpainted = watch.unpainted;
    }
    unregisterResources();

    const Spread atSim = spreadOf(pollPeriods(log, polling.fromMs, polling.toMs), 150, 175);
    const Spread atSimSilent = spreadOf(pollPeriods(log, silent.fromMs, silent.toMs), 150, 175);
    const Spread atWrite = spreadOf(written, 150, 175);
    const Spread paint =
        spreadOf(answerToPainted(log, deliveries, polling.fromMs, polling.toMs, false), 0, 10);
    const Spread repaint =
        spreadOf(answerToPainted(log, deliveries, changing.fromMs, changing.toMs, true), 0, 10);
    const Spread wire = spreadOf(pressToWire(log, pressMs, "select"), 0, 130);

    header();
    row("panel CPU, no port (% of one core)", fixed(beforeCpuSilent, 2),
        fixed(noPort.cpuPercent, 2));
    row("panel CPU, port open, controller silent (%)", fixed(beforeCpuSilent, 2),
        fixed(silent.cpuPercent, 2), "<= 0.3", verdict(silent.cpuPercent <= 0.3));
    row("panel CPU, polling the simulator (%)", fixed(beforeCpuPolling, 2),
        fixed(polling.cpuPercent, 2), "<= 0.5", verdict(polling.cpuPercent <= 0.5));
    row("  link thread / GUI thread, silent (%)", "-",
        pair(silent.wakeUps.cpuPercent(linkThreadName),
             silent.wakeUps.cpuPercent(QStringLiteral("bench_link")), 2));
    row("  link thread / GUI thread, polling (%)", "-",
        pair(polling.wakeUps.cpuPercent(linkThreadName),
             polling.wakeUps.cpuPercent(QStringLiteral("bench_link")), 2));
    row("simulator CPU while polled (%)", "0.13", fixed(polling.simCpuPercent, 2));
    wakeUpRows("wake-ups/s, port open, controller silent", beforeWakeSilent, silent, "<= 20", 20);
    wakeUpRows("wake-ups/s, no port", beforeWakeNoPort, noPort, "-", 0);
    wakeUpRows("wake-ups/s, polling", beforeWakePolling, polling, "-", 0);
    row("  threads in the process / ended in the phases", "-",
        QString("%1 / %2")
            .arg(polling.wakeUps.threads.size())
            .arg(noPort.wakeUps.threadsEnded + silent.wakeUps.threadsEnded
                 + polling.wakeUps.threadsEnded));
    spreadRows(atSim, "poll periods at the simulator, polling", 1);
    spreadRows(atWrite, "poll periods at the link's write, traced", 2);
    spreadRows(atSimSilent, "poll periods at the simulator, controller silent", 1);
    row("status to painted, nothing to repaint: answers", "199", QString::number(paint.count));
    row("  p50 (ms)", "25.0", fixed(paint.p50, 2));
    row("  p99 / max (ms)", fixed(beforePaintP99), pair(paint.p99, paint.max, 2), "p99 <= 10",
        verdict(paint.count > 0 && paint.p99 <= 10));
    row("status to painted, busy changing: repainted answers", "-", QString::number(repaint.count));
    row("  p50 (ms)", "-", fixed(repaint.p50, 2));
    row("  p99 / max (ms)", "-", pair(repaint.p99, repaint.max, 2), "p99 <= 10",
        verdict(repaint.count > 0 && repaint.p99 <= 10));
    row("  repaints with no paint before the next answer", "-", QString::number(unpainted));
    row("key press to wire, presses / on the wire", "200 / 200",
        QString("%1 / %2").arg(pressMs.size()).arg(wire.count));
    row("  p50 (ms)", fixed(beforeKeyP50), fixed(wire.p50));
    row("  p99 / max (ms)", pair(beforeKeyP99, 99.3), pair(wire.p99, wire.max),
        "p99 <= " + fixed(beforeKeyP99), verdict(wire.count > 0 && wire.p99 <= beforeKeyP99));
    const bool healthy = atSim.count > 0 && wire.count > 0 && paint.count > 0;
    if (!healthy)
        std::fprintf(stderr, "bench_link: no polls, answers or commands reached the other end\n");
    return healthy ? 0 : 1;
}
