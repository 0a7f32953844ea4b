// Following under hostile inputs, with the real panel in-process against orvik-sim:
//   - a logger flipping between 20 m and 40 m every 100 ms, the station transmitting after
//     the first second: selects the controller received while it reported transmitting,
//     and the longest gap between its polls (with the default dwell, and with none);
//   - N1MM RadioInfo flooding the port from another process: F-key to the select at the
//     controller, p50 / p99, and the panel's CPU;
//   - a rigctld peer that streams without end: the panel's CPU.
//
//   bench_hostile [--seconds S, default 10] [--rate N datagrams/s, default 10000]
//                 [--sim PATH]

#include <QKeyEvent>
#include <QUdpSocket>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/wait.h>

#include "app/resources.h"
#include "benchpanel.h"
#include "journeyfixture.h"
#include "link/clock.h"
#include "linkstats.h"
#include "radio/radiofollow.h"
#include "simlog.h"

namespace {

double nowMs()
{
    return double(monotonicMs());
}

QByteArray radioInfo(qint64 tensOfHz)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<RadioInfo><app>N1MM</app>"
                      "<StationName>BENCH</StationName><RadioNr>1</RadioNr><Freq>")
           + QByteArray::number(tensOfHz) + "</Freq><TXFreq>" + QByteArray::number(tensOfHz)
           + "</TXFreq><ActiveRadioNr>1</ActiveRadioNr><IsTransmitting>False</IsTransmitting>"
             "</RadioInfo>";
}

// Runs body in a child process, which only uses plain system calls (the panel's threads
// are not in it), until stopChild. Its CPU is its own, not the panel's.
template<typename Body> pid_t startChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    return pid;
}
void stopChild(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

void sleepMs(long ms)
{
    const timespec t{ms / 1000, (ms % 1000) * 1000000};
    ::nanosleep(&t, nullptr);
}

// rate datagrams a second, in bursts every millisecond, to 127.0.0.1:port.
void flood(quint16 port, int rate, const QByteArray &datagram)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (long sent = 0;;) {
        timespec t;
        ::clock_gettime(CLOCK_MONOTONIC, &t);
        const double elapsed = double(t.tv_sec - start.tv_sec) + (t.tv_nsec - start.tv_nsec) / 1e9;
        for (; sent < long(elapsed * rate); ++sent)
            ::sendto(fd, datagram.constData(), size_t(datagram.size()), 0,
                     reinterpret_cast<sockaddr *>(&to), sizeof to);
        sleepMs(1);
    }
}

// A "rigctld" that answers every connection with frequency lines that never end.
void streamForever(int listener)
{
    const QByteArray line = "Frequency: 14200000\n";
    QByteArray block;
    while (block.size() < 64 * 1024)
        block += line;
    for (;;) {
        const int peer = ::accept(listener, nullptr, nullptr);
        if (peer < 0)
            continue;
        while (::send(peer, block.constData(), size_t(block.size()), MSG_NOSIGNAL) > 0) {}
        ::close(peer);
    }
}

int listenOnLoopback(quint16 *port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, 4) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return -1;
    *port = ntohs(address.sin_port);
    return fd;
}

// What the kernel dropped for want of room on the UDP port (the last field of its line
// in /proc/net/udp): the flood the panel did not read.
qint64 udpDrops(quint16 port)
{
    QFile table("/proc/net/udp");
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray local = ":" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 2 && f.at(1).endsWith(local))
            return f.last().toLongLong();
    }
    return -1;
}

struct FlipFigures
{
    int selects = 0;
    int underPower = 0;
    double longestPollGap = 0;
};

// The sim's log from one point on: selects, those after the sim last reported
// transmitting, and the longest time between two polls it received.
FlipFigures flipFigures(const QVector<SimLine> &log, int from)
{
    FlipFigures f;
    bool transmitting = false;
    double lastPoll = -1;
    for (const SimLine &line : log.mid(from)) {
        if (line.dir == "tx" && line.kind == "poll" && line.bytes.size() == 13)
            transmitting = line.bytes.at(8) == 1;
        if (line.dir == "rx" && line.bytes == "IGT3;") {
            if (lastPoll >= 0)
                f.longestPollGap = qMax(f.longestPollGap, line.ms - lastPoll);
            lastPoll = line.ms;
        }
        if (line.dir == "rx" && line.bytes.startsWith("IGS")) {
            ++f.selects;
            f.underPower += transmitting;
        }
    }
    return f;
}

FollowSettings followN1mm(quint16 port, int dwell)
{
    FollowSettings follow;
    follow.follow = true;
    follow.source = SourceKind::N1mm;
    follow.n1mmPort = port;
    follow.dwellMs = dwell;
    follow.bandTx = {{"20m", 3}, {"40m", 5}};
    return follow;
}

} // namespace

