#include <QPushButton>
#include <QtTest>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "panel/keystyles.h"
#include "panel/panelstate.h"
#include "panel/styles.h"

Q_DECLARE_METATYPE(PanelState)

namespace {

// One letter per key, so a table row reads like the panel: i idle, s selected,
// g group, a active, b standby (orange border), r receive selected, R alert red,
// - left as it is.
char letter(KeyStyle style)
{
    if (!style)
        return '-';
    const QByteArray s(style);
    if (s == styleIdle) return 'i';
    if (s == styleSelected) return 's';
    if (s == styleGroup) return 'g';
    if (s == styleActive) return 'a';
    if (s == styleStandby) return 'b';
    if (s == styleRxSelected) return 'r';
    if (s == styleAlert) return 'R';
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

PanelState state(quint8 cur, quint8 prev, quint8 group)
{
    PanelState s;
    s.currentTxPos = cur;
    s.previousTxPos = prev;
    s.superSplitMask = group;
    return s;
}

// Counts how often a widget is restyled.
class RestyleCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::StyleChange)
            ++count;
        return false;
    }
};

} // namespace

class KeyStylesTest : public QObject
{
    Q_OBJECT

private slots:
    void txKeys_data();
    void txKeys();
    void rxKeys_data();
    void rxKeys();
    void superSplitKey_data();
    void superSplitKey();
    void paintersApplyDecision();
    void silentLinkRestylesNothingTwice();
};

void KeyStylesTest::txKeys_data()
{
    QTest::addColumn<PanelState>("state");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("normal selection") << state(2, 0, 0) << 2 << QByteArray("iisiiiii");
    // The watchdog's 15 selects nothing, and the current key keeps its look.
    QTest::newRow("watchdog 15") << state(2, 0, 0) << 15 << QByteArray("ii-iiiii");
    QTest::newRow("device byte 0xFF") << state(2, 0, 0) << -1 << QByteArray("ii-iiiii");
    QTest::newRow("group 0,4 on TX 4") << state(4, 2, 0x11) << 4 << QByteArray("gibiaiii");
    PanelState onAir = state(4, 2, 0x11);
    onAir.transmitting = 1;
    QTest::newRow("group pair transmitting") << onAir << 4 << QByteArray("giaibiii");
    QTest::newRow("group previous out of range") << state(4, 9, 0x11) << 4
                                                 << QByteArray("giiiaiii");
    QTest::newRow("group pair on one key: standby wins") << state(4, 4, 0x11) << 4
                                                         << QByteArray("giiibiii");
    // Out-of-range positions belong to no group, even with every bit set.
    QTest::newRow("current out of range, full mask") << state(9, 0, 0xFF) << 9
                                                     << QByteArray("gggggggg");
    QTest::newRow("current out of range") << state(200, 0, 0) << -56 << QByteArray("iiiiiiii");

    PanelState split = state(1, 0, 0);
    split.splitActive = 1;
    split.splitTxPos = 5;
    QTest::newRow("split") << split << 1 << QByteArray("ibiiiaii");
    split.transmitting = 1;
    QTest::newRow("split transmitting") << split << 1 << QByteArray("iaiiibii");
    split.transmitting = 0;
    split.splitTxPos = 8;
    QTest::newRow("split partner out of range") << split << 1 << QByteArray("ibiiiiii");
    PanelState both = state(4, 2, 0x10);
    both.splitActive = 1;
    both.splitTxPos = 7;
    QTest::newRow("group pair before split pair") << both << 4 << QByteArray("iibiaiii");
    PanelState splitFlagTwo = state(1, 0, 0);
    splitFlagTwo.splitActive = 2;
    splitFlagTwo.splitTxPos = 5;
    QTest::newRow("split flag not 1") << splitFlagTwo << 1 << QByteArray("isiiiiii");

    PanelState choosing = state(3, 0, 0x01);
    choosing.splitAwaitingTx = 1;
    QTest::newRow("split choice open: group hidden") << choosing << 3
                                                     << QByteArray("iiisiiii");
    choosing.superSplitMask = 0x08;
    choosing.previousTxPos = 1;
    QTest::newRow("split choice open, pair applies") << choosing << 3
                                                     << QByteArray("ibiaiiii");

    PanelState selecting = state(2, 0, 0);
    selecting.superSplitSelecting = 1;
    selecting.superSplitEditMask = 0x11;
    QTest::newRow("super-split selection open") << selecting << 2 << QByteArray("giiigiii");
    selecting.superSplitMask = 0x04;
    selecting.previousTxPos = 6;
    selecting.superSplitEditMask = 0x01;
    QTest::newRow("selection open over device pair") << selecting << 2
                                                     << QByteArray("giaiiibi");
}

