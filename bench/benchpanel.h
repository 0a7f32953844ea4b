#pragma once

#include <QApplication>
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

class ControllerLink;
class MainWindow;
class QPushButton;

// Pieces shared by the benchmark programs: they run the real panel in-process (window,
// link thread, port) and talk to orvik-sim over a pseudo-terminal.

// What QApplication needs before it is built: it keeps a reference to its argument count
// for its whole life, so the arguments live in a base made before it.
struct BenchArguments
{
    BenchArguments(char *program, const char *tag);
    int argc = 2;
    QByteArray tag;
    char *argv[3] = {};
};

// The QApplication of a benchmark run, with the operator's own settings kept out of it:
// the port selection goes to the test data folder and the panel file is
// settings<tag>.ini beside the program. Offscreen unless QT_QPA_PLATFORM names another
// platform; the panel's resources are registered before it starts. ORVIK_SIM names the
// simulator for the Station of tests/journeyfixture.h.
class BenchApplication : private BenchArguments, public QApplication
{
public:
    BenchApplication(char *program, const char *tag);
};

// CPU time (user + system) of this process, all its threads, and of another one from
// /proc, in seconds.
double processCpuSeconds();
double childCpuSeconds(qint64 pid);

// A field of /proc/<pid>/status in KiB ("VmRSS", "RssAnon"); pid 0 means this process.
qint64 procStatusKiB(const char *field, qint64 pid = 0);

// Runs the event loop of the calling thread for that long.
void runEventLoopFor(int ms);

// Voluntary context switches of every thread of this process, from
// /proc/self/task/*/status: each one is a thread that went to sleep and was woken again.
struct ThreadSwitches
{
    struct Thread
    {
        QString name;
        qint64 voluntary = 0;
        double cpuSeconds = 0;
    };
    QHash<qint64, Thread> byTid;

    static ThreadSwitches now();
};

// The wake-ups of one stretch: the difference of two readings. A thread that was born in
// the stretch counts from 0; one that ended in it is lost to the sum and counted apart.
struct WakeUps
{
    double seconds = 0;
    qint64 total = 0;
    int threadsEnded = 0;
    QVector<ThreadSwitches::Thread> threads; // the difference per thread, by name

    double perSecond() const { return seconds > 0 ? double(total) / seconds : 0; }
    double perSecond(const QString &threadName) const;
    double cpuPercent(const QString &threadName) const;
};
WakeUps wakeUpsBetween(const ThreadSwitches &from, const ThreadSwitches &to, double seconds);

// What the link said, heard in the thread that makes this (the bench's), the way the
// window hears it: each signal is queued there behind the window's own.
class LinkCounts : public QObject
{
public:
    explicit LinkCounts(ControllerLink *link);

    int statuses = 0;
    int firmware = 0;
    int opens = 0;
    int openFailures = 0;
    int losses = 0;
    int closes = 0;
    bool open = false;
    double lastStatusMs = -1; // when the last status reached this thread
};

// The wire trace on for as long as this lives; every frame handed to the port is stamped
// as it is traced (in the link's thread, on the monotonic clock, microsecond detail).
class WireStamps
{
public:
    struct Frame
    {
        double ms = 0;      // our stamp
        qint64 traceMs = 0; // the trace line's own stamp, whole milliseconds
        QString text;       // the frame's printable form: "IGT3;"
        bool poll() const { return text == QLatin1String("IGT3;"); }
        bool firmwareQuery() const { return text == QLatin1String("IGW;"); }
    };

    WireStamps();
    ~WireStamps();
    WireStamps(const WireStamps &) = delete;
    WireStamps &operator=(const WireStamps &) = delete;

    // The frames written so far.
    static QVector<Frame> frames();

private:
    QtMessageHandler previous;
};

// A TX key of the panel by number 1..8.
QPushButton *txKey(MainWindow &window, int number);
