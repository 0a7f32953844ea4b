// orvik-station as it runs, a child process against orvik-sim on a pseudo-terminal, on free
// ports of 127.0.0.1, every client a line connection from this process:
//   - a status change on the wire to the S0|switch line at each of 32 subscribed clients,
//     p50 / p99 over every (change, client) pair, while another client selects TX 1..8 in
//     turn every 500 ms;
//   - the station's CPU while it polls with 8 idle subscribed clients;
//   - its resident memory with 32 subscribed clients, and its open files and resident
//     memory before and after connect-authenticate-close cycles.
// Every client authenticates (RequireAuth=always), as a client from another machine must.
//
//   bench_station [--changes N, default 50] [--seconds S, default 30]
//                 [--cycles N, default 1000] [--sim PATH] [--station PATH]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTcpSocket>

#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <poll.h>
#include <memory>
#include <utility>

#include "benchpanel.h"
#include "journeyfixture.h"
#include "link/switchstatus.h"
#include "linkstats.h"
#include "simlog.h"

namespace {

constexpr int subscriberCount = 32;
constexpr int idleSubscribers = 8;
constexpr int changeEveryMs = 500;

// One line connection, read in this thread's event loop: each S0|switch line is stamped
// the moment its bytes are taken, on the monotonic clock the simulator stamps its log by.
struct LineClient
{
    struct Arrival
    {
        double ms = 0;
        int tx = 0;
    };

    QTcpSocket socket;
    QByteArray partial;
    QByteArrayList replies; // greeting and R lines, in order
    QVector<Arrival> switches;

    void connectTo(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] {
            const double stamp = monotonicNowMs();
            partial += socket.readAll();
            for (int end; (end = partial.indexOf('\n')) >= 0; partial.remove(0, end + 1)) {
                const QByteArray line = partial.left(end);
                if (line.startsWith("S0|switch tx="))
                    switches.append({stamp, line.mid(13, line.indexOf(' ', 13) - 13).toInt()});
                else if (!line.startsWith("S0|"))
                    replies.append(line);
            }
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }

    // Sends the line and waits for the answer to its seq; true when that answer was 00.
    bool ask(int seq, const QByteArray &text, int timeoutMs = 5000)
    {
        const QByteArray head = "R" + QByteArray::number(seq) + "|";
        socket.write("C" + QByteArray::number(seq) + "|" + text + "\n");
        QByteArray got;
        waitFor(
            [&] {
                for (const QByteArray &r : std::as_const(replies))
                    if (r.startsWith(head))
                        got = r;
                return !got.isEmpty();
            },
            timeoutMs);
        return got.startsWith(head + "00|");
    }
};

// Connected, authenticated with the token, subscribed to switch changes when asked.
std::unique_ptr<LineClient> openClient(quint16 port, const QByteArray &token, bool subscribe)
{
    auto client = std::make_unique<LineClient>();
    client->connectTo(port);
    if (!waitFor([&] { return !client->replies.isEmpty(); }, 5000)
        || !client->replies.first().startsWith('V') || !client->ask(1, "auth token=" + token)
        || (subscribe && !client->ask(2, "sub switch")))
        return nullptr;
    return client;
}

// One client's whole life, blocking, on a plain socket: connect, the greeting, auth, its
// answer, then our end shut and the station's end read to its close. The station has let
// the connection go before the next one starts, so what it still holds afterwards is
// what it kept.
bool connectAuthClose(quint16 port, const QByteArray &token)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0)
        return false;
    QByteArray got;
    // Reads until the text holds `lines` line endings, or the station closes (false).
    const auto readLines = [&](int lines) {
        while (got.count('\n') < lines) {
            pollfd p{fd, POLLIN, 0};
            char buffer[512];
            if (::poll(&p, 1, 3000) != 1)
                return false;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            got.append(buffer, int(n));
        }
        return true;
    };
    if (!readLines(1) || !got.startsWith('V'))
        return false;
    const QByteArray auth = "C1|auth token=" + token + "\n";
    if (::send(fd, auth.constData(), size_t(auth.size()), MSG_NOSIGNAL) != auth.size()
        || !readLines(2) || !got.mid(got.indexOf('\n') + 1).startsWith("R1|00|"))
        return false;
    ::shutdown(fd, SHUT_WR);
    for (char buffer[512];;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 3000) != 1)
            return false;
        if (::read(fd, buffer, sizeof buffer) <= 0)
            return true;
    }
}

