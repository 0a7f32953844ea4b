#include <QPushButton>
#include <QtTest>
#include <cstring>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "panel/keystyles.h"
#include "panel/panelstate.h"
#include "panel/styles.h"

Q_DECLARE_METATYPE(PanelState)

namespace {

// One letter per key, so a row reads like the panel: i idle, s selected, g group,
// a active, b standby, r receive selected, R alert red, - left as it is.
char letter(KeyStyle style)
{
    const QByteArray s(style ? style : "-");
    for (auto [sheet, c] : {std::pair{styleIdle, 'i'}, {styleSelected, 's'}, {styleGroup, 'g'},
                            {styleActive, 'a'}, {styleStandby, 'b'}, {styleRxSelected, 'r'},
                            {styleAlert, 'R'}, {"-", '-'}}) {
        if (s == sheet)
            return c;
    }
    return '?';
}

template<std::size_t N>
QByteArray letters(const std::array<KeyStyle, N> &styles)
{
    QByteArray out;
    for (KeyStyle style : styles)
        out.append(letter(style));
    return out;
}

using Field = quint8 PanelState::*;
const Field onAir = &PanelState::transmitting, split = &PanelState::splitActive,
            splitTx = &PanelState::splitTxPos, choosing = &PanelState::splitAwaitingTx,
            selecting = &PanelState::superSplitSelecting, edit = &PanelState::superSplitEditMask,
            seen = &PanelState::statusSeen, rxMode = &PanelState::rxAntennaMode,
            rxPos = &PanelState::rxPos;

PanelState state(quint8 cur, quint8 prev, quint8 group,
                 std::initializer_list<std::pair<Field, quint8>> more = {})
{
    PanelState s;
    s.currentTxPos = cur;
    s.previousTxPos = prev;
    s.superSplitMask = group;
    for (auto [field, value] : more)
        s.*field = value;
    return s;
}

class RestyleCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::StyleChange;
        return false;
    }
};

} // namespace

class KeyStylesTest : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        QTest::addColumn<PanelState>("state");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QByteArray>("expected"); // TX 1..8, super split, RTX + RX 1..4

        auto row = [](const char *name, const PanelState &s, int pos, const char *expected) {
            QTest::newRow(name) << s << pos << QByteArray(expected);
        };
        row("normal selection", state(2, 0, 0), 2, "iisiiiii i iiiii");
        // The watchdog's 15 selects nothing, and the current key keeps its look.
        row("watchdog 15", state(2, 0, 0), 15, "ii-iiiii i iiiii");
        row("group 0,4 on TX 4", state(4, 2, 0x11), 4, "gibiaiii R iiiii");
        row("group pair transmitting", state(4, 2, 0x11, {{onAir, 1}}), 4, "giaibiii R iiiii");
        row("group pair on one key", state(4, 4, 0x11), 4, "giiibiii R iiiii");
        row("out of range, full mask", state(9, 0, 0xFF), 9, "gggggggg i iiiii");
        row("split", state(1, 0, 0, {{split, 1}, {splitTx, 5}}), 1, "ibiiiaii i iiiii");
        row("split transmitting", state(1, 0, 0, {{split, 1}, {splitTx, 5}, {onAir, 1}}), 1,
            "iaiiibii i iiiii");
        row("split flag not 1", state(1, 0, 0, {{split, 2}, {splitTx, 5}}), 1, "isiiiiii i iiiii");
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
        row("RX4", state(0, 0, 0, {{seen, 1}, {rxMode, 1}, {rxPos, 4}}), 0, "siiiiiii i iiiir");
    }
    void keys()
    {
        QFETCH(PanelState, state);
        QFETCH(int, pos);
        const PanelState before = state;
        QTEST(letters(decideTxKeyStyles(state, pos)) + ' '
                  + letter(decideSuperSplitKeyStyle(state)) + ' '
                  + letters(decideRxKeyStyles(state)),
              "expected");
        QCOMPARE(std::memcmp(&state, &before, sizeof state), 0);
    }

    // While the link is silent the watchdog paints 40 times a second: once the panel is
    // blank, repeating that must restyle nothing, unless the benchmark switch asks for it.
    void silentLinkRestylesNothingTwice()
    {
        panelState = PanelState{};
        MainWindow window;
        window.show(); // only a polished widget pays for a re-polish
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        RestyleCounter counter;
        for (QPushButton *key : window.findChildren<QPushButton *>())
            key->installEventFilter(&counter);
        auto watchdog = [&window] {
            qint8 none = 15;
            window.atualizaTeclas(&none);
            window.clearUI(&window);
        };
        watchdog();
        QVERIFY(counter.count > 0);
        counter.count = 0;
        watchdog();
        QCOMPARE(counter.count, 0);
        setAlwaysRestyle(true);
        watchdog();
        setAlwaysRestyle(false);
        QCOMPARE(counter.count, 7 + 29); // the TX keys but the current one, clearUI's 29
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(KeyStylesTest, "keystyles")
#include "tst_keystyles.moc"
