#pragma once

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUdpSocket>
#include <functional>
#include <memory>

#include <arpa/inet.h> // bench/ talks to rigctld on plain sockets
#include <sys/socket.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "link/controllerlink.h"
#include "serialsettings/settingsdialog.h"

// The whole station in one process: the controller simulator on its pseudo-terminal, the
// panel's window with its real link thread. Shared by the end-to-end tests and bench/.

inline bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    for (QDeadlineTimer deadline(timeoutMs); !condition(); QThread::msleep(5)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A port of 127.0.0.1 that nobody holds now, picked by the kernel; a server takes it a
// moment later.
inline quint16 freeLoopbackPort(bool udp = false)
{
    if (udp) {
        QUdpSocket socket;
        return socket.bind(QHostAddress(QHostAddress::LocalHost), 0) ? socket.localPort() : 0;
    }
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

inline bool listensOnLoopback(quint16 port) // "0100007F:PORT 00000000:0000 0A" (LISTEN)
{
    QFile tcp("/proc/net/tcp");
    const QByteArray port16 = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    return tcp.open(QIODevice::ReadOnly)
           && tcp.readAll().contains(" 0100007F:" + port16 + " 00000000:0000 0A ");
}

inline QString findTool(const QString &name)
{
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin", "/usr/local/sbin",
                                                 "/usr/local/bin", "/sbin", "/bin"});
}

// Starts a helper program; empty on success, else the reason.
inline QString startTool(QProcess &process, const QString &name, const QStringList &args,
                         const QString &logFile = {})
{
    const QString program = findTool(name);
    if (program.isEmpty())
        return "not installed: " + name;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!logFile.isEmpty())
        process.setStandardOutputFile(logFile);
    process.start(program, args);
    return process.waitForStarted(5000) ? QString() : "cannot start " + program;
}

inline void stopTool(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(3000);
}

struct SimLine
{
    double ms = 0;
    QString dir, kind; // rx|tx|event; poll, select, garbage...
    QByteArray bytes;
};

// The simulator's log of JSON lines, as far as it is written.
inline QVector<SimLine> readSimLog(const QString &path)
{
    QVector<SimLine> lines;
    QFile file(path);
    for (const QByteArray &raw :
         file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList()) {
        const QJsonObject o = QJsonDocument::fromJson(raw).object();
        if (!o.isEmpty()) // not the last line while it is being written
            lines.append({o["ms"].toDouble(), o["dir"].toString(), o["kind"].toString(),
                          QByteArray::fromHex(o["hex"].toString().toLatin1())});
    }
    return lines;
}

class Station
{
public:
    QTemporaryDir dir;
    QString link = dir.filePath("ttyORVIK");
    QString logPath = dir.filePath("sim.jsonl");
    QProcess sim;
    std::unique_ptr<MainWindow> window;

    ~Station()
    {
        window.reset();
        if (sim.state() != QProcess::NotRunning) {
            sim.write("quit\n");
            if (!sim.waitForFinished(3000))
                stopTool(sim);
        }
    }

    // Empty on success, else the reason.
    QString startSimulator(const QStringList &extra = {})
    {
        const QString program = qEnvironmentVariable("ORVIK_SIM");
        if (program.isEmpty())
            return "ORVIK_SIM does not name the simulator";
        sim.setStandardErrorFile(dir.filePath("sim.stderr"));
        sim.start(program, QStringList{"--link", link, "--log", logPath} + extra);
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {}
        const QString banner = QString::fromUtf8(sim.readLine()).trimmed();
        return banner.endsWith(link) ? QString() : "unexpected banner: " + banner;
    }

    // State as at program start, window shown, its link running.
    void openWindow()
    {
        window = std::make_unique<MainWindow>();
        window->show();
    }

    QAction *action(const QString &name) const { return window->findChild<QAction *>(name); }
    ControllerLink *controller() const { return window->controllerLink(); }

    // The titles of the boxes open over the window now (they hold nothing up, so they stay
    // until somebody closes them).
    QStringList openBoxes() const
    {
        QStringList titles;
        for (QMessageBox *box : window->findChildren<QMessageBox *>())
            if (box->isVisible())
                titles << box->windowTitle();
        return titles;
    }

