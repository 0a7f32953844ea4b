#include <QElapsedTimer>
#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "ptypair.h"

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
        for (int word : {1, 2})
            QVERIFY(arrivals[5 * word] - arrivals[5 * word - 5] >= 95);
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
