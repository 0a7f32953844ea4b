// Follow Radio against Hamlib's rigctld (its dummy rig) and orvik-sim, with the real
// panel in-process under the offscreen platform:
//   - band change at rigctld to the select's first byte at the simulator: p50 and p99;
//   - the panel's CPU while following rigctld, against polling alone, in the same run;
//   - a drill of random band changes, transmit periods and busy antennas, counting the
//     selects the controller received after it had last reported transmitting.
//
//   bench_follow [--changes N, default 100] [--cpu-seconds S, default 30]
//                [--drill-minutes M, default 10] [--sim PATH]

#include <QRandomGenerator>

#include <cstdio>

#include "app/resources.h"
#include "benchpanel.h"
#include "journeyfixture.h"
#include "link/clock.h"
#include "linkstats.h"
#include "radio/bands.h"
#include "radio/radiofollow.h"

namespace {

double nowMs()
{
    return double(monotonicMs());
}

// A plain second client of rigctld that tunes the dummy rig as a logger would.
class Tuner
{
public:
    explicit Tuner(quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~Tuner() { ::close(fd); }
    bool connected = false;

    // Sends the command and reads its "RPRT" answer; true when rigctld took it.
    bool tune(qint64 hz)
    {
        const QByteArray line = "F " + QByteArray::number(hz) + '\n';
        if (::send(fd, line.constData(), size_t(line.size()), 0) != line.size())
            return false;
        char answer[64] = {};
        const ssize_t n = ::recv(fd, answer, sizeof answer - 1, 0);
        return n > 0 && QByteArray(answer, int(n)).startsWith("RPRT 0");
    }

private:
    int fd = -1;
};

qint64 middleOf(const BandWindow &band)
{
    return (band.lowHz + band.highHz) / 2 / 1000 * 1000;
}
int antennaOf(int bandIndex)
{
    return bandIndex % 8 + 1;
}

FollowSettings followRigctld(quint16 port)
{
    FollowSettings follow;
    follow.follow = true;
    follow.source = SourceKind::Rigctld;
    follow.rigctldPort = port;
    for (int i = 0; i < bandWindows().size(); ++i)
        follow.bandTx.insert(bandWindows().at(i).name, antennaOf(i));
    return follow;
}

// A band whose antenna differs from the one in use.
int otherBand(int current)
{
    for (;;) {
        const int next = int(QRandomGenerator::global()->bounded(bandWindows().size()));
        if (antennaOf(next) != antennaOf(current))
            return next;
    }
}

struct Options
{
    int changes = 100;
    int cpuSeconds = 30;
    double drillMinutes = 10;
};

bool parse(int argc, char **argv, Options *o, QString *sim)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray name = argv[i];
        const QByteArray value = argv[i + 1];
        if (name == "--changes")
            o->changes = value.toInt();
        else if (name == "--cpu-seconds")
            o->cpuSeconds = value.toInt();
        else if (name == "--drill-minutes")
            o->drillMinutes = value.toDouble();
        else if (name == "--sim")
            *sim = QString::fromLocal8Bit(value);
        else
            return false;
    }
    return (argc % 2) == 1 && o->changes > 0 && o->cpuSeconds > 0 && o->drillMinutes >= 0;
}

// The selects the controller received after it had last reported transmitting, and all.
struct WireCount
{
    int selects = 0;
    int underPower = 0;
};

WireCount countSelects(const QVector<SimLine> &log, int from)
{
    WireCount count;
    bool reportedTransmitting = false;
    for (const SimLine &line : log.mid(from)) {
        if (line.dir == "tx" && line.kind == "poll" && line.bytes.size() == 13)
            reportedTransmitting = line.bytes.at(8) == 1;
        if (line.dir == "rx" && line.bytes.startsWith("IGS")) {
            ++count.selects;
            count.underPower += reportedTransmitting;
        }
    }
    return count;
}

} // namespace

