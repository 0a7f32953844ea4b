#pragma once

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>
#include <memory>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "serialsettings/settingsdialog.h"

// The whole station in one process: the controller simulator on its pseudo-terminal, the
// panel's window with its real pacing thread. Shared by the end-to-end tests and bench/.

inline bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

struct SimLine
{
    double ms = 0;
    QString dir, kind; // rx|tx|event; poll, select, garbage...
    QByteArray bytes;
};

class Station
{
public:
    QTemporaryDir dir;
    QString link = dir.filePath("ttyORVIK");
    QString logPath = dir.filePath("sim.jsonl");
    QProcess sim;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ThreadLeitura> pacing;
    QStringList boxes; // titles of the critical boxes raised

    ~Station()
    {
        if (pacing)
            pacing->stopAndWait();
        window.reset();
        setCriticalBoxHook({});
        if (sim.state() != QProcess::NotRunning) {
            sim.write("quit\n");
            if (!sim.waitForFinished(3000))
                sim.kill();
            sim.waitForFinished(3000);
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
        if (!sim.waitForStarted(5000))
            return "cannot start " + program;
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        const QString banner = QString::fromUtf8(sim.readLine()).trimmed();
        return banner.endsWith(link) ? QString() : "unexpected banner: " + banner;
    }

    // State as at program start, window shown, pacing on.
    void openWindow()
    {
        setCriticalBoxHook([this](QWidget *, const QString &title, const QString &) {
            boxes << title;
        });
        panelState = PanelState{};
        lastPacketTime = monotonicMs();
        window = std::make_unique<MainWindow>();
        window->show();
        qRegisterMetaType<MainWindow *>("MainWindow*");
        pacing = std::make_unique<ThreadLeitura>(window.get());
    }

    QAction *action(const QString &name) const { return window->findChild<QAction *>(name); }

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
        action("actionConnect_to_KELMAR")->trigger();
        return serialPort && serialPort->isOpen();
    }

    void say(const QByteArray &consoleLine) { sim.write(consoleLine + '\n'); }

    QVector<SimLine> log() const
    {
        QVector<SimLine> lines;
        QFile file(logPath);
        for (const QByteArray &raw : file.open(QIODevice::ReadOnly) ? file.readAll().split('\n')
                                                                     : QByteArrayList()) {
            const QJsonObject o = QJsonDocument::fromJson(raw).object();
            if (!o.isEmpty()) // not the last line while it is being written
                lines.append({o["ms"].toDouble(), o["dir"].toString(), o["kind"].toString(),
                              QByteArray::fromHex(o["hex"].toString().toLatin1())});
        }
        return lines;
    }

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
    quint16 port = 0;
    QProcess ser2net;
    QProcess socat;

    ~RemoteLine()
    {
        for (QProcess *p : {&socat, &ser2net}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
            p->waitForFinished(3000);
        }
    }

