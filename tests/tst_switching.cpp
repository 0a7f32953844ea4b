#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/clock.h"
#include "link/linksession.h"
#include "link/pacing.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "ptypair.h"
#include "tables.h"

// The bytes of each command, and the words of key presses as they leave on a real
// pseudo-terminal.
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
        linkSession.start(monotonicMs());
        linkSession.firmwareSeen = true; // no firmware query in the way
        lastFrameWritten = PacingTime(0); // whatever an earlier test wrote is long past
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
        // letter: 'T' / 'W': the poll and the firmware query
        columns<char, int, QByteArray>({"letter", "argument", "expected"});
        auto row = [](const char *name, char letter, int argument, const QByteArray &bytes) {
            QTest::newRow(name) << letter << argument << bytes;
        };
        row("poll", 'T', 0, "IGT3;");
        row("firmware query", 'W', 0, "IGW;");
        row("select TX 4", 'S', 3, "IGS3;");
        row("RTX", 'Y', 8, "IGY8;");
        row("release ALL", 'X', 1, "IGX1;");
        row("super split mask is ';'", 'Q', 0x3B, "IGQ;;");
        row("super split empty mask", 'Q', 0x00, QByteArray("IGQ\0;", 5));
        row("rotor 2 on TX 3", 'V', 0x32, "IGV32;");
        row("split cur 2 pos 5", 'P', 0x36, "IGP251;");
        row("split off: 0x2F digits", 'P', 0x00, "IGP//0;");
        row("split from TX 8", 'P', 0x81, "IGP701;");
        row("unknown letter", 'Z', 1, "");
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

    // Quick presses: a newer TX choice replaces one not yet sent, Release keeps its place,
    // a held F-key acts once; what is left goes out in order, no poll between.
    void quickPressesLeaveCoalescedInOrder()
    {
        PtyPair pty;
        QVERIFY(openPort(pty));
        press("botaoTecla4");
        QTest::mouseClick(window->findChild<QPushButton *>("botaoRelease"), Qt::LeftButton);
        press("botaoTecla1");
        for (bool repeat : {false, true, true}) {
            QKeyEvent f7(QEvent::KeyPress, Qt::Key_F7, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(window, &f7);
        }
        QCOMPARE(window->switchQueue.size(), 2);
        QByteArray sent;
        {
            ThreadLeitura pacing(window);
            sent = pty.read(15, 5000);
        }
        // Their spacing on the wire is checked where they are written (tst_realline).
        QCOMPARE(sent.left(15), QByteArray("IGX0;IGS6;IGT3;"));
    }

    // A word taken while the port is closed is dropped (the pacing thread keeps asking);
    // and the split command is the longest: the select after it must not carry its tail.
    void closedPortDropsWordAndSelectAfterSplitIsShort()
    {
        lastFrameWritten = PacingTime(0);
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
        for (int ask = 0; ask < 3; ++ask) { // the last finds the queue empty
            lastFrameWritten = PacingTime(0);
            window->callEnvioFila();
        }
        QCOMPARE(pty.read(13, 300), QByteArray("IGP251;IGS6;"));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(SwitchingTest, "switching")
#include "tst_switching.moc"
