#include <QtTest>

#include "link/pacing.h"

// The pacing decision and the watchdog rule, driven by a fake clock.
class TestPacing : public QObject
{
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void watchdog_data();
    void watchdog();
};

void TestPacing::decision_data()
{
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("lastSend");
    QTest::addColumn<int>("queued");
    QTest::addColumn<bool>("sendQueued");
    QTest::addColumn<bool>("sendPoll");
    QTest::addColumn<qint64>("newLastSend");

    // Times in microseconds; the last send was at 1 s.
    auto row = [](const char *name, qint64 now, int queued, bool word, bool poll) {
        QTest::newRow(name) << now << qint64(1000000) << queued << word << poll
                            << (word || poll ? now : qint64(1000000));
    };
    row("idle, 150 ms: not yet", 1150000, 0, false, false);
    row("idle, 150.001 ms: poll", 1150001, 0, false, true);
    row("queued, 100 ms: not yet", 1100000, 1, false, false);
    row("queued, 100.001 ms: the word", 1100001, 2, true, false);
    row("queued, 160 ms: the word, never the poll", 1160000, 1, true, false);
    row("clock behind the stamp, idle", 500000, 0, false, false);
    row("clock behind the stamp, queued", 500000, 3, false, false);
    row("far behind", -100000000, 0, false, false);
    row("stale negative count treated as empty", 1151000, -1, false, true);
}

void TestPacing::decision()
{
    QFETCH(qint64, now);
    QFETCH(qint64, lastSend);
    QFETCH(int, queued);
    const PacingDecision d = decidePacing(PacingTime(now), PacingTime(lastSend), queued);
    QTEST(d.sendQueued, "sendQueued");
    QTEST(d.sendPoll, "sendPoll");
    QTEST(qint64(d.lastSend.count()), "newLastSend");
}

void TestPacing::watchdog_data()
{
    QTest::addColumn<qint64>("sinceLastPacket");
    QTest::addColumn<bool>("alive");

    QTest::newRow("at the limit") << qint64(1500) << true;
    QTest::newRow("one past the limit") << qint64(1501) << false;
    QTest::newRow("stamp in the future") << qint64(-5000) << true;
}

void TestPacing::watchdog()
{
    QFETCH(qint64, sinceLastPacket);
    const qint64 now = 1000000;
    QTEST(linkIsAlive(now, now - sinceLastPacket), "alive");
}

QTEST_APPLESS_MAIN(TestPacing)
#include "tst_pacing.moc"
