// Runs the real panel (window, pacing thread, serial link, decoding) in-process under
// the offscreen platform, first with no port and then against orvik-sim over a
// pseudo-terminal, and prints the CPU it takes and the poll period the controller sees.
//
//   bench_link [seconds per run, default 60] [--sim PATH]
//   (ORVIK_BENCH_KEEP=1 keeps the simulator's logs)

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "linkstats.h"
#include "panel/styles.h"
#include "serialsettings/settingsdialog.h"
#include "simlog.h"

namespace {

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// utime + stime of another process, from /proc/<pid>/stat, in seconds.
double childCpuSeconds(qint64 pid)
{
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks; the fields we want follow its ")".
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Run
{
    double panelCpuPercent = 0;
    double simCpuPercent = -1;
    double fromMs = 0;
    double toMs = 0;
};

Run measure(int seconds, qint64 simPid)
{
    Run run;
    const double cpu0 = processCpuSeconds();
    const double sim0 = simPid > 0 ? childCpuSeconds(simPid) : 0;
    run.fromMs = monotonicNowMs();
    runEventLoopFor(seconds * 1000);
    run.toMs = monotonicNowMs();
    const double wall = (run.toMs - run.fromMs) / 1000.0;
    run.panelCpuPercent = 100.0 * (processCpuSeconds() - cpu0) / wall;
    if (simPid > 0)
        run.simCpuPercent = 100.0 * (childCpuSeconds(simPid) - sim0) / wall;
    return run;
}

QString readLine(QProcess &process)
{
    while (!process.canReadLine() && process.waitForReadyRead(10000)) {
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

// Points the panel at the simulator the way an operator does: Serial Settings ›
// Custom, the path typed in, Apply, then File › Connect.
bool connectPanel(MainWindow &window, const QString &path)
{
    SettingsDialog *dialog = window.settingsDialog();
    auto *ports = dialog ? dialog->findChild<QComboBox *>("serialPortInfoListBox") : nullptr;
    if (!ports)
        return false;
    ports->setCurrentIndex(ports->count() - 1);
    ports->setEditText(path);
    QMetaObject::invokeMethod(dialog, "apply");
    window.openSerialPort();
    return serialPort && serialPort->isOpen();
}

void printRow(const char *name, const QString &a, const QString &b)
{
    std::printf("  %-38s %14s %16s\n", name, qPrintable(a), qPrintable(b));
}

QString fixed(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

} // namespace

int main(int argc, char *argv[])
{
    int seconds = 60;
    QString simProgram = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--sim" && i + 1 < argc)
            simProgram = QString::fromLocal8Bit(argv[++i]);
        else if (arg.toInt() > 0)
            seconds = arg.toInt();
        else {
            std::fprintf(stderr, "usage: bench_link [seconds per run] [--sim PATH]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Keep the operator's own settings out of it: the port selection goes to the test
    // data folder and the panel file is settingsbench.ini beside this program.
    QStandardPaths::setTestModeEnabled(true);
    char benchTag[] = "bench";
    char *appArgv[] = {argv[0], benchTag, nullptr};
    int appArgc = 2;
    registerResources();
    QApplication app(appArgc, appArgv);
    setCriticalBoxHook([](QWidget *, const QString &title, const QString &text) {
        std::fprintf(stderr, "bench_link: %s: %s\n", qPrintable(title), qPrintable(text));
    });

    std::printf("bench_link: %d s per run, platform %s, simulator %s\n", seconds,
                qgetenv("QT_QPA_PLATFORM").constData(), qPrintable(simProgram));
    std::fflush(stdout);

    QVector<double> decodedMs;
    qint64 lastSeen = lastPacketTime;
    Run silent[2];
    Run answering[2];
    QVector<LogEntry> log;
    {
        MainWindow window;
        window.show();
        qRegisterMetaType<MainWindow *>("MainWindow*");
        ThreadLeitura pacing(&window);

        // Watch for each accepted response: the link stamps it right after decoding.
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, &window, [&]() {
                             if (lastPacketTime != lastSeen) {
                                 lastSeen = lastPacketTime;
                                 decodedMs.append(double(lastSeen));
                             }
                         });

        runEventLoopFor(2000); // past the start-up grace of the watchdog
        for (int always = 0; always < 2; ++always) {
            setAlwaysRestyle(always == 1);
            std::printf("  measuring: link silent, %s ...\n",
                        always ? "always restyle" : "skip-equal");
            std::fflush(stdout);
            silent[always] = measure(seconds, 0);
        }
        setAlwaysRestyle(false);

        QTemporaryDir dir;
        // ORVIK_BENCH_KEEP=1 leaves the simulator's logs behind for a closer look.
        if (qEnvironmentVariableIntValue("ORVIK_BENCH_KEEP") == 1) {
            dir.setAutoRemove(false);
            std::printf("  simulator logs kept in %s\n", qPrintable(dir.path()));
        }
        const QString link = dir.filePath("ttyORVIK");
        const QString logPath = dir.filePath("sim.jsonl");
        QProcess sim;
        sim.setStandardErrorFile(dir.filePath("sim.stderr"));
        sim.start(simProgram, {"--link", link, "--log", logPath});
        if (!sim.waitForStarted() || !readLine(sim).endsWith(link)) {
            std::fprintf(stderr, "bench_link: cannot start %s\n", qPrintable(simProgram));
            pacing.stopAndWait();
            return 1;
        }
        if (!connectPanel(window, link)) {
            std::fprintf(stderr, "bench_link: the panel did not connect to %s\n",
                         qPrintable(link));
            sim.kill();
            sim.waitForFinished();
            pacing.stopAndWait();
            return 1;
        }
        runEventLoopFor(2000);
        for (int always = 0; always < 2; ++always) {
            setAlwaysRestyle(always == 1);
            std::printf("  measuring: simulator answering, %s ...\n",
                        always ? "always restyle" : "skip-equal");
            std::fflush(stdout);
            answering[always] = measure(seconds, sim.processId());
        }
        setAlwaysRestyle(false);
        window.closeSerialPort();
        sim.write("quit\n");
        if (!sim.waitForFinished(5000))
            sim.kill();
        log = readSimulatorLog(logPath);
        pacing.stopAndWait();
    }
    unregisterResources();

    Spread period[2];
    Spread latency[2];
    for (int i = 0; i < 2; ++i) {
        period[i] = spreadOf(pollPeriods(log, answering[i].fromMs, answering[i].toMs), 150, 175);
        latency[i] = spreadOf(answerToDecoded(log, decodedMs, answering[i].fromMs,
                                              answering[i].toMs), 0, 25);
    }

    std::printf("\n  %-38s %14s %16s\n", "", "skip-equal", "always restyle");
    printRow("panel CPU, link silent (% of a core)", fixed(silent[0].panelCpuPercent, 2),
             fixed(silent[1].panelCpuPercent, 2));
    printRow("panel CPU, simulator answering (%)", fixed(answering[0].panelCpuPercent, 2),
             fixed(answering[1].panelCpuPercent, 2));
    printRow("simulator CPU (%)", fixed(answering[0].simCpuPercent, 2),
             fixed(answering[1].simCpuPercent, 2));
    printRow("poll periods seen at the simulator", QString::number(period[0].count),
             QString::number(period[1].count));
    printRow("  min (ms)", fixed(period[0].min), fixed(period[1].min));
    printRow("  p50 (ms)", fixed(period[0].p50), fixed(period[1].p50));
    printRow("  p99 (ms)", fixed(period[0].p99), fixed(period[1].p99));
    printRow("  max (ms)", fixed(period[0].max), fixed(period[1].max));
    printRow("  within 150-175 ms (%)", fixed(period[0].withinPercent),
             fixed(period[1].withinPercent));
    printRow("  below 150 ms (%)", fixed(period[0].belowPercent),
             fixed(period[1].belowPercent));
    printRow("responses decoded", QString::number(latency[0].count),
             QString::number(latency[1].count));
    printRow("  answer written -> decoded p50 (ms)", fixed(latency[0].p50),
             fixed(latency[1].p50));
    printRow("  answer written -> decoded p99 (ms)", fixed(latency[0].p99),
             fixed(latency[1].p99));
    printRow("  answer written -> decoded max (ms)", fixed(latency[0].max),
             fixed(latency[1].max));
    const bool healthy = period[0].count > 0 && period[1].count > 0;
    if (!healthy)
        std::printf("\n  no polls reached the simulator: is the link code in place?\n");
    return healthy ? 0 : 1;
}