int main(int argc, char *argv[])
{
    Options o;
    QString sim = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    if (!parse(argc, argv, &o, &sim)) {
        std::fprintf(stderr, "usage: bench_follow [--changes N] [--cpu-seconds S]"
                             " [--drill-minutes M] [--sim PATH]\n");
        return 2;
    }
    qputenv("ORVIK_SIM", sim.toLocal8Bit());
    BenchApplication app(argv[0], "follow");

    Rigctld rig;
    const QString rigError = rig.start();
    if (!rigError.isEmpty()) {
        std::fprintf(stderr, "bench_follow: %s\n", qPrintable(rigError));
        return 1;
    }
    Station station;
    const QString simError = station.startSimulator();
    station.openWindow();
    if (!simError.isEmpty() || !station.connectTo(station.link) || !station.settle(3)) {
        std::fprintf(stderr, "bench_follow: no controller: %s\n", qPrintable(simError));
        return 1;
    }
    auto *follow = station.window->findChild<RadioFollow *>();
    Tuner tuner(rig.port);
    if (!tuner.connected)
        return 1;

    // CPU: polling alone, then following rigctld, each for the same time.
    const auto cpuPercent = [&] {
        const double cpu0 = processCpuSeconds();
        const double wall0 = nowMs();
        runEventLoopFor(o.cpuSeconds * 1000);
        return 100.0 * (processCpuSeconds() - cpu0) * 1000.0 / (nowMs() - wall0);
    };
    std::fprintf(stderr, "  CPU, %d s polling, then %d s following ...\n", o.cpuSeconds,
                 o.cpuSeconds);
    const double pollingCpu = cpuPercent();
    int band = 5; // 20m
    tuner.tune(middleOf(bandWindows().at(band)));
    follow->apply(followRigctld(rig.port));
    waitFor([&] { return station.settle(2); }, 5000);
    const double followingCpu = cpuPercent();

    // Latency: each change waits for the switch to report the new antenna.
    std::fprintf(stderr, "  %d band changes ...\n", o.changes);
    QVector<double> latencies;
    for (int i = 0; i < o.changes; ++i) {
        band = otherBand(band);
        const int mark = station.log().size();
        const double sent = nowMs();
        if (!tuner.tune(middleOf(bandWindows().at(band))))
            break;
        double arrived = 0;
        waitFor(
            [&] {
                for (const SimLine &l : station.log().mid(mark))
                    if (l.dir == "rx" && l.bytes.startsWith("IGS"))
                        return (arrived = l.ms) > 0;
                return false;
            },
            5000);
        if (arrived > 0)
            latencies.append(arrived - sent);
        station.settle(2);
    }
    const Spread latency = spreadOf(latencies, 0, 1000);

    // The drill: every 0.3..3 s a band change, a transmit period or a busy antenna.
    std::fprintf(stderr, "  drill, %s min ...\n", qPrintable(QString::number(o.drillMinutes)));
    const int drillFrom = station.log().size();
    const double drillEnd = nowMs() + o.drillMinutes * 60000.0;
    int bandChanges = 0, transmits = 0, busies = 0;
    auto *random = QRandomGenerator::global();
    while (nowMs() < drillEnd) {
        const int what = int(random->bounded(4));
        if (what < 2) {
            band = otherBand(band);
            tuner.tune(middleOf(bandWindows().at(band)));
            ++bandChanges;
        } else if (what == 2) {
            station.say("tx on");
            runEventLoopFor(int(random->bounded(500, 3000)));
            station.say("tx off");
            ++transmits;
        } else {
            station.say("busy " + QByteArray::number(random->bounded(1, 9)));
            runEventLoopFor(int(random->bounded(500, 3000)));
            station.say("busy none");
            ++busies;
        }
        runEventLoopFor(int(random->bounded(300, 3000)));
    }
    station.settle(2);
    const WireCount wire = countSelects(station.log(), drillFrom);
    unregisterResources();

    std::printf("| Follow Radio (rigctld dummy rig, simulator) | Figure | Target |\n");
    std::printf("|---|---|---|\n");
    std::printf("| Band change to select on the wire, p50 / p99 (%d changes) | %.0f / %.0f ms "
                "| p99 ≤ 1000 ms |\n",
                int(latencies.size()), latency.p50, latency.p99);
    std::printf("| Panel CPU, polling alone / following rigctld (%d s each) | %.2f / %.2f %% "
                "| ≤ 1 / ≤ 1.5 %% |\n",
                o.cpuSeconds, pollingCpu, followingCpu);
    std::printf("| Drill, %s min: band changes, transmit periods, busy periods | %d, %d, %d | |\n",
                qPrintable(QString::number(o.drillMinutes)), bandChanges, transmits, busies);
    std::printf("| Selects on the wire in the drill / after the switch reported transmitting "
                "| %d / %d | — / 0 |\n",
                wire.selects, wire.underPower);
    return latencies.size() == o.changes && wire.underPower == 0 ? 0 : 1;
}
