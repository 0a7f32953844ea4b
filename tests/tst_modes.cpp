#include "panel/modestate.h"
#include "tables.h"
#include "windowfixture.h"

Q_DECLARE_METATYPE(PanelState)

namespace {
// The fields the modes touch, so a failing row shows what differs.
QVector<int> fields(const PanelState &s)
{
    return {s.splitAwaitingTx, s.superSplitSelecting, s.splitActive, s.superSplitEditMask,
            s.superSplitMask,  s.currentTxPos,        s.activeRotor};
}

PanelState st(quint8 awaitTx, quint8 selecting, quint8 split, quint8 edit = 0, quint8 group = 0)
{
    PanelState s;
    s.splitAwaitingTx = awaitTx;
    s.superSplitSelecting = selecting;
    s.splitActive = split;
    s.superSplitEditMask = edit;
    s.superSplitMask = group;
    return s;
}

const char *const chooseTx = "Choose the TX position:", *const splitOff = "Split disabled",
                  *const chooseGroup = "Choose antennas for Super Split:",
                  *const groupSent = "Super Split configured succesfully!";
} // namespace

// The split and super-split state machine as a table, then the mode keys on the real
// window: gates, the words queued, the last message.
class ModesTest : public QObject
{
    Q_OBJECT
    WindowFixture f;

private slots:
    void cleanup()
    {
        f.window.reset();
        removeSettingsFiles();
    }

    void transitions_data()
    {
        // super: the key: Super Split, else Split
        // super: Super Split, else Split; word -1: none; the keys repaint unless look is
        // unchanged
        columns<PanelState, bool, int, QString, PanelState, int>(
            {"start", "super", "word", "message", "after", "look"});
        const int same = int(SuperSplitKeyLook::Unchanged);
        const int alert = int(SuperSplitKeyLook::Alert), idle = int(SuperSplitKeyLook::Idle);
        auto row = [](const char *name, PanelState start, bool super, int word,
                      const char *message, PanelState after, int look) {
            QTest::newRow(name) << start << super << word << message << after << look;
        };
        row("split: choose TX", st(0, 0, 0), false, -1, chooseTx, st(1, 0, 0), same);
        row("split again while choosing", st(1, 0, 0), false, -1, chooseTx, st(1, 0, 0), same);
        row("split off", st(0, 0, 1), false, 0x0050, splitOff, st(0, 0, 0), same);
        row("split off while choosing", st(1, 0, 1), false, 0x0050, splitOff, st(1, 0, 0),
            same);
        row("split abandons a selection", st(0, 1, 0, 0x06), false, -1, chooseTx,
            st(1, 0, 0, 0x06), same);
        row("split off abandons a selection", st(0, 1, 1, 0x06), false, 0x0050, splitOff,
            st(0, 0, 0, 0x06), same);
        row("super opens on the group", st(0, 0, 0, 0x80, 0x05), true, -1, chooseGroup,
            st(0, 1, 0, 0x05, 0x05), alert);
        row("super opens, split stays", st(0, 0, 1, 0, 0x05), true, -1, chooseGroup,
            st(0, 1, 1, 0x05, 0x05), alert);
        row("super abandons a TX choice", st(1, 0, 0, 0, 0x03), true, -1, chooseGroup,
            st(0, 1, 0, 0x03, 0x03), alert);
        row("super sends the edited group", st(0, 1, 0, 0x06, 0x05), true, 0x0651, groupSent,
            st(0, 0, 0, 0x06, 0x05), idle);
        row("super sends an empty group", st(0, 1, 1, 0x00, 0x05), true, 0x0051, groupSent,
            st(0, 0, 1, 0x00, 0x05), idle);
    }
    void transitions()
    {
        QFETCH(PanelState, start);
        QFETCH(bool, super);
        QFETCH(PanelState, after);
        QFETCH(int, look);
        const ModeOutcome outcome = super ? superSplitToggle(start) : splitToggle(start);
        QTEST(outcome.word ? int(*outcome.word) : -1, "word");
        QTEST(QString(outcome.message), "message");
        QCOMPARE(fields(start), fields(after));
        QCOMPARE(int(outcome.superSplitKey), look);
        QCOMPARE(outcome.repaintKeys, look != int(SuperSplitKeyLook::Unchanged));
    }

    // Steps: "gate <action>" checks a menu gate, "click <key>", "call <slot>", and
    // "group|tx|rotor|split <n>" set what the controller last reported.
    void onTheWindow_data()
    {
        columns<QString, QString, QString>({"steps", "words", "shown"});
        QTest::newRow("every gate off")
            << "split 1|group 5|click botaoSplit|click botaoSuperSplit|click botaoRotor1|"
               "click botaoRotor4|call on_rotor2_clicked"
            << "" << "";
        QTest::newRow("unwired split slot needs no gate") << "call on_split_clicked" << ""
                                                          << chooseTx;
        QTest::newRow("split set up on key 3, then off")
            << "gate actionSplit|click botaoSplit|click botaoTecla3|click botaoSplit"
            << "P13 P00" << splitOff;
        QTest::newRow("super split group edited")
            << "gate actionSuper_Split|group 5|tx 6|click botaoSuperSplit|click botaoTecla2|"
               "click botaoTecla1|click botaoSuperSplit"
            << "Q06" << groupSent;
        QTest::newRow("rotors on, off once reported")
            << "gate actionRotors|tx 4|click botaoRotor2|rotor 2|click botaoRotor2|"
               "call on_rotor3_clicked|tx 7|rotor 4|click botaoRotor4"
            << "V52 V50 V53 V80" << "";
        QTest::newRow("Release") << "click botaoRelease" << "X00" << "";
        QTest::newRow("Release ALL") << "gate actionRelease_ALL|click botaoRelease" << "X01"
                                     << "";
    }
    void onTheWindow()
    {
        QFETCH(QString, steps);
        removeSettingsFiles();
        QVERIFY(f.open());
        for (const QString &step : steps.split('|')) {
            const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
            const quint8 n = quint8(arg.toUInt());
            if (verb == "gate")
                f.get<QAction>(arg)->setChecked(true);
            else if (verb == "click")
                f.get<QPushButton>(arg)->click();
            else if (verb == "call")
                QVERIFY(QMetaObject::invokeMethod(f.window.get(), arg.toLatin1().constData()));
            else
                (verb == "group" ? panelState.superSplitMask
                 : verb == "tx"  ? panelState.currentTxPos
                 : verb == "rotor" ? panelState.activeRotor
                                   : panelState.splitActive) = n;
        }
        QTEST(f.queued(), "words");
        QTEST(f.message(), "shown");
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(ModesTest, "tst_modes")
#include "tst_modes.moc"
