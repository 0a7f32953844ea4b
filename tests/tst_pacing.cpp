#include "link/pacing.h"
#include "tables.h"

// The pacing decision and the watchdog rule, driven by a fake clock.
class TestPacing : public QObject
{
    Q_OBJECT

private slots:
    void decision_data()
    {
        columns<qint64, int, bool, bool>({"now", "queued", "sendQueued", "sendPoll"});
        // Times in microseconds; the last send was at 1 s.
        row("idle, 150 ms: not yet", qint64(1150000), 0, false, false);
        row("idle, 150.001 ms: poll", qint64(1150001), 0, false, true);
        row("queued, 100 ms: not yet", qint64(1100000), 1, false, false);
        row("queued, 100.001 ms: the word", qint64(1100001), 2, true, false);
        row("queued, 160 ms: the word, never the poll", qint64(1160000), 1, true, false);
        row("clock behind the stamp, queued", qint64(500000), 3, false, false);
        row("stale negative count treated as empty", qint64(1151000), -1, false, true);
    }
    void decision()
    {
        QFETCH(qint64, now);
        QFETCH(int, queued);
        const PacingDecision d = decidePacing(PacingTime(now), PacingTime(1000000), queued);
        QTEST(d.sendQueued, "sendQueued");
        QTEST(d.sendPoll, "sendPoll");
        QCOMPARE(qint64(d.lastSend.count()), d.sendQueued || d.sendPoll ? now : 1000000);
    }

    void watchdog_data()
    {
        columns<qint64, bool>({"sinceLastPacket", "alive"});
        row("at the limit", qint64(1500), true);
        row("one past the limit", qint64(1501), false);
        row("stamp in the future", qint64(-5000), true);
    }
    void watchdog()
    {
        QFETCH(qint64, sinceLastPacket);
        QTEST(linkIsAlive(1000000, 1000000 - sinceLastPacket), "alive");
    }
};

QTEST_APPLESS_MAIN(TestPacing)
#include "tst_pacing.moc"
