#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <cstring>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/protocol.h"
#include "link/responses.h"
#include "panel/panelstate.h"
#include "panel/styles.h"

Q_DECLARE_METATYPE(PanelState)

namespace {

// A status response: TX position, split, busy (free) mask, rotor, group, transmitting,
// split TX position, previous TX position, receive mode.
QByteArray status(quint8 tx, quint8 split, quint8 freeMask, quint8 rotor, quint8 group,
                  quint8 onAir, quint8 splitTx, quint8 prev, quint8 rxMode)
{
    QByteArray r("IGT");
    for (quint8 b : {tx, split, freeMask, rotor, group, onAir, splitTx, prev, rxMode})
        r.append(char(b));
    r.append(';');
    return r;
}

// What callReceber leaves behind for one read: the bytes at position 0, the count
// in rxLength, and whatever earlier reads left beyond them.
void deliver(const QByteArray &bytes)
{
    std::memcpy(rxBuffer, bytes.constData(), size_t(bytes.size()));
    rxLength = bytes.size();
}

QStringList debugLines;
void collectDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines << message;
}

} // namespace

class DecodingTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void completeResponse_data();
    void completeResponse();
    void busyIndicators_data();
    void busyIndicators();
    void rotorAndFlags_data();
    void rotorAndFlags();
    void receiveMode_data();
    void receiveMode();
    void skippedAfterTxPress();
    void restoredReceiveLoggedOnce();
    void splitPairFromSecondResponse();
    void firmware();
    void shortResponsesChangeNothing_data();
    void shortResponsesChangeNothing();

private:
    QString sheet(const QString &name)
    {
        return window->findChild<QPushButton *>(name)->styleSheet();
    }
    MainWindow *window = nullptr;
};

void DecodingTest::init()
{
    panelState = PanelState{};
    std::memset(rxBuffer, 0, sizeof rxBuffer);
    rxLength = 0;
    window = new MainWindow;
}

void DecodingTest::cleanup()
{
    delete window;
    window = nullptr;
    qInstallMessageHandler(nullptr);
}

void DecodingTest::completeResponse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");

    const QByteArray full = status(2, 0, 0xFF, 0, 0, 0, 0, 0, 0);
    QTest::newRow("status, 13 bytes") << full << true;
    QTest::newRow("status, 12 bytes ending ;") << QByteArray("IGT").append(8, 'x').append(';')
                                                << false;
    QTest::newRow("status, 4 bytes") << QByteArray("IGT;") << false;
    QTest::newRow("status followed by more") << full + QByteArray("IGW;") << true;
    QTest::newRow("status without ;") << full.left(12) + 'x' << false;
    QTest::newRow("firmware, 6 bytes") << QByteArray("IGW\x01\x0c;") << true;
    QTest::newRow("firmware, 5 bytes") << QByteArray("IGW\x01;") << false;
    QTest::newRow("firmware, 4 bytes") << QByteArray("IGW;") << false;
    // Framed but not decodable: ignored by the decoder, still a sign of life.
    QTest::newRow("other kind") << QByteArray("IGZ;") << true;
    QTest::newRow("no IG") << QByteArray("xxxxxxxxxxxxxxxxxx;") << true;
    QTest::newRow("lone ;") << QByteArray(";") << true;
    QTest::newRow("nothing") << QByteArray() << false;
}

void DecodingTest::completeResponse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, complete);
    QCOMPARE(isCompleteResponse(reinterpret_cast<const quint8 *>(bytes.constData()),
                                bytes.size()),
             complete);
}

void DecodingTest::busyIndicators_data()
{
    QTest::addColumn<int>("freeMask");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("all free") << 0xFF << QByteArray("iiiiiiii");
    QTest::newRow("all busy") << 0x00 << QByteArray("BBBBBBBB");
    QTest::newRow("antenna 1 busy") << 0xFE << QByteArray("Biiiiiii");
    QTest::newRow("antenna 8 busy") << 0x7F << QByteArray("iiiiiiiB");
}

void DecodingTest::busyIndicators()
{
    QFETCH(int, freeMask);
    QFETCH(QByteArray, expected);
    deliver(status(0, 0, quint8(freeMask), 0, 0, 0, 0, 0, 0));
    window->processaPacoteRecebido(window);
    QByteArray shown;
    for (int n = 1; n <= 8; ++n) {
        const QString look = sheet(QStringLiteral("botaoBusy%1").arg(n));
        shown.append(look == styleBusy ? 'B' : look == styleIdle ? 'i' : '?');
    }
    QCOMPARE(shown, expected);
}

