#include "link/pacing.h"
#include "tables.h"

// The pacing decision and the watchdog rule, driven by a fake clock.
class TestPacing : public QObject
{
    Q_OBJECT

private slots:
    void decision_data()
    {
        // inARow: words written since the last poll
        columns<qint64, int, bool, bool, int>(
            {"now", "queued", "sendQueued", "sendPoll", "inARow"});
        // Times in microseconds; the last send was at 1 s.
        row("idle, 150 ms: not yet", qint64(1150000), 0, false, false, 0);
        row("idle, 150.001 ms: poll", qint64(1150001), 0, false, true, 0);
        row("queued, 100 ms: not yet", qint64(1100000), 1, false, false, 0);
        row("queued, 100.001 ms: the word", qint64(1100001), 2, true, false, 0);
        row("queued, 160 ms: the word, not the poll", qint64(1160000), 1, true, false, 0);
        row("clock behind the stamp, queued", qint64(500000), 3, false, false, 0);
        row("stale negative count treated as empty", qint64(1151000), -1, false, true, 0);
        row("two words in a row, 120 ms: not yet the poll", qint64(1120000), 4, false, false, 2);
        row("two words in a row, 150.001 ms: the poll", qint64(1150001), 4, false, true, 2);
        row("one word in a row: the next word", qint64(1100001), 4, true, false, 1);
    }
    void decision()
    {
        QFETCH(qint64, now);
        QFETCH(int, queued);
        QFETCH(int, inARow);
        const PacingDecision d = decidePacing(PacingTime(now), PacingTime(1000000), queued, inARow);
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
