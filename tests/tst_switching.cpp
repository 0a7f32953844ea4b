#include <QElapsedTimer>
#include <QPushButton>
#include <QSerialPort>
#include <QtTest>
#include <cstring>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "ptypair.h"

Q_DECLARE_METATYPE(PanelState)

namespace {

using Field = quint8 PanelState::*;
const Field split = &PanelState::splitActive, splitTx = &PanelState::splitTxPos,
            choosing = &PanelState::splitAwaitingTx, selecting = &PanelState::superSplitSelecting,
            edit = &PanelState::superSplitEditMask;

PanelState tx(quint8 cur, quint8 prev, quint8 group,
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

} // namespace

// Key presses → panel state and queued words → the bytes of each command, and the words as
// they leave on a real pseudo-terminal.
class SwitchingTest : public QObject
{
    Q_OBJECT
    MainWindow *window = nullptr;

    void press(const char *key)
    {
        QTest::mousePress(window->findChild<QPushButton *>(key), Qt::LeftButton);
    }
    static bool openPort(PtyPair &pty)
    {
        if (!pty.open())
            return false;
        serialPort->setPortName(pty.slavePath());
        return serialPort->open(QIODevice::ReadWrite);
    }

private slots:
    void initTestCase() { qRegisterMetaType<MainWindow *>("MainWindow*"); }
    void init()
    {
        panelState = PanelState{};
        window = new MainWindow;
    }
    void cleanup()
    {
        if (serialPort)
            serialPort->close();
        delete window;
    }

    void commandBytes_data()
    {
        QTest::addColumn<char>("letter"); // 'T' / 'W': the poll and the firmware query
        QTest::addColumn<int>("argument");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char *name, char letter, int argument, const QByteArray &bytes) {
            QTest::newRow(name) << letter << argument << bytes;
        };
        row("poll", 'T', 0, "IGT3;");
        row("firmware query", 'W', 0, "IGW;");
        row("select TX 4", 'S', 3, "IGS3;");
        row("RTX", 'Y', 8, "IGY8;");
        row("release ALL", 'X', 1, "IGX1;");
        row("super split raw mask", 'Q', 0x13, "IGQ\x13;");
        row("super split mask is ';'", 'Q', 0x3B, "IGQ;;");
        row("super split empty mask", 'Q', 0x00, QByteArray("IGQ\0;", 5));
        row("rotor 2 on TX 3", 'V', 0x32, "IGV32;");
        row("rotor on TX 8", 'V', 0x84, "IGV84;");
        row("split cur 2 pos 5", 'P', 0x36, "IGP251;");
        row("split off: 0x2F digits", 'P', 0x00, "IGP//0;");
        row("split from TX 8", 'P', 0x81, "IGP701;");
        row("unknown letter", 'Z', 1, "");
        row("lower-case letter", 's', 1, "");
    }
    void commandBytes()
    {
        QFETCH(char, letter);
        QFETCH(int, argument);
        quint8 buffer[txBufferSize];
        std::fill(buffer, buffer + txBufferSize, quint8(0xEE));
        const CommandWord word = makeCommandWord(letter, quint8(argument));
        const int n = letter == 'T'   ? assemblePoll(buffer)
                      : letter == 'W' ? assembleFirmwareQuery(buffer)
                                      : assembleCommand(word, buffer);
        QTEST(QByteArray(reinterpret_cast<const char *>(buffer), n), "expected");
    }

    void txPress_data()
    {
        QTest::addColumn<PanelState>("before");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("word"); // -1: nothing queued
        QTest::addColumn<PanelState>("after");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("repaint");

        auto row = [](const char *name, PanelState before, int pos, int word, PanelState after,
                      const char *message, bool repaint) {
            QTest::newRow(name) << before << pos << word << after << QString(message) << repaint;
        };
        row("select", tx(1, 6, 0), 3, 0x0353, tx(3, 1, 0), "", true);
        // A member of the group is never remembered as the previous position.
        row("old position in group", tx(1, 6, 0x02), 3, 0x0353, tx(3, 6, 0x02), "", true);
        const PanelState splitOn = tx(2, 4, 0, {{split, 1}, {splitTx, 7}});
        row("split off on current key", splitOn, 2, 0x0050, tx(2, 4, 0, {{splitTx, 7}}),
            "Split disabled", false);
        row("split partner moves", splitOn, 5, 0x0553, tx(2, 4, 0, {{split, 1}, {splitTx, 5}}),
            "", true);
        row("split set-up", tx(2, 4, 0, {{choosing, 1}}), 5, 0x3650,
            tx(2, 4, 0, {{split, 1}, {splitTx, 5}}), "Split configured succesfuly!", false);
        const PanelState open = tx(2, 4, 0x04, {{selecting, 1}, {edit, 0x01}});
        row("selection: add", open, 4, -1, tx(2, 4, 0x04, {{selecting, 1}, {edit, 0x11}}), "",
            false);
        row("selection: remove", open, 0, -1, tx(2, 4, 0x04, {{selecting, 1}}), "", false);
    }
    void txPress()
    {
        QFETCH(PanelState, before);
        QFETCH(int, pos);
        QFETCH(PanelState, after);
        const TxPressOutcome outcome = pressTxKey(before, qint8(pos));
        QTEST(outcome.word ? int(*outcome.word) : -1, "word");
        QTEST(QString(outcome.message), "message");
        QTEST(outcome.repaint, "repaint");
        after.switchPending = 1; // every press skips the next report once
        QCOMPARE(std::memcmp(&before, &after, sizeof after), 0);
    }

