#pragma once

#include <QApplication>
#include <QString>

class MainWindow;
class QProcess;

// Pieces shared by the benchmark programs: they run the real panel in-process and
// talk to orvik-sim over a pseudo-terminal.

// The QApplication of a benchmark run, with the operator's own settings kept out of it:
// the port selection goes to the test data folder and the panel file is
// settings<tag>.ini beside the program. Offscreen unless QT_QPA_PLATFORM names another
// platform; the panel's resources are registered before it starts.
class BenchApplication : public QApplication
{
public:
    BenchApplication(char *program, const char *tag);
};

// CPU time (user + system) of this process, and of another one from /proc, in seconds.
double processCpuSeconds();
double childCpuSeconds(qint64 pid);

// A field of /proc/<pid>/status in KiB ("VmRSS", "RssAnon"); pid 0 means this process.
qint64 procStatusKiB(const char *field, qint64 pid = 0);

// Runs the event loop of the calling thread for that long.
void runEventLoopFor(int ms);

// Starts orvik-sim on a link path and waits for its first line (which names the path).
// An empty log path starts it without a machine log.
bool startSimulator(QProcess &sim, const QString &program, const QString &link,
                    const QString &logPath, const QString &stderrPath);

// Points the panel at the simulator the way an operator does: Serial Settings ›
// Custom, the path typed in, Apply, then File › Connect. True when the port opened.
bool connectPanel(MainWindow &window, const QString &path);

// A TX key of the panel by number 1..8.
class QPushButton;
QPushButton *txKey(MainWindow &window, int number);