void KeyStylesTest::txKeys()
{
    QFETCH(PanelState, state);
    QFETCH(int, pos);
    QFETCH(QByteArray, expected);

    const PanelState before = state;
    QCOMPARE(letters(decideTxKeyStyles(state, pos)), expected);
    QCOMPARE(state.currentTxPos, before.currentTxPos);
    QCOMPARE(state.superSplitMask, before.superSplitMask);
}

void KeyStylesTest::rxKeys_data()
{
    QTest::addColumn<int>("statusSeen");
    QTest::addColumn<int>("rxAntennaMode");
    QTest::addColumn<int>("rxPos");
    QTest::addColumn<QByteArray>("expected"); // RTX, RX1..RX4

    QTest::newRow("before first status") << 0 << 1 << 2 << QByteArray("iiiii");
    QTest::newRow("RTX whatever rxPos") << 1 << 0 << 3 << QByteArray("riiii");
    QTest::newRow("no key picked yet") << 1 << 1 << 0 << QByteArray("iriii");
    QTest::newRow("RX2") << 1 << 1 << 2 << QByteArray("iirii");
    QTest::newRow("RX4") << 1 << 1 << 4 << QByteArray("iiiir");
    QTest::newRow("RTX index 9") << 1 << 1 << 9 << QByteArray("iriii");
}

void KeyStylesTest::rxKeys()
{
    QFETCH(int, statusSeen);
    QFETCH(int, rxAntennaMode);
    QFETCH(int, rxPos);
    QFETCH(QByteArray, expected);

    PanelState s;
    s.statusSeen = quint8(statusSeen);
    s.rxAntennaMode = quint8(rxAntennaMode);
    s.rxPos = quint8(rxPos);
    QCOMPARE(letters(decideRxKeyStyles(s)), expected);
}

void KeyStylesTest::superSplitKey_data()
{
    QTest::addColumn<PanelState>("state");
    QTest::addColumn<char>("expected");

    QTest::newRow("in group") << state(3, 0, 0x08) << 'R';
    PanelState selecting = state(3, 0, 0);
    selecting.superSplitSelecting = 1;
    QTest::newRow("selection open") << selecting << '-';
    QTest::newRow("not in group") << state(3, 0, 0xF7) << 'i';
    QTest::newRow("current out of range") << state(8, 0, 0xFF) << 'i';
}

void KeyStylesTest::superSplitKey()
{
    QFETCH(PanelState, state);
    QFETCH(char, expected);
    QCOMPARE(letter(decideSuperSplitKeyStyle(state)), expected);
}

// The painters put the decided sheets on the form's keys, by object name.
void KeyStylesTest::paintersApplyDecision()
{
    panelState = state(4, 2, 0x11);
    MainWindow window;
    qint8 pos = 4;
    window.atualizaTeclas(&pos);
    const QByteArray expected("gibiaiii");
    for (int p = 0; p < txKeyCount; ++p) {
        auto *key = window.findChild<QPushButton *>(QStringLiteral("botaoTecla%1").arg(p + 1));
        QVERIFY(key);
        QCOMPARE(letter(key->styleSheet().toLatin1().constData()), expected.at(p));
    }
    window.clearUI(&window);
    for (const char *name : {"botaoTecla5", "botaoPower", "botaoBusy8", "botaoTeclaRX4"})
        QCOMPARE(window.findChild<QPushButton *>(name)->styleSheet(), QString(styleIdle));
    panelState = PanelState{};
}

// While the link is silent the watchdog paints 40 times a second; once the panel is
// blank, repeating it must not restyle anything, unless the benchmark asks for it.
void KeyStylesTest::silentLinkRestylesNothingTwice()
{
    panelState = PanelState{};
    MainWindow window;
    // Only a polished (shown) widget does the costly re-polish we are avoiding.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    RestyleCounter counter;
    const auto keys = window.findChildren<QPushButton *>();
    for (QPushButton *key : keys)
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
    // seven TX keys (the current one is left alone) and the 29 widgets of the panel
    QCOMPARE(counter.count, 7 + 29);
}

ORVIK_ISOLATED_SETTINGS_MAIN(KeyStylesTest, "keystyles")
#include "tst_keystyles.moc"