    void rxPress_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("modeBefore"); // lastRxPos 3 before
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("rxPos");
        QTest::addColumn<int>("lastRxPos");
        QTest::addColumn<int>("mode");
        QTest::newRow("RX2") << 1 << 0 << 0x0159 << 2 << 2 << 1;
        QTest::newRow("RTX from RX") << 8 << 1 << 0x0859 << 9 << 3 << 1;
        QTest::newRow("RTX from RTX") << 8 << 0 << 0x0859 << 9 << 3 << 0;
    }
    void rxPress()
    {
        QFETCH(int, index);
        QFETCH(int, modeBefore);
        PanelState state;
        state.lastRxPos = 3;
        state.rxAntennaMode = quint8(modeBefore);
        QTEST(int(pressRxKey(state, qint8(index))), "word");
        QTEST(int(state.rxPos), "rxPos");
        QTEST(int(state.lastRxPos), "lastRxPos");
        QTEST(int(state.rxAntennaMode), "mode");
        QCOMPARE(state.switchPending, quint8(0)); // receive keys skip no report
    }

    // Three quick presses leave in press order, paced by the thread, with no poll between.
    void quickPressesLeaveInOrderAndPaced()
    {
        PtyPair pty;
        QVERIFY(openPort(pty));
        for (const char *key : {"botaoTecla4", "botaoTecla1", "botaoTecla7"})
            press(key);
        QByteArray sent;
        QList<qint64> arrivals; // ms, per byte
        QElapsedTimer clock;
        clock.start();
        {
            ThreadLeitura pacing(window);
            for (QByteArray chunk; sent.size() < 20 && !(chunk = pty.read(1, 5000)).isEmpty();) {
                sent += chunk;
                arrivals += QVector<qint64>(chunk.size(), clock.elapsed()).toList();
            }
        }
        QCOMPARE(sent.left(20), QByteArray("IGS3;IGS0;IGS6;IGT3;"));
        // The thread asks more than 100 ms apart; the GUI thread may write a word a few ms
        // after the ask, so the bound leaves 5 ms of that lag. Unpaced words come in 25 ms.
        QVERIFY2(arrivals[5] - arrivals[0] >= 95, qPrintable(QString::number(arrivals[5])));
        QVERIFY2(arrivals[10] - arrivals[5] >= 95, qPrintable(QString::number(arrivals[10])));
    }

    // A word taken while the port is closed is dropped (the pacing thread keeps asking);
    // and the split command is the longest: the select after it must not carry its tail.
    void closedPortDropsWordAndSelectAfterSplitIsShort()
    {
        window->enviaComutacao(1);
        window->callEnvioFila();
        QVERIFY(window->switchQueue.isEmpty());
        QCOMPARE(window->switchQueue.pendingCount(), 0);

        PtyPair pty;
        QVERIFY(openPort(pty));
        panelState.currentTxPos = 2;
        panelState.splitAwaitingTx = 1;
        press("botaoTecla6"); // completes the split set-up
        press("botaoTecla7"); // moves the split partner
        QCOMPARE(window->switchQueue.toList(), (QList<CommandWord>{0x3650, 0x0653}));
        for (int ask = 0; ask < 3; ++ask) // the last finds the queue empty
            window->callEnvioFila();
        QCOMPARE(pty.read(13, 300), QByteArray("IGP251;IGS6;"));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(SwitchingTest, "switching")
#include "tst_switching.moc"