    // Serial Settings › Custom, the path typed in, Apply, then File › Connect.
    bool connectTo(const QString &path)
    {
        action("actionConfigure")->trigger();
        SettingsDialog *dialog = window->settingsDialog();
        auto *ports = dialog->findChild<QComboBox *>("serialPortInfoListBox");
        if (ports->currentIndex() != ports->count() - 1)
            QTest::keyClick(ports, Qt::Key_End); // the last item is "Custom"
        if (!ports->lineEdit())
            return false;
        ports->lineEdit()->selectAll();
        QTest::keyClicks(ports->lineEdit(), path);
        QTest::mouseClick(dialog->findChild<QPushButton *>("applyButton"), Qt::LeftButton);
        // The link opens in its own thread and says so from there; heard in this one.
        QObject listener;
        int opened = 0, failed = 0;
        QObject::connect(controller(), &ControllerLink::opened, &listener, [&] { ++opened; });
        QObject::connect(controller(), &ControllerLink::openFailed, &listener, [&] { ++failed; });
        action("actionConnect_to_KELMAR")->trigger();
        return waitFor([&] { return opened + failed > 0; }, 5000) && opened > 0;
    }

    void say(const QByteArray &consoleLine) { sim.write(consoleLine + '\n'); }

    QVector<SimLine> log() const { return readSimLog(logPath); }

    // Every frame the controller received since the mark but polls and firmware queries.
    QList<QByteArray> framesSince(int mark) const
    {
        QList<QByteArray> frames;
        for (const SimLine &l : log().mid(mark))
            if (l.dir == "rx" && l.kind != "poll" && l.kind != "firmware")
                frames << l.bytes;
        return frames;
    }

    int countSince(int mark, const QString &dir, const QString &kind) const
    {
        int n = 0;
        for (const SimLine &l : log().mid(mark))
            n += l.dir == dir && l.kind == kind;
        return n;
    }

    // Waits for this many more answered status polls.
    bool settle(int answers = 2, int timeoutMs = 5000)
    {
        const int mark = log().size();
        return waitFor([&] { return countSince(mark, "tx", "poll") >= answers; }, timeoutMs);
    }
};

// The serial line over TCP on 127.0.0.1: ser2net serves the controller's line on a port,
// socat turns it back into a local pseudo-terminal at `path`.
class RemoteLine
{
public:
    QString path;
    QProcess ser2net, socat;

    ~RemoteLine()
    {
        stopTool(socat);
        stopTool(ser2net);
    }

    // Empty on success, else the reason.
    QString start(const QString &device, const QString &folder)
    {
        const quint16 port = freeLoopbackPort();
        QFile yaml(folder + "/ser2net.yaml");
        if (!yaml.open(QIODevice::WriteOnly)
            || yaml.write(QString("%YAML 1.1\n---\nconnection: &orvik\n  accepter: tcp,127.0.0.1,"
                                  "%1\n  connector: serialdev,%2,9600n81,local\n  options:\n"
                                  "    kickolduser: true\n")
                              .arg(port)
                              .arg(device)
                              .toUtf8())
                   < 0)
            return "cannot write " + yaml.fileName();
        yaml.close();
        QString error = startTool(ser2net, "ser2net", {"-n", "-d", "-u", "-c", yaml.fileName()},
                                  folder + "/ser2net.log");
        if (error.isEmpty() && !waitFor([&] { return listensOnLoopback(port); }, 10000))
            error = "ser2net does not listen on 127.0.0.1:" + QString::number(port);
        path = folder + "/remote-tty";
        if (error.isEmpty())
            error = startTool(socat, "socat",
                              {"-d", "-d", "pty,link=" + path + ",raw,echo=0",
                               QString("tcp:127.0.0.1:%1").arg(port)},
                              folder + "/socat.log");
        if (error.isEmpty() && !waitFor([&] { return QFileInfo::exists(path); }, 10000))
            error = "socat made no pseudo-terminal at " + path;
        return error;
    }
};

// Hamlib's rigctld with its dummy rig on a free port of 127.0.0.1, tuned with rigctl as
// a logging program would; started again after stop(), it takes the same port.
class Rigctld
{
public:
    quint16 port = 0;
    QProcess process;

    ~Rigctld() { stop(); }
    void stop() { stopTool(process); }

    // Empty on success, else the reason.
    QString start()
    {
        if (findTool("rigctl").isEmpty())
            return "not installed: rigctl";
        port = port ? port : freeLoopbackPort();
        QString error = startTool(process, "rigctld",
                                  {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
        if (error.isEmpty() && !waitFor([this] { return listensOnLoopback(port); }, 10000))
            error = "rigctld does not listen on 127.0.0.1:" + QString::number(port);
        return error;
    }

    // "F 14200000" tunes; "S 1 VFOB" then "I 14200000" transmits split on VFO B.
    QString rigctl(const QString &command) const
    {
        QProcess client;
        client.start(findTool("rigctl"),
                     QStringList{"-m", "2", "-r", "127.0.0.1:" + QString::number(port)}
                         + command.split(' '));
        if (!client.waitForFinished(5000) || client.exitCode() != 0)
            return "rigctl " + command + ": " + client.readAllStandardError();
        return QString();
    }
};