void DecodingTest::rotorAndFlags_data()
{
    QTest::addColumn<int>("rotor");
    QTest::addColumn<int>("split");
    QTest::addColumn<int>("onAir");
    QTest::addColumn<int>("litRotor"); // 0: none

    QTest::newRow("rotor 0") << 0 << 0 << 0 << 0;
    QTest::newRow("rotor 2, split, on air") << 2 << 1 << 1 << 2;
    QTest::newRow("rotor 4") << 4 << 0 << 0 << 4;
    QTest::newRow("rotor 5") << 5 << 2 << 2 << 0;
    QTest::newRow("rotor 255") << 255 << 255 << 255 << 0;
}

void DecodingTest::rotorAndFlags()
{
    QFETCH(int, rotor);
    QFETCH(int, split);
    QFETCH(int, onAir);
    QFETCH(int, litRotor);

    // A rotor lit by an earlier response must go dark again.
    deliver(status(0, 0, 0xFF, 3, 0, 0, 0, 0, 0));
    window->processaPacoteRecebido(window);
    deliver(status(0, quint8(split), 0xFF, quint8(rotor), 0, quint8(onAir), 0, 0, 0));
    window->processaPacoteRecebido(window);

    for (int r = 1; r <= 4; ++r)
        QCOMPARE(sheet(QStringLiteral("botaoRotor%1").arg(r)),
                 QString(r == litRotor ? styleAlert : styleIdle));
    QCOMPARE(panelState.activeRotor, quint8(rotor));
    QCOMPARE(panelState.splitActive, quint8(split == 1));
    QCOMPARE(sheet("botaoSplit"), QString(split == 1 ? styleAlert : styleIdle));
    QCOMPARE(sheet("botaoSend"), QString(onAir == 1 ? styleAlert : styleIdle));
    QCOMPARE(sheet("botaoPower"), QString(styleLinkUp));
}

void DecodingTest::receiveMode_data()
{
    QTest::addColumn<int>("modeBefore");
    QTest::addColumn<int>("rxPosBefore");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("modeAfter");
    QTest::addColumn<int>("rxPosAfter");
    QTest::addColumn<bool>("restored");

    // lastRxPos is 3 throughout
    QTest::newRow("0 -> 1 restores last") << 0 << 9 << 1 << 1 << 3 << true;
    QTest::newRow("stays 1") << 1 << 2 << 1 << 1 << 2 << false;
    QTest::newRow("1 -> 0 is RTX") << 1 << 2 << 0 << 0 << 8 << false;
    QTest::newRow("stays 0") << 0 << 5 << 0 << 0 << 5 << false;
    QTest::newRow("unknown value from 0") << 0 << 5 << 2 << 0 << 5 << false;
    QTest::newRow("unknown value from 1") << 1 << 2 << 7 << 1 << 2 << false;
}

void DecodingTest::receiveMode()
{
    QFETCH(int, modeBefore);
    QFETCH(int, rxPosBefore);
    QFETCH(int, field);
    QFETCH(int, modeAfter);
    QFETCH(int, rxPosAfter);
    QFETCH(bool, restored);

    PanelState s;
    s.rxAntennaMode = quint8(modeBefore);
    s.rxPos = quint8(rxPosBefore);
    s.lastRxPos = 3;
    const QByteArray r = status(0, 0, 0xFF, 0, 0, 0, 0, 0, quint8(field));
    const StatusOutcome outcome =
        beginStatusResponse(s, reinterpret_cast<const quint8 *>(r.constData()));
    QCOMPARE(outcome.skipped, false);
    QCOMPARE(outcome.rxAntennaRestored, restored);
    QCOMPARE(s.rxAntennaMode, quint8(modeAfter));
    QCOMPARE(s.rxPos, quint8(rxPosAfter));
    QCOMPARE(s.lastRxPos, quint8(3));
}

// The report that follows a TX press still shows the old antenna: only the link
// indicator reacts, the operator's selection stays, and the next report is decoded.
void DecodingTest::skippedAfterTxPress()
{
    window->enviaComutacao(5);
    QCOMPARE(sheet("botaoTecla6"), QString(styleSelected));
    const QString busyBefore = sheet("botaoBusy1");

    deliver(status(1, 1, 0x00, 2, 0, 1, 4, 0, 0));
    window->processaPacoteRecebido(window);
    QCOMPARE(sheet("botaoPower"), QString(styleLinkUp));
    QCOMPARE(sheet("botaoTecla6"), QString(styleSelected));
    QCOMPARE(sheet("botaoBusy1"), busyBefore);
    QCOMPARE(panelState.currentTxPos, quint8(5));
    QCOMPARE(panelState.switchPending, quint8(0));
    QCOMPARE(panelState.statusSeen, quint8(1));
    QCOMPARE(panelState.splitActive, quint8(0));

    window->processaPacoteRecebido(window);
    QCOMPARE(panelState.currentTxPos, quint8(1));
    QCOMPARE(sheet("botaoBusy1"), QString(styleBusy));
    QCOMPARE(sheet("botaoTecla6"), QString(styleIdle));
}