    static QString tool(const QString &name)
    {
        return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin", "/usr/local/sbin",
                                                     "/usr/local/bin", "/sbin", "/bin"});
    }

    // Empty on success, else the reason.
    QString start(const QString &device, const QString &folder)
    {
        const QString server = tool("ser2net");
        const QString relay = tool("socat");
        if (server.isEmpty() || relay.isEmpty())
            return "ser2net and socat are needed (apt-get install ser2net socat)";
        port = freeLoopbackPort();
        if (port == 0)
            return "no free TCP port on 127.0.0.1";
        const QString config = folder + "/ser2net.yaml";
        QFile yaml(config);
        if (!yaml.open(QIODevice::WriteOnly)
            || yaml.write(QString("%YAML 1.1\n---\nconnection: &orvik\n"
                                  "  accepter: tcp,127.0.0.1,%1\n"
                                  "  connector: serialdev,%2,9600n81,local\n"
                                  "  options:\n    kickolduser: true\n")
                              .arg(port)
                              .arg(device)
                              .toUtf8())
                   < 0)
            return "cannot write " + config;
        yaml.close();
        ser2net.setProcessChannelMode(QProcess::MergedChannels);
        ser2net.setStandardOutputFile(folder + "/ser2net.log");
        ser2net.start(server, {"-n", "-d", "-u", "-c", config});
        if (!ser2net.waitForStarted(5000))
            return "cannot start " + server;
        if (!waitFor([&] { return listening(); }, 10000))
            return "ser2net does not listen on 127.0.0.1:" + QString::number(port);
        path = folder + "/remote-tty";
        socat.setProcessChannelMode(QProcess::MergedChannels);
        socat.setStandardOutputFile(folder + "/socat.log");
        socat.start(relay, {"-d", "-d", "pty,link=" + path + ",raw,echo=0",
                            QString("tcp:127.0.0.1:%1").arg(port)});
        if (!socat.waitForStarted(5000))
            return "cannot start " + relay;
        if (!waitFor([&] { return QFileInfo::exists(path); }, 10000))
            return "socat made no pseudo-terminal at " + path;
        return {};
    }

    // A port nobody holds now, picked by the kernel; ser2net takes it a moment later.
    static quint16 freeLoopbackPort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto *a = reinterpret_cast<sockaddr *>(&address);
        const bool ok =
            fd >= 0 && ::bind(fd, a, length) == 0 && ::getsockname(fd, a, &length) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok ? ntohs(address.sin_port) : 0;
    }

    bool listening() const { return listensOnLoopback(port); }

    static bool listensOnLoopback(quint16 port) // "0100007F:PORT 00000000:0000 0A" (LISTEN)
    {
        QFile tcp("/proc/net/tcp");
        const QByteArray port16 = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
        return tcp.open(QIODevice::ReadOnly)
               && tcp.readAll().contains(" 0100007F:" + port16 + " 00000000:0000 0A ");
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

    // Empty on success, else the reason.
    QString start()
    {
        const QString daemon = RemoteLine::tool("rigctld");
        if (daemon.isEmpty() || RemoteLine::tool("rigctl").isEmpty())
            return "not installed: rigctld and rigctl (apt-get install libhamlib-utils)";
        if (port == 0)
            port = RemoteLine::freeLoopbackPort();
        process.start(daemon, {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port)});
        if (!process.waitForStarted(5000))
            return "cannot start " + daemon;
        if (!waitFor([this] { return RemoteLine::listensOnLoopback(port); }, 10000))
            return "rigctld does not listen on 127.0.0.1:" + QString::number(port);
        return QString();
    }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished(3000);
    }

    QString setFrequency(qint64 hz) { return rigctl({"F", QString::number(hz)}); }
    // Split on, transmitting on VFO B at hz.
    QString setSplit(qint64 hz)
    {
        const QString error = rigctl({"S", "1", "VFOB"});
        return error.isEmpty() ? rigctl({"I", QString::number(hz)}) : error;
    }

    QString rigctl(const QStringList &command) const
    {
        QProcess client;
        client.start(RemoteLine::tool("rigctl"),
                     QStringList{"-m", "2", "-r", "127.0.0.1:" + QString::number(port)} + command);
        if (!client.waitForFinished(5000) || client.exitCode() != 0)
            return "rigctl " + command.join(' ') + ": " + client.readAllStandardError();
        return QString();
    }
};

// A free UDP port on 127.0.0.1 (bound and released).
inline quint16 freeUdpPort()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto *a = reinterpret_cast<sockaddr *>(&address);
    const bool ok = ::bind(fd, a, length) == 0 && ::getsockname(fd, a, &length) == 0;
    ::close(fd);
    return ok ? ntohs(address.sin_port) : 0;
}

inline void sendDatagram(quint16 port, const QByteArray &datagram)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ::sendto(fd, datagram.constData(), size_t(datagram.size()), 0,
             reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::close(fd);
}
