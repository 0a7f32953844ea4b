#include "panel/modestate.h"
#include "tables.h"
#include "windowfixture.h"

namespace {
const char *const chooseTx = "Choose the TX position:", *const splitOff = "Split disabled",
                  *const chooseGroup = "Choose antennas for Super Split:",
                  *const groupSent = "Super Split configured succesfully!";
} // namespace

// The split and super-split state machine and the rotor word as tables, then the gates
// of the mode keys on the real window (what they send when open is the journeys' part).
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
        // super: Super Split, else Split; word -1: none; the keys repaint unless look is
        // unchanged
        columns<PanelState, bool, int, QString, PanelState, int>(
            {"start", "super", "word", "message", "after", "look"});
        const int kept = int(SuperSplitKeyLook::Unchanged);
        const int alert = int(SuperSplitKeyLook::Alert), idle = int(SuperSplitKeyLook::Idle);
        auto row = [](const char *name, PanelState start, bool super, int word, const char *message,
                      PanelState after,
                      int look) { ::row(name, start, super, word, message, after, look); };
        const PanelState selectingGroup = state(0, 0, 0, {{selecting, 1}, {edit, 6}});
        row("split: choose TX, selection abandoned", selectingGroup, false, -1, chooseTx,
            state(0, 0, 0, {{choosing, 1}, {edit, 6}}), kept);
        row("split off, selection abandoned",
            state(0, 0, 0, {{selecting, 1}, {split, 1}, {edit, 6}}), false, 0x0050, splitOff,
            state(0, 0, 0, {{edit, 6}}), kept);
        row("super opens on the group; TX choice dropped, split stays",
            state(0, 0, 3, {{choosing, 1}, {split, 1}, {edit, 0x80}}), true, -1, chooseGroup,
            state(0, 0, 3, {{selecting, 1}, {split, 1}, {edit, 3}}), alert);
        row("super sends the edited group", state(0, 0, 5, {{selecting, 1}, {split, 1}, {edit, 6}}),
            true, 0x0651, groupSent, state(0, 0, 5, {{split, 1}, {edit, 6}}), idle);
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
        QVERIFY(same(start, after));
        QCOMPARE(int(outcome.superSplitKey), look);
        QCOMPARE(outcome.repaintKeys, look != int(SuperSplitKeyLook::Unchanged));
    }

    void rotor_data()
    {
        // argument: the TX position + 1, then the rotor, 0 to turn the active one off
        columns<int, int, int, int>({"tx", "active", "rotor", "argument"});
        row("rotor 2 on TX 5", 4, 0, 2, 0x52);
        row("the active rotor again: off", 4, 2, 2, 0x50);
        row("TX 8, rotor 4 active", 7, 4, 4, 0x80);
    }
    void rotor()
    {
        QFETCH(int, tx);
        QFETCH(int, active);
        QFETCH(int, rotor);
        PanelState s;
        s.currentTxPos = quint8(tx);
        s.activeRotor = quint8(active);
        const ModeOutcome outcome = rotorPress(s, rotor);
        QVERIFY(outcome.word && commandLetter(*outcome.word) == 'V');
        QTEST(int(commandArgument(*outcome.word)), "argument");
    }

    // With their menu options off, the mode keys do nothing; Split on, the Split key
    // switches the controller's split off.
    void gatesOnTheWindow()
    {
        QVERIFY(f.open());
        const PanelState splitOn = state(0, 0, 5, {{split, 1}});
        f.window->panelModel().setState(splitOn);
        for (const char *key : {"botaoSplit", "botaoSuperSplit", "botaoRotor1", "botaoRotor4"})
            f.get<QPushButton>(key)->click();
        QVERIFY(same(f.window->panelModel().state(), splitOn));
        QCOMPARE(f.message(), QString());
        f.trigger("actionSplit");
        f.get<QPushButton>("botaoSplit")->click();
        QCOMPARE(f.message(), QString(splitOff));
        QCOMPARE(f.window->panelModel().state().splitActive, quint8(0));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(ModesTest, "tst_modes")
#include "tst_modes.moc"
