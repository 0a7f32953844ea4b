#include "benchpanel.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "link/seriallink.h"
#include "serialsettings/settingsdialog.h"

namespace {

// QApplication keeps a reference to its argument count for its whole life.
int benchArgc = 2;
QByteArray benchTag;
char *benchArgv[3] = {};

char **prepareBenchRun(char *program, const char *tag)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    registerResources();
    benchTag = tag;
    benchArgv[0] = program;
    benchArgv[1] = benchTag.data();
    return benchArgv;
}

} // namespace

BenchApplication::BenchApplication(char *program, const char *tag)
    : QApplication(benchArgc, prepareBenchRun(program, tag))
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

bool startSimulator(QProcess &sim, const QString &program, const QString &link,
                    const QString &logPath, const QString &stderrPath)
{
    QStringList args{"--link", link};
    if (!logPath.isEmpty())
        args << "--log" << logPath;
    sim.setStandardErrorFile(stderrPath.isEmpty() ? QProcess::nullDevice() : stderrPath);
    sim.start(program, args);
    if (!sim.waitForStarted())
        return false;
    while (!sim.canReadLine() && sim.waitForReadyRead(10000)) {}
    return QString::fromUtf8(sim.readLine()).trimmed().endsWith(link);
}

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

QPushButton *txKey(MainWindow &window, int number)
{
    return window.findChild<QPushButton *>(QString("botaoTecla%1").arg(number));
}
