// The wire after the GUI thread was blocked for a second: a stalled GUI finds the pacing
// thread's posted send waiting, and the frames that follow must still keep their spacing.
#include <QLoggingCategory>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <algorithm>

#include "benchpanel.h"
#include "journeyfixture.h"
#include "link/linksession.h"
#include "realline.h"
#include "simlog.h"

namespace {

struct TxFrame
{
    double ms = 0;      // stamped by our handler, microsecond detail
    qint64 traceMs = 0; // the trace line's own stamp, whole milliseconds
    bool poll = false;  // a poll or a firmware query, both held to the poll's spacing
};

QVector<TxFrame> *frames = nullptr;
QtMessageHandler previousHandler = nullptr;

// The trace prints "<ms> ms TX <n> <hex> |<text>|" as the frame is handed to the port.
void noteWrite(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (qstrcmp(context.category, "orvik.wire") != 0) {
        previousHandler(type, context, msg);
        return;
    }
    if (!frames || !msg.contains(QLatin1String(" ms TX ")) || msg.contains(" failed, "))
        return;
    const bool poll = msg.endsWith(QLatin1String("|IGT3;|")) || msg.endsWith("|IGW;|");
    frames->append({monotonicNowMs(), msg.section(' ', 0, 0).toLongLong(), poll});
}

// The wire trace on for as long as this lives.
class WireCapture
{
public:
    explicit WireCapture(QVector<TxFrame> *into)
    {
        frames = into;
        previousHandler = qInstallMessageHandler(noteWrite);
        QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=true"));
    }
    ~WireCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=false"));
        qInstallMessageHandler(previousHandler);
        frames = nullptr;
    }
    WireCapture(const WireCapture &) = delete;
    WireCapture &operator=(const WireCapture &) = delete;
};

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
// is where the frames it held back go out.
Window stall()
{
    const double from = monotonicNowMs();
    QThread::msleep(1000);
    return {from, monotonicNowMs() + 1500};
}

} // namespace

StallFigures measureStalls(Station &station, int rounds)
{
    StallFigures f;
    QVector<TxFrame> written;
    QVector<Window> windows;
    {
        WireCapture capture(&written);
        if (!connectAgain(station))
            return f;
        runUntil([] { return linkSession.statusFrames >= 2; }, 3000);
        for (int r = 0; r < rounds; ++r) {
            // Words queued, then the stall: they wait behind it.
            for (int i = 0; i < 3; ++i)
                click(station, "botaoRelease");
            click(station, QString("botaoTecla%1").arg(r % 8 + 1));
            windows.append(stall());
            runUntil([&station] { return station.window->switchQueue.isEmpty(); }, 3000);
            runEventLoopFor(300);
            // Only polling: the stall holds back a poll.
            windows.append(stall());
            runEventLoopFor(800);
        }
        disconnect(station);
    }
    f.stalls = windows.size();
    double minTrace[2] = {-1, -1};
    for (int i = 1; i < written.size(); ++i) {
        const TxFrame &frame = written.at(i);
        const auto holds = [&frame](const Window &w) {
            return frame.ms >= w.fromMs && frame.ms <= w.toMs;
        };
        const bool afterStall = std::any_of(windows.cbegin(), windows.cend(), holds);
        if (!afterStall)
            continue;
        const double gap = frame.ms - written.at(i - 1).ms;
        const double traceGap = double(frame.traceMs - written.at(i - 1).traceMs);
        (frame.poll ? f.beforePoll : f.beforeWord).append(gap);
        f.wordsAfter += !frame.poll;
        double &least = minTrace[frame.poll ? 1 : 0];
        least = least < 0 ? traceGap : qMin(least, traceGap);
    }
    f.minTraceWordMs = minTrace[0];
    f.minTracePollMs = minTrace[1];
    return f;
}
