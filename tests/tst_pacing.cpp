#include <QtTest>

#include "link/pacing.h"

// The pacing decision and the watchdog rule, driven by a fake clock.
class TestPacing : public QObject
{
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void idlePollsOnTheCycleGrid();
    void burstOfKeysHasNoPollBetween();
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

    QTest::newRow("idle, 150 ms: not yet") << qint64(1150) << qint64(1000) << 0 << false
                                           << false << qint64(1000);
    QTest::newRow("idle, 151 ms: poll") << qint64(1151) << qint64(1000) << 0 << false << true
                                        << qint64(1151);
    QTest::newRow("queued, 100 ms: not yet") << qint64(1100) << qint64(1000) << 1 << false
                                             << false << qint64(1000);
    QTest::newRow("queued, 101 ms: send word") << qint64(1101) << qint64(1000) << 2 << true
                                               << false << qint64(1101);
    QTest::newRow("queued, long silence: word, never poll")
        << qint64(9000) << qint64(1000) << 1 << true << false << qint64(9000);
    QTest::newRow("queued, 160 ms: the word, not the poll")
        << qint64(1160) << qint64(1000) << 1 << true << false << qint64(1160);
    QTest::newRow("clock behind the stamp, idle")
        << qint64(500) << qint64(1000) << 0 << false << false << qint64(1000);
    QTest::newRow("clock behind the stamp, queued")
        << qint64(500) << qint64(1000) << 3 << false << false << qint64(1000);
    QTest::newRow("far behind") << qint64(-100000) << qint64(1000) << 0 << false << false
                                << qint64(1000);
    QTest::newRow("stale negative count treated as empty")
        << qint64(1151) << qint64(1000) << -1 << false << true << qint64(1151);
}

void TestPacing::decision()
{
    QFETCH(qint64, now);
    QFETCH(qint64, lastSend);
    QFETCH(int, queued);
    const PacingDecision d = decidePacing(now, lastSend, queued);
    QTEST(d.sendQueued, "sendQueued");
    QTEST(d.sendPoll, "sendPoll");
    QTEST(d.lastSend, "newLastSend");
}

// Ten seconds of an idle operator on the 25 ms grid: every poll 150 to 175 ms apart.
void TestPacing::idlePollsOnTheCycleGrid()
{
    qint64 lastSend = 0;
    qint64 previousPoll = 0;
    int polls = 0;
    for (qint64 now = cyclePeriodMs; now <= 10000; now += cyclePeriodMs) {
        const PacingDecision d = decidePacing(now, lastSend, 0);
        lastSend = d.lastSend;
        QVERIFY(!d.sendQueued);
        if (!d.sendPoll)
            continue;
        const qint64 gap = now - previousPoll;
        QVERIFY2(gap > pollPeriodMs && gap <= pollPeriodMs + cyclePeriodMs,
                 qPrintable(QString::number(gap)));
        previousPoll = now;
        ++polls;
    }
    QVERIFY(polls >= 10000 / 175);
}

// Three key presses at once leave more than 100 ms apart with no poll between them,
// and polling resumes more than 150 ms after the last.
void TestPacing::burstOfKeysHasNoPollBetween()
{
    qint64 lastSend = 0;
    int queued = 3;
    QList<qint64> sends;
    qint64 firstPollAfter = -1;
    for (qint64 now = cyclePeriodMs; now <= 2000 && firstPollAfter < 0; now += cyclePeriodMs) {
        const PacingDecision d = decidePacing(now, lastSend, queued);
        lastSend = d.lastSend;
        if (d.sendQueued) {
            sends << now;
            --queued;
        }
        if (d.sendPoll) {
            QCOMPARE(queued, 0);
            firstPollAfter = now;
        }
    }
    QCOMPARE(sends.size(), 3);
    for (int i = 1; i < sends.size(); ++i)
        QVERIFY(sends[i] - sends[i - 1] > queueSpacingMs);
    QVERIFY(firstPollAfter - sends.last() > pollPeriodMs);
}

void TestPacing::watchdog_data()
{
    QTest::addColumn<qint64>("sinceLastPacket");
    QTest::addColumn<bool>("alive");

    QTest::newRow("just now") << qint64(0) << true;
    QTest::newRow("at the limit") << qint64(1500) << true;
    QTest::newRow("one past the limit") << qint64(1501) << false;
    QTest::newRow("long silence") << qint64(3600000) << false;
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