void DecodingTest::restoredReceiveLoggedOnce()
{
    panelState.lastRxPos = 2;
    debugLines.clear();
    qInstallMessageHandler(collectDebug);
    deliver(status(0, 0, 0xFF, 0, 0, 0, 0, 0, 1));
    window->processaPacoteRecebido(window);
    window->processaPacoteRecebido(window);
    qInstallMessageHandler(nullptr);

    QCOMPARE(debugLines.count(QStringLiteral("Voltou p 1!!")), 1);
    QCOMPARE(panelState.rxPos, quint8(2));
    QCOMPARE(sheet("botaoTeclaRX2"), QString(styleRxSelected));
    QCOMPARE(sheet("botaoTeclaRTX"), QString(styleIdle));
}

// The split flag is taken after the TX keys are painted, so the pair appears with
// the second report that says split is on.
void DecodingTest::splitPairFromSecondResponse()
{
    deliver(status(1, 1, 0xFF, 0, 0, 0, 5, 0, 0));
    window->processaPacoteRecebido(window);
    QCOMPARE(sheet("botaoTecla2"), QString(styleSelected));
    QCOMPARE(sheet("botaoTecla6"), QString(styleIdle));
    QCOMPARE(panelState.splitActive, quint8(1));

    window->processaPacoteRecebido(window);
    QCOMPARE(sheet("botaoTecla6"), QString(styleActive));
    QCOMPARE(sheet("botaoTecla2"), QString(styleStandby));
}

void DecodingTest::firmware()
{
    deliver(QByteArray("IGW\x01\x0c\x00;", 7));
    window->processaPacoteRecebido(window);
    QCOMPARE(window->statusBar()->currentMessage(),
             QStringLiteral("Connected! Firmware Revision: 1 . 12"));
    QCOMPARE(window->findChild<QLabel *>("labelFWVersion")->text(),
             QStringLiteral("FW Revision: 1.12"));

    deliver(QByteArray("IGW\xff\x00;", 6));
    window->processaPacoteRecebido(window);
    QCOMPARE(window->findChild<QLabel *>("labelFWVersion")->text(),
             QStringLiteral("FW Revision: 255.0"));
}

// A short read ending in ";" would leave the fields beyond it to earlier reads.
void DecodingTest::shortResponsesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("status cut to 12") << status(6, 1, 0x00, 2, 0xFF, 1, 3, 4, 1).left(11) + ';';
    QTest::newRow("status cut to 5") << QByteArray("IGT\x06;");
    QTest::newRow("firmware cut to 5") << QByteArray("IGW\x09;");
    QTest::newRow("status without ;") << status(6, 1, 0x00, 2, 0xFF, 1, 3, 4, 1).left(12) + 'x';
    QTest::newRow("not IG") << QByteArray("XGT").append(9, '\x01').append(';');
}

void DecodingTest::shortResponsesChangeNothing()
{
    QFETCH(QByteArray, bytes);

    deliver(status(2, 0, 0xFF, 0, 0, 0, 0, 0, 0));
    window->processaPacoteRecebido(window);
    window->statusBar()->clearMessage();
    const PanelState before = panelState;
    QStringList sheets;
    const auto keys = window->findChildren<QPushButton *>();
    for (QPushButton *key : keys)
        sheets << key->styleSheet();
    const QString label = window->findChild<QLabel *>("labelFWVersion")->text();

    // Stale bytes from a longer earlier read sit beyond the short one.
    deliver(status(6, 1, 0x00, 2, 0xFF, 1, 3, 4, 1) + QByteArray("IGW\x07\x07;"));
    deliver(bytes);
    window->processaPacoteRecebido(window);

    QCOMPARE(std::memcmp(&panelState, &before, sizeof before), 0);
    QStringList after;
    for (QPushButton *key : keys)
        after << key->styleSheet();
    QCOMPARE(after, sheets);
    QCOMPARE(window->findChild<QLabel *>("labelFWVersion")->text(), label);
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
}

ORVIK_ISOLATED_SETTINGS_MAIN(DecodingTest, "decoding")
#include "tst_decoding.moc"
