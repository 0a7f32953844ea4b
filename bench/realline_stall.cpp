// The wire while the GUI thread is blocked for a second at a time: the link keeps its own
// time in its own thread, so the frames written during and after a stall must keep their
// spacing as they are handed to the port.
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <algorithm>

#include "benchpanel.h"
#include "journeyfixture.h"
#include "realline.h"
#include "simlog.h"

namespace {

void click(Station &station, const QString &name)
{
    if (auto *button = station.window->findChild<QPushButton *>(name))
        QTest::mouseClick(button, Qt::LeftButton);
}

struct Window
{
    double fromMs = 0;
    double toMs = 0;
};

// Blocks the GUI thread for a second; the stretch from then until 1.5 s after it ends
// is where the frames it might have held back go out.
Window stall()
{
    const double from = monotonicNowMs();
    QThread::msleep(1000);
    return {from, monotonicNowMs() + 1500};
}

int wordsWritten()
{
    const QVector<WireStamps::Frame> frames = WireStamps::frames();
    return int(std::count_if(frames.cbegin(), frames.cend(), [](const WireStamps::Frame &f) {
        return !f.poll() && !f.firmwareQuery();
    }));
}

} // namespace

StallFigures measureStalls(Station &station, int rounds)
{
    StallFigures f;
    QVector<WireStamps::Frame> written;
    QVector<Window> windows;
    {
        const WireStamps stamps;
        if (!connectAgain(station) || !station.settle(2))
            return f;
        for (int r = 0; r < rounds; ++r) {
            // Four words pressed, then the stall: they go out while the window is blocked.
            const int words = wordsWritten() + 4;
            for (int i = 0; i < 3; ++i)
                click(station, "botaoRelease");
            click(station, QString("botaoTecla%1").arg(r % 8 + 1));
            windows.append(stall());
            runUntil([words] { return wordsWritten() >= words; }, 3000);
            runEventLoopFor(300);
            // Only polling: a stall with nothing pressed.
            windows.append(stall());
            runEventLoopFor(800);
        }
        disconnect(station);
        written = WireStamps::frames();
    }
    f.stalls = windows.size();
    double minTrace[2] = {-1, -1};
    for (int i = 1; i < written.size(); ++i) {
        const WireStamps::Frame &frame = written.at(i);
        const auto holds = [&frame](const Window &w) {
            return frame.ms >= w.fromMs && frame.ms <= w.toMs;
        };
        if (!std::any_of(windows.cbegin(), windows.cend(), holds))
            continue;
        // The firmware query waits as a poll does.
        const bool poll = frame.poll() || frame.firmwareQuery();
        const double gap = frame.ms - written.at(i - 1).ms;
        const double traceGap = double(frame.traceMs - written.at(i - 1).traceMs);
        (poll ? f.beforePoll : f.beforeWord).append(gap);
        f.wordsAfter += !poll;
        double &least = minTrace[poll ? 1 : 0];
        least = least < 0 ? traceGap : qMin(least, traceGap);
    }
    f.minTraceWordMs = minTrace[0];
    f.minTracePollMs = minTrace[1];
    return f;
}