int main(int argc, char *argv[])
{
    int seconds = 10, rate = 10000;
    QString sim = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray name = argv[i], value = argv[i + 1];
        if (name == "--seconds")
            seconds = value.toInt();
        else if (name == "--rate")
            rate = value.toInt();
        else if (name == "--sim")
            sim = QString::fromLocal8Bit(value);
    }
    if (argc % 2 == 0 || seconds < 2 || rate < 1) {
        std::fprintf(stderr, "usage: bench_hostile [--seconds S] [--rate N] [--sim PATH]\n");
        return 2;
    }
    qputenv("ORVIK_SIM", sim.toLocal8Bit());
    BenchApplication app(argv[0], "hostile");
    Station station;
    const QString simError = station.startSimulator();
    station.openWindow();
    if (!simError.isEmpty() || !station.connectTo(station.link) || !station.settle(3)) {
        std::fprintf(stderr, "bench_hostile: no controller: %s\n", qPrintable(simError));
        return 1;
    }
    auto *follow = station.window->findChild<RadioFollow *>();
    const quint16 udpPort = freeLoopbackPort(true);

    // Band flips, TX on after a second, with the default dwell and with none.
    FlipFigures flips[2];
    const int dwells[2] = {FollowSettings().dwellMs, 0};
    for (int run = 0; run < 2; ++run) {
        std::fprintf(stderr, "  band flips, dwell %d ms, %d s ...\n", dwells[run], seconds);
        follow->apply(followN1mm(udpPort, dwells[run]));
        station.settle(2);
        const int from = station.log().size();
        QUdpSocket logger;
        bool forty = false;
        QTimer flip;
        QObject::connect(&flip, &QTimer::timeout, &flip, [&] {
            forty = !forty;
            logger.writeDatagram(radioInfo(forty ? 710000 : 1420000), QHostAddress::LocalHost,
                                 udpPort);
        });
        flip.start(100);
        runEventLoopFor(1000);
        station.say("tx on");
        runEventLoopFor(seconds * 1000 - 1000);
        flip.stop();
        flips[run] = flipFigures(station.log(), from);
        station.say("tx off");
        station.settle(2);
    }

    // The flood: the operator's F-keys while N1MM RadioInfo floods the port.
    std::fprintf(stderr, "  N1MM flood, %d datagrams/s, %d s ...\n", rate, seconds);
    follow->apply(followN1mm(udpPort, FollowSettings().dwellMs));
    station.settle(2);
    const pid_t flooder = startChild([&] { flood(udpPort, rate, radioInfo(1420000)); });
    runEventLoopFor(500);
    // The key is posted as the window system's would be, and the loop runs freely: the
    // frame's stamp is taken in the link's thread as it goes to the port.
    QVector<double> keyToWire;
    const WireStamps stamps;
    const double cpu0 = processCpuSeconds(), wall0 = nowMs();
    for (int press = 0; nowMs() - wall0 < seconds * 1000.0; ++press) {
        const QString select = press % 2 ? "IGS2;" : "IGS5;"; // F3 and F6
        const double pressed = monotonicNowMs();
        QCoreApplication::postEvent(station.window.get(),
                                    new QKeyEvent(QEvent::KeyPress,
                                                  press % 2 ? Qt::Key_F3 : Qt::Key_F6,
                                                  Qt::NoModifier));
        runEventLoopFor(400);
        for (const WireStamps::Frame &frame : WireStamps::frames())
            if (frame.ms >= pressed && frame.text == select) {
                keyToWire.append(frame.ms - pressed);
                break;
            }
    }
    const double floodCpu = 100.0 * (processCpuSeconds() - cpu0) * 1000.0 / (nowMs() - wall0);
    const qint64 dropped = udpDrops(udpPort);
    stopChild(flooder);
    const Spread key = spreadOf(keyToWire, 0, 1000);

    // rigctld streaming without end.
    std::fprintf(stderr, "  rigctld streaming, %d s ...\n", seconds);
    quint16 rigPort = 0;
    const int listener = listenOnLoopback(&rigPort);
    const pid_t streamer = startChild([&] { streamForever(listener); });
    ::close(listener);
    FollowSettings rig;
    rig.follow = true;
    rig.source = SourceKind::Rigctld;
    rig.rigctldPort = rigPort;
    follow->apply(rig);
    runEventLoopFor(500);
    const double cpu1 = processCpuSeconds(), wall1 = nowMs();
    runEventLoopFor(seconds * 1000);
    const double streamCpu = 100.0 * (processCpuSeconds() - cpu1) * 1000.0 / (nowMs() - wall1);
    stopChild(streamer);
    unregisterResources();

    std::printf("| Following under hostile inputs (simulator, loopback) | Figure | Target |\n");
    std::printf("|---|---|---|\n");
    for (int run = 0; run < 2; ++run)
        std::printf("| Band flips every 100 ms, %d s, TX on after 1 s, dwell %d ms: selects / "
                    "while reported transmitting; longest gap between polls | %d / %d; %.0f ms "
                    "| — / 0; ≤ 400 ms |\n",
                    seconds, dwells[run], flips[run].selects, flips[run].underPower,
                    flips[run].longestPollGap);
    std::printf(
        "| N1MM flood %d datagrams/s, %d s: F-key to select on the wire p50 / p99 "
        "(%d presses); panel CPU; dropped by the kernel unread | %.1f / %.1f ms; %.1f %%; %lld "
        "| p99 ≤ 150 ms; ≤ 30 %% |\n",
        rate, seconds, int(keyToWire.size()), key.p50, key.p99, floodCpu,
        static_cast<long long>(dropped));
    std::printf("| rigctld peer streaming without end, %d s: panel CPU | %.2f %% | ≤ 2 %% |\n",
                seconds, streamCpu);
    return flips[0].underPower + flips[1].underPower == 0 ? 0 : 1;
}
