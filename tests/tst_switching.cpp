#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <cstring>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/protocol.h"
#include "panel/panelstate.h"
#include "panel/styles.h"

Q_DECLARE_METATYPE(PanelState)

namespace {

PanelState tx(quint8 cur, quint8 prev, quint8 group)
{
    PanelState s;
    s.currentTxPos = cur;
    s.previousTxPos = prev;
    s.superSplitMask = group;
    return s;
}

QStringList debugLines;
void collectDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines << message;
}

} // namespace

class SwitchingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void txPress_data();
    void txPress();
    void rxPress_data();
    void rxPress();
    void txKeyOnTheForm();
    void rxKeyOnTheForm();
    void closedPortDropsWords();

private:
    QPushButton *key(const char *name) { return window->findChild<QPushButton *>(name); }
    MainWindow *window = nullptr;
};

void SwitchingTest::init()
{
    panelState = PanelState{};
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void SwitchingTest::cleanup()
{
    delete window;
    window = nullptr;
    qInstallMessageHandler(nullptr);
}

void SwitchingTest::txPress_data()
{
    QTest::addColumn<PanelState>("before");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("word"); // -1: nothing queued
    QTest::addColumn<PanelState>("after");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("repaint");

    {
        PanelState after = tx(3, 1, 0);
        QTest::newRow("normal") << tx(1, 6, 0) << 3 << 0x0353 << after << QString() << true;
    }
    {
        // A member of the group is never remembered as the previous position.
        PanelState after = tx(3, 6, 0x02);
        QTest::newRow("old position in group") << tx(1, 6, 0x02) << 3 << 0x0353 << after
                                               << QString() << true;
    }
    {
        PanelState after = tx(3, 1, 0xFD);
        QTest::newRow("others in group") << tx(1, 6, 0xFD) << 3 << 0x0353 << after
                                         << QString() << true;
    }
    {
        PanelState after = tx(3, 9, 0xFF);
        QTest::newRow("old position out of range") << tx(9, 6, 0xFF) << 3 << 0x0353 << after
                                                   << QString() << true;
    }
    {
        PanelState before = tx(2, 4, 0);
        before.splitActive = 1;
        before.splitTxPos = 7;
        PanelState after = before;
        after.splitActive = 0;
        QTest::newRow("split off on current key") << before << 2 << 0x0050 << after
                                                  << QString("Split disabled") << false;
        after = before;
        after.splitTxPos = 5;
        QTest::newRow("split partner moves") << before << 5 << 0x0553 << after << QString()
                                             << true;
    }
    {
        PanelState before = tx(2, 4, 0);
        before.splitAwaitingTx = 1;
        PanelState after = tx(2, 4, 0);
        after.splitActive = 1;
        after.splitTxPos = 5;
        QTest::newRow("split set-up") << before << 5 << 0x3650 << after
                                      << QString("Split configured succesfuly!") << false;
        before.currentTxPos = 7;
        after.currentTxPos = 7;
        after.splitTxPos = 7;
        QTest::newRow("split set-up on key 8") << before << 7 << 0x8850 << after
                                               << QString("Split configured succesfuly!")
                                               << false;
    }
    {
        PanelState before = tx(2, 4, 0x04);
        before.superSplitSelecting = 1;
        before.superSplitEditMask = 0x01;
        PanelState after = before;
        after.superSplitEditMask = 0x11;
        QTest::newRow("selection: add") << before << 4 << -1 << after << QString() << false;
        after.superSplitEditMask = 0x00;
        QTest::newRow("selection: remove") << before << 0 << -1 << after << QString() << false;
    }
}

void SwitchingTest::txPress()
{
    QFETCH(PanelState, before);
    QFETCH(int, pos);
    QFETCH(int, word);
    QFETCH(PanelState, after);
    QFETCH(QString, message);
    QFETCH(bool, repaint);

    PanelState state = before;
    const TxPressOutcome outcome = pressTxKey(state, qint8(pos));
    QCOMPARE(outcome.word.has_value(), word >= 0);
    if (word >= 0)
        QCOMPARE(int(*outcome.word), word);
    QCOMPARE(QString(outcome.message), message);
    QCOMPARE(outcome.repaint, repaint);

    // Every press skips the next report once; everything else as the row says.
    QCOMPARE(state.switchPending, quint8(1));
    after.switchPending = 1;
    QCOMPARE(std::memcmp(&state, &after, sizeof state), 0);
}

void SwitchingTest::rxPress_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("modeBefore");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("rxPos");
    QTest::addColumn<int>("lastRxPos");
    QTest::addColumn<int>("mode");

    // lastRxPos starts at 3
    QTest::newRow("RX1") << 0 << 0 << 0x0059 << 1 << 1 << 1;
    QTest::newRow("RX2") << 1 << 0 << 0x0159 << 2 << 2 << 1;
    QTest::newRow("RX4") << 3 << 1 << 0x0359 << 4 << 4 << 1;
    QTest::newRow("RTX from RX") << 8 << 1 << 0x0859 << 9 << 3 << 1;
    QTest::newRow("RTX from RTX") << 8 << 0 << 0x0859 << 9 << 3 << 0;
}

