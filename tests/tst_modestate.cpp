#include <QtTest>

#include "panel/modestate.h"

Q_DECLARE_METATYPE(PanelState)

namespace {
// The fields the modes touch, in one line, so a failing row shows what differs.
QString describe(const PanelState &s)
{
    return QString("awaitTx=%1 selecting=%2 split=%3 edit=%4 group=%5 tx=%6 rotor=%7")
        .arg(s.splitAwaitingTx)
        .arg(s.superSplitSelecting)
        .arg(s.splitActive)
        .arg(s.superSplitEditMask, 2, 16, QChar('0'))
        .arg(s.superSplitMask, 2, 16, QChar('0'))
        .arg(s.currentTxPos)
        .arg(s.activeRotor);
}

PanelState state(quint8 awaitTx, quint8 selecting, quint8 split, quint8 edit = 0,
                 quint8 group = 0)
{
    PanelState s;
    s.splitAwaitingTx = awaitTx;
    s.superSplitSelecting = selecting;
    s.splitActive = split;
    s.superSplitEditMask = edit;
    s.superSplitMask = group;
    return s;
}
} // namespace

class ModeStateTest : public QObject
{
    Q_OBJECT

private slots:
    void transitions_data();
    void transitions();
    void rotor_data();
    void rotor();
};

// Each row: a starting state, one key, and what must follow. "-" means no word.
void ModeStateTest::transitions_data()
{
    QTest::addColumn<PanelState>("start");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("message");
    QTest::addColumn<PanelState>("after");
    QTest::addColumn<int>("look");
    QTest::addColumn<bool>("repaint");

    const int none = -1;
    const int unchanged = int(SuperSplitKeyLook::Unchanged);
    const int alert = int(SuperSplitKeyLook::Alert);
    const int idle = int(SuperSplitKeyLook::Idle);

    QTest::newRow("normal, split") << state(0, 0, 0) << "split" << none
                                   << "Choose the TX position:" << state(1, 0, 0) << unchanged
                                   << false;
    QTest::newRow("choosing, split again") << state(1, 0, 0) << "split" << none
                                           << "Choose the TX position:" << state(1, 0, 0)
                                           << unchanged << false;
    QTest::newRow("choosing with split on, split")
        << state(1, 0, 1) << "split" << 0x0050 << "Split disabled" << state(1, 0, 0)
        << unchanged << false;
    QTest::newRow("split on, split off") << state(0, 0, 1) << "split" << 0x0050
                                         << "Split disabled" << state(0, 0, 0) << unchanged
                                         << false;
    QTest::newRow("selecting, split abandons selection")
        << state(0, 1, 0, 0x06) << "split" << none << "Choose the TX position:"
        << state(1, 0, 0, 0x06) << unchanged << false;
    QTest::newRow("selecting with split on, split")
        << state(0, 1, 1, 0x06) << "split" << 0x0050 << "Split disabled"
        << state(0, 0, 0, 0x06) << unchanged << false;
    QTest::newRow("normal, super split opens on the group")
        << state(0, 0, 0, 0x80, 0x05) << "super" << none << "Choose antennas for Super Split:"
        << state(0, 1, 0, 0x05, 0x05) << alert << true;
    QTest::newRow("split on, super split opens, split stays")
        << state(0, 0, 1, 0, 0x05) << "super" << none << "Choose antennas for Super Split:"
        << state(0, 1, 1, 0x05, 0x05) << alert << true;
    QTest::newRow("choosing, super split abandons the choice")
        << state(1, 0, 0, 0, 0x03) << "super" << none << "Choose antennas for Super Split:"
        << state(0, 1, 0, 0x03, 0x03) << alert << true;
    QTest::newRow("selecting, super split sends the edited group")
        << state(0, 1, 0, 0x06, 0x05) << "super" << 0x0651
        << "Super Split configured succesfully!" << state(0, 0, 0, 0x06, 0x05) << idle << true;
    QTest::newRow("selecting an empty group, close")
        << state(0, 1, 1, 0x00, 0x05) << "super" << 0x0051
        << "Super Split configured succesfully!" << state(0, 0, 1, 0x00, 0x05) << idle << true;
}

void ModeStateTest::transitions()
{
    QFETCH(PanelState, start);
    QFETCH(QString, key);
    QFETCH(int, word);
    QFETCH(QString, message);
    QFETCH(PanelState, after);
    QFETCH(int, look);
    QFETCH(bool, repaint);

    PanelState s = start;
    const ModeOutcome outcome = key == "split" ? splitToggle(s) : superSplitToggle(s);
    QCOMPARE(outcome.word ? int(*outcome.word) : -1, word);
    QCOMPARE(QString(outcome.message), message);
    QCOMPARE(describe(s), describe(after));
    QCOMPARE(int(outcome.superSplitKey), look);
    QCOMPARE(outcome.repaintKeys, repaint);
}

void ModeStateTest::rotor_data()
{
    QTest::addColumn<int>("txPos");
    QTest::addColumn<int>("activeRotor");
    QTest::addColumn<int>("rotor");
    QTest::addColumn<int>("word");
    QTest::newRow("rotor 2 on") << 4 << 0 << 2 << 0x5256;
    QTest::newRow("rotor 2 off once active") << 4 << 2 << 2 << 0x5056;
    QTest::newRow("other rotor active") << 4 << 3 << 2 << 0x5256;
    QTest::newRow("position 0, rotor 1") << 0 << 0 << 1 << 0x1156;
    QTest::newRow("position 7, rotor 4 active") << 7 << 4 << 4 << 0x8056;
    QTest::newRow("no rotor reported (9)") << 1 << 9 << 3 << 0x2356;
}

void ModeStateTest::rotor()
{
    QFETCH(int, txPos);
    QFETCH(int, activeRotor);
    QFETCH(int, rotor);
    QFETCH(int, word);
    PanelState s;
    s.currentTxPos = quint8(txPos);
    s.activeRotor = quint8(activeRotor);
    const PanelState before = s;
    const ModeOutcome outcome = rotorPress(s, rotor);
    QVERIFY(outcome.word);
    QCOMPARE(int(*outcome.word), word);
    QCOMPARE(outcome.message, nullptr);
    QCOMPARE(describe(s), describe(before));
}

QTEST_GUILESS_MAIN(ModeStateTest)
#include "tst_modestate.moc"
