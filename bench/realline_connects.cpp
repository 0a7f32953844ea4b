// What a connection hears on a real line: the share of status answers decoded, and the
// firmware line on repeated connects.
#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include "benchpanel.h"
#include "journeyfixture.h"
#include "realline.h"
#include "simlog.h"

double runUntil(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return monotonicNowMs();
    QEventLoop loop;
    double heldAt = -1;
    auto *dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&]() {
        if (heldAt < 0 && condition()) {
            heldAt = monotonicNowMs();
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return heldAt;
}

bool connectAgain(Station &station)
{
    // The link opens the port in its own thread and says how it went from there.
    QObject listener;
    int opened = 0;
    int failed = 0;
    QObject::connect(station.controller(), &ControllerLink::opened, &listener, [&] { ++opened; });
    QObject::connect(station.controller(), &ControllerLink::openFailed, &listener,
                     [&] { ++failed; });
    station.action("actionConnect_to_KELMAR")->trigger();
    runUntil([&] { return opened + failed > 0; }, 5000);
    return opened > 0;
}

void disconnect(Station &station)
{
    station.action("actionDisconnect")->trigger();
}

ShareFigures measureShare(Station &station, int seconds)
{
    ShareFigures f;
    const int mark = station.log().size();
    AnswerWatch watch(station.controller());
    const double connectAt = monotonicNowMs();
    f.connected = connectAgain(station);
    if (!f.connected)
        return f;
    const double first = runUntil([&watch] { return watch.decoded() > 0; }, 3000);
    if (first >= 0)
        f.firstStatusMs = first - connectAt;
    runEventLoopFor(int(qMax(0.0, connectAt + seconds * 1000.0 - monotonicNowMs())));
    // Disconnect wherever the poll cycle happens to be, as an operator would.
    disconnect(station);
    watch.disconnected();
    f.seconds = (monotonicNowMs() - connectAt) / 1000.0;
    runUntil([&watch] { return watch.closed(); }, 3000);
    runEventLoopFor(300); // an answer still going out is finished and logged
    f.answers = watch.count(station.log().mid(mark));
    return f;
}

FirmwareFigures measureFirmware(Station &station, int connects)
{
    FirmwareFigures f;
    auto *label = station.window->findChild<QLabel *>("labelFWVersion");
    for (int i = 0; i < connects; ++i) {
        label->clear();
        ++f.connects;
        const double connectAt = monotonicNowMs();
        if (!connectAgain(station))
            continue;
        const double shown =
            runUntil([label] { return label->text().startsWith(QLatin1String("FW Revision: ")); },
                     3000);
        disconnect(station);
        if (shown >= 0) {
            ++f.shown;
            f.latencyMs.append(shown - connectAt);
            f.wrongValue += label->text() != QLatin1String("FW Revision: 1.0");
        }
        runEventLoopFor(150); // what was on its way arrives, unread
    }
    return f;
}