void SwitchingTest::rxPress()
{
    QFETCH(int, index);
    QFETCH(int, modeBefore);
    QFETCH(int, word);
    QFETCH(int, rxPos);
    QFETCH(int, lastRxPos);
    QFETCH(int, mode);

    PanelState state;
    state.lastRxPos = 3;
    state.rxAntennaMode = quint8(modeBefore);
    QCOMPARE(int(pressRxKey(state, qint8(index))), word);
    QCOMPARE(state.rxPos, quint8(rxPos));
    QCOMPARE(state.lastRxPos, quint8(lastRxPos));
    QCOMPARE(state.rxAntennaMode, quint8(mode));
    QCOMPARE(state.switchPending, quint8(0)); // receive keys do not skip a report
}

// The TX keys act when the mouse button goes down, and paint at once.
void SwitchingTest::txKeyOnTheForm()
{
    panelState.currentTxPos = 1;
    QTest::mousePress(key("botaoTecla4"), Qt::LeftButton);
    QCOMPARE(window->switchQueue.toList(), QList<CommandWord>{0x0353});
    QCOMPARE(window->switchQueue.pendingCount(), 1);
    QCOMPARE(key("botaoTecla4")->styleSheet(), QString(styleSelected));
    QCOMPARE(key("botaoTecla2")->styleSheet(), QString(styleIdle));
    QCOMPARE(key("botaoSuperSplit")->styleSheet(), QString(styleIdle));
    QCOMPARE(panelState.previousTxPos, quint8(1));
    QTest::mouseRelease(key("botaoTecla4"), Qt::LeftButton);
    QCOMPARE(window->switchQueue.size(), 1);
}

// A receive key clears all five looks until the controller confirms the choice.
void SwitchingTest::rxKeyOnTheForm()
{
    panelState.statusSeen = 1;
    panelState.rxAntennaMode = 0;
    key("botaoTeclaRTX")->setStyleSheet(styleRxSelected);

    debugLines.clear();
    qInstallMessageHandler(collectDebug);
    QTest::mousePress(key("botaoTeclaRX4"), Qt::LeftButton);
    qInstallMessageHandler(nullptr);

    QCOMPARE(window->switchQueue.toList(), QList<CommandWord>{0x0359});
    QCOMPARE(debugLines, (QStringList{"Pos Recebida: ", "3", "Alterou POS para:", "3",
                                      "Load 3!!"}));
    for (const char *name :
         {"botaoTeclaRTX", "botaoTeclaRX1", "botaoTeclaRX2", "botaoTeclaRX3", "botaoTeclaRX4"})
        QCOMPARE(key(name)->styleSheet(), QString(styleIdle));
    QCOMPARE(panelState.rxPos, quint8(4));
}

// The pacing thread keeps asking while the port is closed; each ask costs one word.
void SwitchingTest::closedPortDropsWords()
{
    window->enviaComutacao(2);
    window->on_botaoTeclaRTX_pressed();
    QCOMPARE(window->switchQueue.pendingCount(), 2);
    window->callEnvioFila();
    QCOMPARE(window->switchQueue.toList(), QList<CommandWord>{0x0859});
    QCOMPARE(window->switchQueue.pendingCount(), 1);
    window->callEnvioFila();
    window->callEnvioFila(); // an ask on an empty queue does nothing
    QVERIFY(window->switchQueue.isEmpty());
    QCOMPARE(window->switchQueue.pendingCount(), 0);
}

ORVIK_ISOLATED_SETTINGS_MAIN(SwitchingTest, "switching")
#include "tst_switching.moc"
