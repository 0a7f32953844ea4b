// The panel served by orvik-station against the same panel on the port, measured the same
// way in one run with the real window in-process and orvik-sim on a pseudo-terminal:
//   - TX key pressed to the select's frame at the simulator;
//   - a status answer that marks antenna 3 busy (or free again), written by the simulator,
//     to the BUSY key restyled in the window.
//
//   bench_remote [--presses N, default 100] [--sim PATH] [--station PATH]

#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

#include <cstdio>

#include "app/resources.h"
#include "benchpanel.h"
#include "journeyfixture.h"
#include "linkstats.h"
#include "panel/styles.h"
#include "simlog.h"

namespace {

// When the watched key was last restyled.
class StyleStamp : public QObject
{
public:
    explicit StyleStamp(QWidget *key) { key->installEventFilter(this); }
    double lastMs = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::StyleChange)
            lastMs = monotonicNowMs();
        return false;
    }
};

struct Figures
{
    Spread keyToWire;
    Spread statusToPainted;
    int presses = 0;
    int statuses = 0;
};

Figures measure(Station &station, int presses)
{
    QVector<double> keyToWire, statusToPainted;
    for (int i = 0; i < presses; ++i) {
        const int key = i % 2 ? 3 : 6;
        const QByteArray frame = "IGS" + QByteArray::number(key - 1) + ';';
        const int mark = station.log().size();
        const double pressed = monotonicNowMs();
        QTest::mouseClick(txKey(*station.window, key), Qt::LeftButton);
        runEventLoopFor(350);
        for (const SimLine &l : station.log().mid(mark))
            if (l.dir == "rx" && l.bytes == frame) {
                keyToWire << l.ms - pressed;
                break;
            }
    }
    auto *busyKey = station.window->findChild<QWidget *>(QStringLiteral("botaoBusy3"));
    StyleStamp painted(busyKey);
    for (int i = 0; i < presses; ++i) {
        const bool busy = i % 2 == 0;
        const int mark = station.log().size();
        painted.lastMs = 0;
        station.say(busy ? "busy 3" : "busy none");
        runEventLoopFor(450);
        // The first answer written with the new mask: byte 5 is the free mask, bit 2 antenna 3.
        for (const SimLine &l : station.log().mid(mark))
            if (l.dir == "tx" && l.bytes.size() == 13 && bool(l.bytes.at(5) & 0x04) != busy) {
                if (painted.lastMs > 0)
                    statusToPainted << painted.lastMs - l.ms;
                break;
            }
    }
    Figures f;
    f.presses = keyToWire.size();
    f.statuses = statusToPainted.size();
    f.keyToWire = spreadOf(keyToWire, 0, 1000);
    f.statusToPainted = spreadOf(statusToPainted, 0, 1000);
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    int presses = 100;
    QString sim = qEnvironmentVariable("ORVIK_SIM", QStringLiteral(ORVIK_SIM_DEFAULT));
    QString stationProgram = QStringLiteral(ORVIK_STATION_DEFAULT);
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray name = argv[i];
        if (name == "--presses")
            presses = QByteArray(argv[i + 1]).toInt();
        else if (name == "--sim")
            sim = QString::fromLocal8Bit(argv[i + 1]);
        else if (name == "--station")
            stationProgram = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (argc % 2 == 0 || presses < 2) {
        std::fprintf(stderr, "usage: bench_remote [--presses N] [--sim PATH] [--station PATH]\n");
        return 2;
    }
    qputenv("ORVIK_SIM", sim.toLocal8Bit());
    BenchApplication app(argv[0], "remote");
    Station station;
    const QString simError = station.startSimulator();
    station.openWindow();
    if (!simError.isEmpty() || !station.connectTo(station.link) || !station.settle(3)) {
        std::fprintf(stderr, "bench_remote: no controller: %s\n", qPrintable(simError));
        return 1;
    }
    std::fprintf(stderr, "  the panel on the port: %d presses, %d busy changes ...\n", presses,
                 presses);
    const Figures port = measure(station, presses);

    // The same window, served by orvik-station on the same simulator.
    station.action("actionDisconnect")->trigger();
    const quint16 linePort = freeLoopbackPort();
    const QString config = station.dir.filePath("station.ini");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QString("[Station]\nPort=%1\nListen=127.0.0.1:%2\nWeb=127.0.0.1:%3\n")
                   .arg(station.link)
                   .arg(linePort)
                   .arg(freeLoopbackPort())
                   .toUtf8());
    file.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(stationProgram, {"--config", config});
    if (!waitFor([&] { return listensOnLoopback(linePort); }, 10000)) {
        std::fprintf(stderr, "bench_remote: orvik-station did not start\n");
        return 1;
    }
    QTimer::singleShot(0, station.window.get(), [&] {
        auto *host = station.window->findChild<QLineEdit *>(QStringLiteral("stationHost"));
        host->setText(QStringLiteral("127.0.0.1"));
        host->window()->findChild<QSpinBox *>(QStringLiteral("stationPort"))->setValue(linePort);
        qobject_cast<QDialog *>(host->window())->accept();
    });
    station.action("actionConnect_to_Station")->trigger();
    if (!waitFor([&] { return station.window->panelModel().look().power == styleLinkUp; }, 10000)) {
        std::fprintf(stderr, "bench_remote: the panel did not reach the station\n");
        return 1;
    }
    station.settle(3);
    std::fprintf(stderr, "  the panel served by orvik-station: the same ...\n");
    const Figures remote = measure(station, presses);
    server.kill();
    server.waitForFinished(3000);
    unregisterResources();

    std::printf("| The panel served by orvik-station, against the panel on the port (same run) "
                "| On the port | Served by the station | Target |\n|---|---|---|---|\n");
    std::printf("| TX key press to the select at the simulator, p50 / p99 (%d / %d presses) "
                "| %.1f / %.1f ms | %.1f / %.1f ms | p99 within 20 ms |\n",
                port.presses, remote.presses, port.keyToWire.p50, port.keyToWire.p99,
                remote.keyToWire.p50, remote.keyToWire.p99);
    std::printf("| Status answer written to the BUSY key restyled, p50 / p99 (%d / %d changes) "
                "| %.1f / %.1f ms | %.1f / %.1f ms | p99 within 20 ms |\n",
                port.statuses, remote.statuses, port.statusToPainted.p50, port.statusToPainted.p99,
                remote.statusToPainted.p50, remote.statusToPainted.p99);
    return port.presses == presses && remote.presses == presses ? 0 : 1;
}
