#include <QtTest>

#include "frames.h"
#include "link/protocol.h"
#include "link/responses.h"
#include "panel/keyboard.h"
#include "panel/keystyles.h"
#include "panel/panelmodel.h"
#include "panelstates.h"
#include "tables.h"

namespace {

template<std::size_t N> QByteArray letters(const std::array<KeyStyle, N> &styles)
{
    QByteArray out;
    for (KeyStyle style : styles)
        out.append(styleLetter(style));
    return out;
}

SwitchStatus status(const QByteArray &frame)
{
    return SwitchStatus::decode(frame).value_or(SwitchStatus{});
}

} // namespace

// The panel state: key presses, the style decision per key, the responses that feed it,
// and the look of the whole panel that the window paints.
// Letters: i idle, s selected, g group, a active, b standby, r receive selected, R alert,
// B busy, G link up, - left as it is.
class PanelTest : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        // expected: TX 1..8, super split, RTX + RX 1..4
        columns<PanelState, int, QByteArray>({"state", "pos", "expected"});
        auto row = [](const char *name, const PanelState &s, int pos, const char *expected) {
            ::row(name, s, pos, QByteArray(expected));
        };
        row("normal selection", state(2, 0, 0), 2, "iisiiiii i iiiii");
        // The watchdog's 15 selects nothing, and the current key keeps its look.
        row("watchdog 15", state(2, 0, 0), 15, "ii-iiiii i iiiii");
        row("group 0,4 on TX 4", state(4, 2, 0x11), 4, "gibiaiii R iiiii");
        row("group pair transmitting", state(4, 2, 0x11, {{onAir, 1}}), 4, "giaibiii R iiiii");
        row("out of range, full mask", state(9, 0, 0xFF), 9, "gggggggg i iiiii");
        row("split", state(1, 0, 0, {{split, 1}, {splitTx, 5}}), 1, "ibiiiaii i iiiii");
        row("split choice open: group hidden", state(3, 0, 0x01, {{choosing, 1}}), 3,
            "iiisiiii i iiiii");
        row("split choice open, pair applies", state(3, 1, 0x08, {{choosing, 1}}), 3,
            "ibiaiiii R iiiii");
        row("super-split selection open", state(2, 0, 0, {{selecting, 1}, {edit, 0x11}}), 2,
            "giiigiii - iiiii");
        row("selection over device pair", state(2, 6, 0x04, {{selecting, 1}, {edit, 0x01}}), 2,
            "giaiiibi R iiiii");
        row("RX before first status", state(0, 0, 0, {{rxMode, 1}, {rxPos, 2}}), 0,
            "siiiiiii i iiiii");
        row("RTX whatever rxPos", state(0, 0, 0, {{seen, 1}, {rxPos, 3}}), 0, "siiiiiii i riiii");
        row("no RX key picked yet", state(0, 0, 0, {{seen, 1}, {rxMode, 1}}), 0,
            "siiiiiii i iriii");
    }
    void keys()
    {
        QFETCH(PanelState, state);
        QFETCH(int, pos);
        const PanelState before = state;
        QTEST(letters(decideTxKeyStyles(state, pos)) + ' '
                  + styleLetter(decideSuperSplitKeyStyle(state)) + ' '
                  + letters(decideRxKeyStyles(state)),
              "expected");
        QVERIFY(same(state, before));
    }

    void press_data()
    {
        // key: T0..T7 a TX key, R0..R3 a receive key, R8 RTX; word -1: nothing queued
        columns<QString, PanelState, int, PanelState, QString, bool>(
            {"key", "before", "word", "after", "message", "repaint"});
        auto row = [](const char *name, const char *key, PanelState before, int word,
                      PanelState after, const char *message = "", bool repaint = false) {
            ::row(name, key, before, word, after, QString(message), repaint);
        };
        row("select", "T3", state(1, 6, 0), 0x0353, state(3, 1, 0), "", true);
        // A member of the group is never remembered as the previous position.
        row("old position in group", "T3", state(1, 6, 2), 0x0353, state(3, 6, 2), "", true);
        const PanelState splitOn = state(2, 4, 0, {{split, 1}, {splitTx, 7}});
        row("split off on current key", "T2", splitOn, 0x0050, state(2, 4, 0, {{splitTx, 7}}),
            "Split disabled");
        row("split partner moves", "T5", splitOn, 0x0553,
            state(2, 4, 0, {{split, 1}, {splitTx, 5}}), "", true);
        row("split set-up", "T5", state(2, 4, 0, {{choosing, 1}}), 0x3650,
            state(2, 4, 0, {{split, 1}, {splitTx, 5}}), "Split configured succesfuly!");
        const PanelState open = state(2, 4, 0x04, {{selecting, 1}, {edit, 0x01}});
        row("selection: add", "T4", open, -1, state(2, 4, 0x04, {{selecting, 1}, {edit, 0x11}}));
        row("selection: remove", "T0", open, -1, state(2, 4, 0x04, {{selecting, 1}}));
        const PanelState onRtx = state(0, 0, 0, {{lastRx, 3}});
        const PanelState onRx = state(0, 0, 0, {{lastRx, 3}, {rxMode, 1}});
        row("RX2", "R1", onRtx, 0x0159, state(0, 0, 0, {{lastRx, 2}, {rxPos, 2}, {rxMode, 1}}));
        row("RTX from RX", "R8", onRx, 0x0859,
            state(0, 0, 0, {{lastRx, 3}, {rxPos, 9}, {rxMode, 1}}));
    }
    void press()
    {
        QFETCH(QString, key);
        QFETCH(PanelState, before);
        QFETCH(PanelState, after);
        TxPressOutcome outcome;
        if (key.startsWith('T')) {
            outcome = pressTxKey(before, qint8(key.mid(1).toInt()));
            after.switchPending = 1; // every TX press skips the next report once
        } else {
            outcome.word = pressRxKey(before, qint8(key.mid(1).toInt()));
        }
        QTEST(outcome.word ? int(*outcome.word) : -1, "word");
        QTEST(QString(outcome.message), "message");
        QTEST(outcome.repaint, "repaint");
        QVERIFY(same(before, after));
    }

    // The receive side of a status response, on rxPos 2 and lastRxPos 3.
    void receiveMode_data()
    {
        // lit: RTX + RX 1..4
        columns<int, int, QByteArray>({"modeBefore", "field", "lit"});
        row("0 -> 1 restores the last", 0, 1, QByteArray("iiiri"));
        row("1 -> 0 is RTX", 1, 0, QByteArray("riiii"));
        row("unknown value from 1", 1, 7, QByteArray("iirii"));
    }
    void receiveMode()
    {
        QFETCH(int, modeBefore);
        QFETCH(int, field);
        PanelState s = state(0, 0, 0, {{rxMode, quint8(modeBefore)}, {rxPos, 2}, {lastRx, 3}});
        beginStatusResponse(s, status(statusFrame(0, 0, 0xFF, 0, 0, 0, 0, 0, quint8(field))));
        QTEST(letters(decideRxKeyStyles(s)), "lit");
        QCOMPARE(s.lastRxPos, quint8(3));
    }

    // The indicators a status response lights.
    void indicators_data()
    {
        // looks: busy 1..8, rotors 1..4, split + send
        columns<QByteArray, QByteArray>({"frame", "looks"});
        row("all free, rotor 0, flags 2", statusFrame(0, 2, 0xFF, 0, 0, 2),
            QByteArray("iiiiiiii iiii ii"));
        row("all busy, rotor 2, flags 1", statusFrame(0, 1, 0x00, 2, 0, 1),
            QByteArray("BBBBBBBB iRii RR"));
        row("antenna 1 busy, rotor 4", statusFrame(0, 0, 0xFE, 4), QByteArray("Biiiiiii iiiR ii"));
    }
    void indicators()
    {
        QFETCH(QByteArray, frame);
        const auto s = decideStatusIndicatorStyles(status(frame));
        QTEST(letters(s.busy) + ' ' + letters(s.rotors) + ' ' + styleLetter(s.split)
                  + styleLetter(s.send),
              "looks");
    }

    // Only a whole answer of a known kind is decoded; rxBuffer keeps older bytes beyond
    // the read, so a short one must not borrow them.
    void completeResponse_data()
    {
        columns<QByteArray, int, bool>({"bytes", "read", "complete"});
        const QByteArray s = statusFrame();
        row("status", s, 13, true);
        row("firmware", QByteArray("IGW\x01\x0c;"), 6, true);
        row("status cut to 12, stale ';' after", s.left(11) + ";;", 12, false);
        row("firmware of 7", QByteArray("IGW\x01\x0c\x00;", 7), 7, false);
        row("not IG", "XG" + s.mid(2), 13, false);
    }
    void completeResponse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, read);
        QTEST(isCompleteResponse(reinterpret_cast<const quint8 *>(bytes.data()), read), "complete");
    }

    // The whole panel as the window paints it, event by event. The report right after a TX
    // press still shows the old antenna: only the link indicator reacts. The split flag is
    // taken after the TX keys are painted, so the pair appears with the second report that
    // says split is on. Silence darkens every key, whatever was set up, and stays dark.
    void look_data()
    {
        // steps: press <pos> | report | silent | rx <index>
        // seen per step: TX 1..8, busy 1, split, super split, RTX + RX1..4, power
        columns<QString, QStringList>({"steps", "seen"});
        row("press, then reports with split on", QString("press 5|report|report|report"),
            QStringList{"iiiiisii - - i ----- G", "iiiiisii - - i ----- G",
                        "isiiiiii B R i iriii G", "ibiiiaii B R i iriii G"});
        row("silence after a split, then back", QString("report|report|silent|silent|report"),
            QStringList{"isiiiiii B R i iriii G", "ibiiiaii B R i iriii G",
                        "iiiiiiii i i i iiiii i", "iiiiiiii i i i iiiii i",
                        "ibiiiaii B R i iriii G"});
        row("a receive key darkens the receive keys until the next report",
            QString("report|rx 1|report"),
            QStringList{"isiiiiii B R i iriii G", "isiiiiii B R i iiiii G",
                        "ibiiiaii B R i iirii G"});
    }
    void look()
    {
        QFETCH(QString, steps);
        PanelModel panel;
        QStringList seen;
        for (const QString &step : steps.split('|')) {
            const QString arg = step.section(' ', 1);
            if (step.startsWith("press"))
                panel.pressTx(qint8(arg.toInt()));
            else if (step.startsWith("rx"))
                panel.pressRx(qint8(arg.toInt()));
            else if (step == "silent")
                panel.setLinkAlive(false);
            else
                panel.statusReceived(status(statusFrame(1, 1, 0xFE, 0, 0, 0, 5, 0, 1)));
            const PanelLook l = panel.look();
            seen << letters(l.tx) + ' ' + styleLetter(l.busy[0]) + ' ' + styleLetter(l.split) + ' '
                        + styleLetter(l.superSplit) + ' ' + letters(l.rx) + ' '
                        + styleLetter(l.power);
        }
        QTEST(seen, "seen");
    }

    // F1..F8 whatever modifier is held; a held key acts once; nothing else selects.
    void functionKeys_data()
    {
        columns<int, bool, int>({"key", "repeat", "pos"});
        for (int p = 0; p < 8; ++p)
            QTest::addRow("F%d", p + 1) << Qt::Key_F1 + p << false << p;
        row("F7 auto-repeat: ignored", int(Qt::Key_F7), true, -1);
        row("F9", int(Qt::Key_F9), false, -1);
        row("letter A", int(Qt::Key_A), false, -1);
    }
    void functionKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, repeat);
        QTEST(functionKeyPosition(key, repeat), "pos");
    }
};

QTEST_APPLESS_MAIN(PanelTest)
#include "tst_panel.moc"
