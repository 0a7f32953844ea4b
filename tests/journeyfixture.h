#pragma once

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QStandardPaths>
#include <QThread>
#include <QVector>
#include <functional>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/mainwindow.h"
#include "link/clock.h"
#include "link/criticalbox.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "serialsettings/settingsdialog.h"

// The whole station in one process, the way an operator meets it: the controller
// simulator on its pseudo-terminal, the panel's window with its real pacing thread,
// and the operator's hands on the serial settings dialog and the menus. Shared by the
// end-to-end tests and the long fault drills in bench/.

// Runs the event loop until the condition holds or the time is up.
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
    QString dir;  // "rx", "tx", "event"
    QString kind; // "poll", "select", "garbage", ...
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
    QStringList boxes; // titles of the critical boxes the panel raised

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

    // Starts the simulator and waits for its banner; empty on success, else the reason.
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

    // A fresh start of the panel: state as at program start, window shown, pacing on.
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
        if (!file.open(QIODevice::ReadOnly))
            return lines;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(raw).object();
            if (o.isEmpty())
                continue; // an empty line, or the last one still being written
            lines.append({o.value("ms").toDouble(), o.value("dir").toString(),
                          o.value("kind").toString(),
                          QByteArray::fromHex(o.value("hex").toString().toLatin1())});
        }
        return lines;
    }

    // What the operator's actions put on the wire since the mark: every frame the
    // controller received except the panel's own status polls and firmware queries.
    QList<QByteArray> framesSince(int mark) const
    {
        QList<QByteArray> frames;
        const QVector<SimLine> lines = log();
        for (int i = mark; i < lines.size(); ++i) {
            const SimLine &l = lines.at(i);
            if (l.dir == "rx" && l.kind != "poll" && l.kind != "firmware")
                frames << l.bytes;
        }
        return frames;
    }

    int countSince(int mark, const QString &dir, const QString &kind) const
    {
        const QVector<SimLine> lines = log();
        int n = 0;
        for (int i = mark; i < lines.size(); ++i)
            n += lines.at(i).dir == dir && lines.at(i).kind == kind;
        return n;
    }

    // Waits until the controller has answered this many more status polls.
    bool settle(int answers = 2, int timeoutMs = 5000)
    {
        const int mark = log().size();
        return waitFor([&] { return countSince(mark, "tx", "poll") >= answers; }, timeoutMs);
    }
};

// The serial line carried over TCP with the standard tools, all on 127.0.0.1: ser2net
// serves the controller's line on a port, socat turns that port back into a local
// pseudo-terminal at `path` that the panel opens through Serial Settings › Custom.
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
        if (!yaml.open(QIODevice::WriteOnly))
            return "cannot write " + config;
        yaml.write(QString("%YAML 1.1\n---\n"
                           "connection: &orvik\n"
                           "  accepter: tcp,127.0.0.1,%1\n"
                           "  connector: serialdev,%2,9600n81,local\n"
                           "  options:\n"
                           "    kickolduser: true\n")
                       .arg(port)
                       .arg(device)
                       .toUtf8());
        yaml.close();
        ser2net.setProcessChannelMode(QProcess::MergedChannels);
        ser2net.setStandardOutputFile(folder + "/ser2net.log");
        ser2net.start(server, {"-n", "-d", "-u", "-c", config});
        if (!ser2net.waitForStarted(5000))
            return "cannot start " + server;
        // ser2net listens once it has read its configuration.
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

private:
    // A port nobody holds now (the kernel picks it for a bind to port 0); ser2net takes
    // it a moment later.
    static quint16 freeLoopbackPort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0)
            return 0;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        quint16 port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
            && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(fd);
        return port;
    }

    bool listening() const
    {
        QFile tcp("/proc/net/tcp");
        if (!tcp.open(QIODevice::ReadOnly))
            return false;
        // 0100007F:PORT in state 0A (LISTEN).
        const QByteArray local = QByteArray("0100007F:")
                                 + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
        for (const QByteArray &line : tcp.readAll().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() > 3 && f.at(1) == local && f.at(3) == "0A")
                return true;
        }
        return false;
    }
};
