#include "benchpanel.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "link/controllerlink.h"
#include "simlog.h"

BenchArguments::BenchArguments(char *program, const char *name) : tag(name)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ORVIK_SIM"))
        qputenv("ORVIK_SIM", ORVIK_SIM_DEFAULT);
    QStandardPaths::setTestModeEnabled(true);
    registerResources();
    argv[0] = program;
    argv[1] = tag.data();
}

BenchApplication::BenchApplication(char *program, const char *tag)
    : BenchArguments(program, tag), QApplication(argc, argv)
{}

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

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

qint64 procStatusKiB(const char *field, qint64 pid)
{
    QFile status(pid > 0 ? QString("/proc/%1/status").arg(pid)
                         : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

ThreadSwitches ThreadSwitches::now()
{
    ThreadSwitches reading;
    const QString tasks = QStringLiteral("/proc/self/task");
    const double tick = double(::sysconf(_SC_CLK_TCK));
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + '/' + tid + "/status");
        QFile stat(tasks + '/' + tid + "/stat");
        if (!status.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue; // ended while we looked
        Thread thread;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                thread.name = QString::fromUtf8(line.mid(5).trimmed());
            else if (line.startsWith("voluntary_ctxt_switches:"))
                thread.voluntary = line.mid(24).trimmed().toLongLong();
        }
        // The thread's own CPU clock, to the nanosecond: the kernel's clock id for a
        // thread of this process is made from its id (clock_getcpuclockid takes only a
        // pthread_t, which /proc does not give). The ticks of /proc's stat otherwise.
        const clockid_t clock = clockid_t((~tid.toLongLong()) << 3) | 6;
        timespec cpu{};
        if (::clock_gettime(clock, &cpu) == 0) {
            thread.cpuSeconds = double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
        } else {
            // utime and stime follow the command name, which may hold blanks.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 12)
                thread.cpuSeconds = (fields.at(11).toDouble() + fields.at(12).toDouble()) / tick;
        }
        reading.byTid.insert(tid.toLongLong(), thread);
    }
    return reading;
}

WakeUps wakeUpsBetween(const ThreadSwitches &from, const ThreadSwitches &to, double seconds)
{
    WakeUps w;
    w.seconds = seconds;
    for (auto it = to.byTid.cbegin(); it != to.byTid.cend(); ++it) {
        const ThreadSwitches::Thread before = from.byTid.value(it.key());
        ThreadSwitches::Thread d{it->name, it->voluntary - before.voluntary,
                                 it->cpuSeconds - before.cpuSeconds};
        w.total += d.voluntary;
        w.threads.append(d);
    }
    for (auto it = from.byTid.cbegin(); it != from.byTid.cend(); ++it)
        w.threadsEnded += !to.byTid.contains(it.key());
    return w;
}

double WakeUps::perSecond(const QString &threadName) const
{
    qint64 n = 0;
    for (const ThreadSwitches::Thread &t : threads)
        n += t.name == threadName ? t.voluntary : 0;
    return seconds > 0 ? double(n) / seconds : 0;
}

double WakeUps::cpuPercent(const QString &threadName) const
{
    double cpu = 0;
    for (const ThreadSwitches::Thread &t : threads)
        cpu += t.name == threadName ? t.cpuSeconds : 0;
    return seconds > 0 ? 100.0 * cpu / seconds : 0;
}

LinkCounts::LinkCounts(ControllerLink *link)
{
    connect(link, &ControllerLink::statusReceived, this, [this] {
        ++statuses;
        lastStatusMs = monotonicNowMs();
    });
    connect(link, &ControllerLink::firmwareReceived, this, [this] { ++firmware; });
    connect(link, &ControllerLink::opened, this, [this] {
        ++opens;
        open = true;
    });
    connect(link, &ControllerLink::openFailed, this, [this] { ++openFailures; });
    connect(link, &ControllerLink::lost, this, [this] {
        ++losses;
        open = false;
    });
    connect(link, &ControllerLink::closed, this, [this] {
        ++closes;
        open = false;
    });
}

namespace {

// The message handler has no room for a context: what it fills lives here.
struct WireStore
{
    QMutex mutex;
    QVector<WireStamps::Frame> frames;
    QtMessageHandler previous = nullptr;

    static WireStore &instance()
    {
        static WireStore store;
        return store;
    }
};

// "<ms> ms TX <n> <hex> |<text>|", written in the link's thread as the frame goes to
// the port; a refused frame says "failed" and never reached the line.
void stampWrite(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    WireStore &store = WireStore::instance();
    if (qstrcmp(context.category, "orvik.wire") != 0) {
        QtMessageHandler previous = nullptr;
        {
            const QMutexLocker lock(&store.mutex);
            previous = store.previous;
        }
        if (previous)
            previous(type, context, message);
        return;
    }
    const double now = monotonicNowMs();
    if (!message.contains(QLatin1String(" ms TX ")) || message.contains(QLatin1String("failed")))
        return;
    const int open = message.indexOf('|');
    const QString text = message.mid(open + 1, message.lastIndexOf('|') - open - 1);
    const QMutexLocker lock(&store.mutex);
    store.frames.append({now, message.section(' ', 0, 0).toLongLong(), text});
}

} // namespace

WireStamps::WireStamps()
{
    WireStore &store = WireStore::instance();
    {
        // Under the lock: the link's thread may log while the handler changes.
        const QMutexLocker lock(&store.mutex);
        store.frames.clear();
        previous = qInstallMessageHandler(stampWrite);
        store.previous = previous;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=true"));
}

WireStamps::~WireStamps()
{
    QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=false"));
    qInstallMessageHandler(previous);
}

QVector<WireStamps::Frame> WireStamps::frames()
{
    WireStore &store = WireStore::instance();
    const QMutexLocker lock(&store.mutex);
    return store.frames;
}

QPushButton *txKey(MainWindow &window, int number)
{
    return window.findChild<QPushButton *>(QString("botaoTecla%1").arg(number));
}
