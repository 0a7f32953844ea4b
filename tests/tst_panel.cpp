#include <QLabel>
#include <QtTest>

#include "frames.h"
#include "link/protocol.h"
#include "link/responses.h"
#include "panel/keystyles.h"
#include "tables.h"
#include "windowfixture.h"

namespace {

template<std::size_t N> QByteArray letters(const std::array<KeyStyle, N> &styles)
{
    QByteArray out;
    for (KeyStyle style : styles)
        out.append(styleLetter(style));
    return out;
}

} // namespace

// The panel state: key presses, the style decision per key, and the responses that feed it.
// Letters: i idle, s selected, g group, a active, b standby, r receive selected, R alert,
// B busy, G link up, - left as it is.
class PanelTest : public QObject
{
    Q_OBJECT
    WindowFixture f;

    // What callReceber leaves for one read: the bytes at 0, their count in rxLength, and
    // whatever earlier reads left beyond them.
    void decode(const QByteArray &bytes)
    {
        std::memcpy(rxBuffer, bytes.constData(), size_t(bytes.size()));
        rxLength = int(bytes.size());
        f.window->processaPacoteRecebido(f.window.get());
    }
    QByteArray looks(const QStringList &names)
    {
        QByteArray out;
        for (const QString &name : names)
            out += name.isEmpty() ? ' ' : f.look("botao" + name);
        return out;
    }

private slots:
    void cleanup() { f.window.reset(); }

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
        columns<int, int, QByteArray, bool>({"modeBefore", "field", "lit", "restored"});
        row("0 -> 1 restores the last", 0, 1, QByteArray("iiiri"), true);
        row("1 -> 0 is RTX", 1, 0, QByteArray("riiii"), false);
        row("unknown value from 1", 1, 7, QByteArray("iirii"), false);
    }
    void receiveMode()
    {
        QFETCH(int, modeBefore);
        QFETCH(int, field);
        PanelState s = state(0, 0, 0, {{rxMode, quint8(modeBefore)}, {rxPos, 2}, {lastRx, 3}});
        const QByteArray frame = statusFrame(0, 0, 0xFF, 0, 0, 0, 0, 0, quint8(field));
        const auto *bytes = reinterpret_cast<const quint8 *>(frame.constData());
        QTEST(beginStatusResponse(s, bytes).rxAntennaRestored, "restored");
        QVERIFY(!beginStatusResponse(s, bytes).rxAntennaRestored); // once
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
        const auto s = decideStatusIndicatorStyles(reinterpret_cast<const quint8 *>(frame.data()));
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

    // The report right after a TX press still shows the old antenna: only the link
    // indicator reacts. The split flag is taken after the TX keys are painted, so the split
    // pair appears with the second decoded report that says split is on.
    void reportsAfterPressAndSplit()
    {
        QVERIFY(f.open(false));
        f.window->enviaComutacao(5);
        QByteArrayList seen;
        for (int report = 0; report < 3; ++report) {
            decode(statusFrame(1, 1, 0x00, 2, 0, 0, 5, 0, 0));
            seen << looks({"Tecla2", "Tecla6", "Busy1", "Power"});
        }
        QCOMPARE(seen, (QByteArrayList{"is?G", "siBG", "baBG"}));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(PanelTest, "panel")
#include "tst_panel.moc"
