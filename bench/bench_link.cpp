// Runs the real panel (window, pacing thread, serial link, decoding, painters) in-process
// under the offscreen platform, first with no port and then against orvik-sim over a
// pseudo-terminal, and prints a table of figures beside their targets:
//   - the panel's CPU with the link silent and while polling, each also with every
//     style set even when unchanged (setAlwaysRestyle), in the same run;
//   - the poll period as the simulator sees it;
//   - key press to the first byte of the command at the simulator;
//   - the simulator's last byte of a status answer to the keys painted.
//
//   bench_link [seconds per CPU phase, default 30] [--presses N, default 200]
//              [--sim PATH]
//   (ORVIK_BENCH_KEEP=1 keeps the simulator's logs)

#include <QAbstractEventDispatcher>
#include <QLoggingCategory>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "benchpanel.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/threadleitura.h"
#include "linkstats.h"
#include "panel/styles.h"
#include "simlog.h"

namespace {

struct Phase
{
    double cpuPercent = 0;
    double simCpuPercent = 0;
    double fromMs = 0;
    double toMs = 0;
};

Phase measure(int seconds, qint64 simPid)
{
    Phase phase;
    const double cpu0 = processCpuSeconds();
    const double sim0 = simPid > 0 ? childCpuSeconds(simPid) : 0;
    phase.fromMs = monotonicNowMs();
    runEventLoopFor(seconds * 1000);
    phase.toMs = monotonicNowMs();
    const double wall = (phase.toMs - phase.fromMs) / 1000.0;
    phase.cpuPercent = 100.0 * (processCpuSeconds() - cpu0) / wall;
    if (simPid > 0)
        phase.simCpuPercent = 100.0 * (childCpuSeconds(simPid) - sim0) / wall;
    return phase;
}

// Watches the GUI thread: when it is about to sleep, a changed lastPacketTime means a
// response was decoded (and its styles applied) since the last look, and a paint
// event since the last look means the keys have been painted.
class PaintWatch : public QObject
{
public:
    QVector<double> decodedMs;
    QVector<double> paintedMs;

    explicit PaintWatch(QObject *parent) : QObject(parent)
    {
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [this]() { idle(); });
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paintedSinceIdle = true;
        return false;
    }

private:
    void idle()
    {
        const double now = monotonicNowMs();
        if (lastPacketTime != lastSeen) {
            lastSeen = lastPacketTime;
            decodedMs.append(now);
        }
        if (paintedSinceIdle)
            paintedMs.append(now);
        paintedSinceIdle = false;
    }

    qint64 lastSeen = lastPacketTime;
    bool paintedSinceIdle = false;
};

// While the wire trace is on, the moments the panel hands a poll to the port.
QVector<double> *pollWrites = nullptr;
QtMessageHandler previousHandler = nullptr;

void stampPollWrites(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (qstrcmp(context.category, "orvik.wire") == 0) {
        if (pollWrites && msg.contains(QLatin1String(" TX ")) && msg.contains("|IGT3;|"))
            pollWrites->append(monotonicNowMs());
        return;
    }
    previousHandler(type, context, msg);
}

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

QString fixed(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

void row(const QString &figure, const QString &value, const QString &target,
         const QString &always = QString())
{
    std::printf("| %-44s | %12s | %-10s | %14s |\n", qPrintable(figure), qPrintable(value),
                qPrintable(target), qPrintable(always));
}

} // namespace