// CPU time of another process, all its threads, in seconds: its CPU clock counts in
// nanoseconds, where /proc/<pid>/stat counts in ticks of 10 ms, too coarse for a few
// tenths of a percent over half a minute. The ticks where the clock is not to be had.
double stationCpuSeconds(qint64 pid)
{
    clockid_t clock;
    timespec t{};
    if (::clock_getcpuclockid(pid_t(pid), &clock) != 0 || ::clock_gettime(clock, &t) != 0)
        return childCpuSeconds(pid);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

int openFiles(qint64 pid)
{
    DIR *dir = ::opendir(QByteArray("/proc/" + QByteArray::number(pid) + "/fd").constData());
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent *entry = ::readdir(dir))
        count += entry->d_name[0] != '.';
    ::closedir(dir);
    return count;
}

int answeredPolls(const QVector<SimLine> &log, double fromMs, double toMs)
{
    int n = 0;
    for (const SimLine &line : log)
        n += line.dir == "tx" && line.kind == "poll" && line.ms >= fromMs && line.ms < toMs;
    return n;
}

// When the simulator finished writing the first status answer after sentMs that shows TX
// on this antenna: the change on the wire. -1 when none did.
double changeOnWire(const QVector<SimLine> &log, double sentMs, int antenna)
{
    for (const SimLine &line : log) {
        if (line.ms < sentMs || line.dir != "tx" || line.kind != "poll")
            continue;
        const std::optional<SwitchStatus> status = SwitchStatus::decode(line.bytes);
        if (status && status->txPos + 1 == antenna)
            return line.ms;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    int changes = 50, seconds = 30, cycles = 1000;
    QString sim = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    QString station = qEnvironmentVariable("ORVIK_STATION", QStringLiteral(ORVIK_STATION_DEFAULT));
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray name = argv[i], value = argv[i + 1];
        if (name == "--changes")
            changes = value.toInt();
        else if (name == "--seconds")
            seconds = value.toInt();
        else if (name == "--cycles")
            cycles = value.toInt();
        else if (name == "--sim")
            sim = QString::fromLocal8Bit(value);
        else if (name == "--station")
            station = QString::fromLocal8Bit(value);
        else
            argc = 0; // to the usage below
    }
    // Bounded: the selector's seqs stay in 1..65535, and the load stays a bench's.
    if (argc % 2 == 0 || changes < 1 || changes > 10000 || seconds < 1 || seconds > 3600
        || cycles < 1 || cycles > 100000) {
        std::fprintf(stderr, "usage: bench_station [--changes N] [--seconds S] [--cycles N] "
                             "[--sim PATH] [--station PATH]\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString tty = dir.filePath("tty"), simLog = dir.filePath("sim.jsonl"),
                  ini = dir.filePath("station.ini");
    const quint16 linePort = freeLoopbackPort(), webPort = freeLoopbackPort();
    const auto fail = [&](const char *what) {
        std::fprintf(stderr, "bench_station: %s (the logs are kept in %s)\n", what,
                     qPrintable(dir.path()));
        dir.setAutoRemove(false);
        return 1;
    };
    {
        QFile file(ini);
        if (!file.open(QIODevice::WriteOnly))
            return fail("cannot write the configuration");
        // Room for the 33 clients at once; more unauthenticated connections per address
        // than one at a time, since the station hears a close a moment after the next
        // cycle connects.
        file.write(QString("[Station]\nPort=%1\nListen=127.0.0.1:%2\nWeb=127.0.0.1:%3\n"
                           "RequireAuth=always\nMaxClients=64\nUnauthenticatedPerAddress=64\n")
                       .arg(tty)
                       .arg(linePort)
                       .arg(webPort)
                       .toUtf8());
    }
    QProcess addToken;
    addToken.start(station, {"--config", ini, "--add-token", "bench", "--role", "control"});
    if (!addToken.waitForFinished(10000) || addToken.exitCode() != 0)
        return fail("--add-token failed");
    const QByteArray token = addToken.readAllStandardOutput().trimmed();

    QProcess simulator, server;
    const auto stopBoth = qScopeGuard([&] {
        stopTool(server);
        simulator.write("quit\n");
        if (!simulator.waitForFinished(3000))
            stopTool(simulator);
    });
    simulator.setStandardErrorFile(dir.filePath("sim.stderr"));
    simulator.start(sim, {"--link", tty, "--log", simLog});
    if (!simulator.waitForStarted(5000) || !waitFor([&] { return simulator.canReadLine(); }, 5000))
        return fail("the simulator did not start");
    server.setStandardOutputFile(dir.filePath("station.stdout"));
    server.setStandardErrorFile(dir.filePath("station.stderr"));
    server.start(station, {"--config", ini});
    const qint64 pid = server.processId();
    // Up when it listens and the switch has answered it twice.
    if (!server.waitForStarted(5000)
        || !waitFor([&] { return listensOnLoopback(linePort) && listensOnLoopback(webPort); },
                    10000)
        || !waitFor([&] { return answeredPolls(readSimLog(simLog), 0, 1e18) >= 2; }, 10000))
        return fail("the station did not start or did not poll");
    runEventLoopFor(1000);
    const qint64 rssAlone = procStatusKiB("VmRSS", pid);

    // Status change on the wire to every subscriber's S0|switch line.
    std::fprintf(stderr, "  %d subscribers, %d changes every %d ms ...\n", subscriberCount, changes,
                 changeEveryMs);
    std::vector<std::unique_ptr<LineClient>> subscribers;
    for (int i = 0; i < subscriberCount; ++i) {
        subscribers.push_back(openClient(linePort, token, true));
        if (!subscribers.back())
            return fail("a subscriber was not let in");
    }
    std::unique_ptr<LineClient> selector = openClient(linePort, token, false);
    if (!selector)
        return fail("the selecting client was not let in");
    runEventLoopFor(1000);
    QVector<double> sentMs;
    QVector<int> antennas;
    int notDone = 0;
    {
        QTimer tick;
        QEventLoop loop;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (sentMs.size() == changes) {
                tick.stop();
                QTimer::singleShot(1000, &loop, &QEventLoop::quit);
                return;
            }
            // 2, 3, ... 8, 1, 2: each one another antenna than the one before (the
            // simulator starts on 1).
            const int antenna = (sentMs.size() + 1) % 8 + 1;
            const int seq = sentMs.size() + 2; // C1 was the auth
            sentMs.append(monotonicNowMs());
            antennas.append(antenna);
            selector->socket.write("C" + QByteArray::number(seq)
                                   + "|select tx=" + QByteArray::number(antenna) + "\n");
        });
        tick.start(changeEveryMs);
        loop.exec();
        for (int seq = 2; seq < changes + 2; ++seq)
            notDone += !selector->replies.contains("R" + QByteArray::number(seq) + "|00|done");
    }
    const QVector<SimLine> log = readSimLog(simLog);
    QVector<double> latencies;
    int notOnWire = 0, missed = 0;
    for (int k = 0; k < changes; ++k) {
        const double wire = changeOnWire(log, sentMs[k], antennas[k]);
        const double until = k + 1 < changes ? sentMs[k + 1] : 1e18;
        if (wire < 0) {
            ++notOnWire;
            continue;
        }
        for (const auto &client : subscribers) {
            double arrived = -1;
            for (const LineClient::Arrival &a : std::as_const(client->switches))
                if (a.ms >= sentMs[k] && a.ms < until && a.tx == antennas[k]) {
                    arrived = a.ms;
                    break;
                }
            if (arrived < 0)
                ++missed;
            else
                latencies.append(arrived - wire);
        }
    }
    const Spread push = spreadOf(latencies, 0, 30);

    // Resident memory with the 32 subscribers connected (the selector gone).
    selector.reset();
    runEventLoopFor(1000);
    const qint64 rssSubscribed = procStatusKiB("VmRSS", pid);

    // CPU while polling, 8 idle subscribers.
    std::fprintf(stderr, "  %d idle subscribers, %d s ...\n", idleSubscribers, seconds);
    subscribers.resize(idleSubscribers);
    runEventLoopFor(1000);
    const double cpu0 = stationCpuSeconds(pid), wall0 = monotonicNowMs();
    runEventLoopFor(seconds * 1000);
    const double cpu1 = stationCpuSeconds(pid), wall1 = monotonicNowMs();
    const double idleCpu = 100.0 * (cpu1 - cpu0) * 1000.0 / (wall1 - wall0);
    const int idlePolls = answeredPolls(readSimLog(simLog), wall0, wall1);

    // Connect-authenticate-close cycles, one after the other, every client gone before.
    std::fprintf(stderr, "  %d connect-auth-close cycles ...\n", cycles);
    subscribers.clear();
    runEventLoopFor(1000);
    const int filesBefore = openFiles(pid);
    const qint64 rssBefore = procStatusKiB("VmRSS", pid);
    int failedCycles = 0;
    QElapsedTimer cycleTime;
    cycleTime.start();
    for (int i = 0; i < cycles; ++i)
        failedCycles += !connectAuthClose(linePort, token);
    const double cycleSeconds = cycleTime.elapsed() / 1000.0;
    // The station has heard every close by now; the last ones are let go in its next turn.
    waitFor([&] { return openFiles(pid) <= filesBefore; }, 3000);
    runEventLoopFor(500);
    const int filesAfter = openFiles(pid);
    const qint64 rssAfter = procStatusKiB("VmRSS", pid);
    if (server.state() != QProcess::Running)
        return fail("the station is gone");

    std::printf("| orvik-station (simulator, loopback, every client authenticated) | Figure "
                "| Target |\n");
    std::printf("|---|---|---|\n");
    std::printf("| Status change on the wire to S0\\|switch at each of %d subscribed line "
                "clients, p50 / p99 (%d changes every %d ms, %d pairs; max %.1f ms) | %.1f / "
                "%.1f ms | p99 ≤ 30 ms |\n",
                subscriberCount, changes, changeEveryMs, push.count, push.max, push.p50, push.p99);
    std::printf("| Changes not seen on the wire / pushes missed / selects not answered done | "
                "%d / %d / %d | 0 / 0 / 0 |\n",
                notOnWire, missed, notDone);
    std::printf("| Key to wire and status to painted, panel in station mode | bench_remote | |\n");
    std::printf("| Station CPU polling with %d idle subscribed clients, %d s (%d polls "
                "answered) | %.2f %% | ≤ 0.5 %% |\n",
                idleSubscribers, seconds, idlePolls, idleCpu);
    std::printf("| Station VmRSS with %d subscribed clients (with none: %lld KiB) | %.1f MiB "
                "(%lld KiB) | ≤ 20 MiB |\n",
                subscriberCount, static_cast<long long>(rssAlone), rssSubscribed / 1024.0,
                static_cast<long long>(rssSubscribed));
    std::printf("| %d connect–auth–close cycles in %.2f s (%d failed): station's open files, "
                "before → after | %d → %d | no growth |\n",
                cycles, cycleSeconds, failedCycles, filesBefore, filesAfter);
    std::printf("| The same cycles: station VmRSS, before → after | %lld → %lld KiB (%+lld) "
                "| no growth |\n",
                static_cast<long long>(rssBefore), static_cast<long long>(rssAfter),
                static_cast<long long>(rssAfter - rssBefore));
    return notOnWire + missed + notDone + failedCycles == 0 ? 0 : 1;
}