int main(int argc, char *argv[])
{
    int seconds = 30;
    int presses = 200;
    QString simProgram = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--sim" && i + 1 < argc)
            simProgram = QString::fromLocal8Bit(argv[++i]);
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
    setCriticalBoxHook([](QWidget *, const QString &title, const QString &text) {
        std::fprintf(stderr, "bench_link: %s: %s\n", qPrintable(title), qPrintable(text));
    });

    std::fprintf(stderr, "bench_link: %d s per CPU phase, %d presses, platform %s\n", seconds,
                 presses, qgetenv("QT_QPA_PLATFORM").constData());

    Phase silent[2];
    Phase polling[2];
    Phase traced;
    QVector<double> writeMs;
    QVector<double> pressMs;
    QVector<LogEntry> log;
    QVector<double> decodedMs;
    QVector<double> paintedMs;
    {
        MainWindow window;
        window.show();
        ThreadLeitura pacing(&window);
        auto *watch = new PaintWatch(&window);

        runEventLoopFor(2000); // past the start-up grace of the watchdog
        for (int always = 0; always < 2; ++always) {
            setAlwaysRestyle(always == 1);
            std::fprintf(stderr, "  link silent, %s ...\n", always ? "always restyle" : "skip");
            silent[always] = measure(seconds, 0);
        }
        setAlwaysRestyle(false);

        QTemporaryDir dir;
        if (qEnvironmentVariableIntValue("ORVIK_BENCH_KEEP") == 1) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "  simulator logs kept in %s\n", qPrintable(dir.path()));
        }
        const QString link = dir.filePath("ttyORVIK");
        const QString logPath = dir.filePath("sim.jsonl");
        QProcess sim;
        if (!startSimulator(sim, simProgram, link, logPath, dir.filePath("sim.stderr"))
            || !connectPanel(window, link)) {
            std::fprintf(stderr, "bench_link: no simulator (%s) or no connection\n",
                         qPrintable(simProgram));
            sim.kill();
            sim.waitForFinished();
            pacing.stopAndWait();
            return 1;
        }
        runEventLoopFor(2000);
        for (int always = 0; always < 2; ++always) {
            setAlwaysRestyle(always == 1);
            std::fprintf(stderr, "  polling, %s ...\n", always ? "always restyle" : "skip");
            polling[always] = measure(seconds, sim.processId());
        }
        setAlwaysRestyle(false);
        // The poll period once more, now also where the panel writes it (wire trace on).
        std::fprintf(stderr, "  polling with the wire trace ...\n");
        pollWrites = &writeMs;
        previousHandler = qInstallMessageHandler(stampPollWrites);
        QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=true"));
        traced = measure(seconds, sim.processId());
        QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=false"));
        qInstallMessageHandler(previousHandler);
        pollWrites = nullptr;
        std::fprintf(stderr, "  %d TX key presses ...\n", presses);
        pressMs = pressKeys(window, presses);
        runEventLoopFor(500);

        window.closeSerialPort();
        sim.write("quit\n");
        if (!sim.waitForFinished(5000))
            sim.kill();
        log = readSimulatorLog(logPath);
        decodedMs = watch->decodedMs;
        paintedMs = watch->paintedMs;
        pacing.stopAndWait();
    }
    unregisterResources();

    Spread period[2];
    Spread paint[2];
    for (int i = 0; i < 2; ++i) {
        period[i] = spreadOf(pollPeriods(log, polling[i].fromMs, polling[i].toMs), 150, 175);
        paint[i] =
            spreadOf(answerToPainted(log, decodedMs, paintedMs, polling[i].fromMs, polling[i].toMs),
                     0, 30);
    }
    QVector<double> written;
    for (int i = 1; i < writeMs.size(); ++i)
        written.append(writeMs.at(i) - writeMs.at(i - 1));
    const Spread atWrite = spreadOf(written, 150, 175);
    const Spread atSim = spreadOf(pollPeriods(log, traced.fromMs, traced.toMs), 150, 175);
    const Spread wire = spreadOf(pressToWire(log, pressMs, "select"), 0, 130);

    std::printf("| %-44s | %12s | %-10s | %14s |\n", "figure (bench_link)", "measured", "target",
                "always restyle");
    std::printf("|%s|%s|%s|%s|\n", QByteArray(46, '-').constData(), QByteArray(14, '-').constData(),
                QByteArray(12, '-').constData(), QByteArray(16, '-').constData());
    row("panel CPU, link silent (% of one core)", fixed(silent[0].cpuPercent, 2), "<= 0.5",
        fixed(silent[1].cpuPercent, 2));
    row("panel CPU, polling the simulator (%)", fixed(polling[0].cpuPercent, 2), "<= 1",
        fixed(polling[1].cpuPercent, 2));
    row("simulator CPU while polled (%)", fixed(polling[0].simCpuPercent, 2), "-",
        fixed(polling[1].simCpuPercent, 2));
    row("poll periods at the simulator (count)", QString::number(period[0].count), "-",
        QString::number(period[1].count));
    row("  min / p50 (ms)", fixed(period[0].min) + " / " + fixed(period[0].p50), "-",
        fixed(period[1].min) + " / " + fixed(period[1].p50));
    row("  p99 / max (ms)", fixed(period[0].p99) + " / " + fixed(period[0].max), "-",
        fixed(period[1].p99) + " / " + fixed(period[1].max));
    row("  within 150-175 ms (%)", fixed(period[0].withinPercent, 2), ">= 99.9",
        fixed(period[1].withinPercent, 2));
    row("  below 150 ms (%)", fixed(period[0].belowPercent, 2), "-",
        fixed(period[1].belowPercent, 2));
    row("poll period, traced run: at the panel's write", QString::number(atWrite.count), "-",
        "at the sim: " + QString::number(atSim.count));
    row("  min / p50 (ms)", fixed(atWrite.min, 2) + " / " + fixed(atWrite.p50, 2), "-",
        fixed(atSim.min, 2) + " / " + fixed(atSim.p50, 2));
    row("  p99 / max (ms)", fixed(atWrite.p99, 2) + " / " + fixed(atWrite.max, 2), "-",
        fixed(atSim.p99, 2) + " / " + fixed(atSim.max, 2));
    row("  within 150-175 ms (%)", fixed(atWrite.withinPercent, 2), ">= 99.9",
        fixed(atSim.withinPercent, 2));
    row("key press to wire, presses / on the wire",
        QString("%1 / %2").arg(pressMs.size()).arg(wire.count), ">= 200");
    row("  p50 (ms)", fixed(wire.p50), "-");
    row("  p99 / max (ms)", fixed(wire.p99) + " / " + fixed(wire.max), "p99 <= 130");
    row("status to painted, responses", QString::number(paint[0].count), "-",
        QString::number(paint[1].count));
    row("  p50 (ms)", fixed(paint[0].p50), "-", fixed(paint[1].p50));
    row("  p99 / max (ms)", fixed(paint[0].p99) + " / " + fixed(paint[0].max), "p99 <= 30",
        fixed(paint[1].p99) + " / " + fixed(paint[1].max));
    const bool healthy = period[0].count > 0 && wire.count > 0;
    if (!healthy)
        std::fprintf(stderr, "bench_link: no polls or no commands reached the simulator\n");
    return healthy ? 0 : 1;
}
