#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <cstring>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "link/protocol.h"
#include "panel/panelstate.h"
#include "panel/styles.h"

namespace {

// A status response: TX position, split, free mask, rotor, group, on air, split TX
// position, previous TX position, receive mode.
QByteArray status(quint8 tx, quint8 split, quint8 freeMask, quint8 rotor, quint8 group,
                  quint8 onAir, quint8 splitTx, quint8 prev, quint8 rxMode)
{
    QByteArray r("IGT");
    for (quint8 b : {tx, split, freeMask, rotor, group, onAir, splitTx, prev, rxMode})
        r.append(char(b));
    return r.append(';');
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
    MainWindow *window = nullptr;

    // What callReceber leaves for one read: the bytes at 0, their count in rxLength, and
    // whatever earlier reads left beyond them.
    void decode(const QByteArray &bytes)
    {
        std::memcpy(rxBuffer, bytes.constData(), size_t(bytes.size()));
        rxLength = bytes.size();
        window->processaPacoteRecebido(window);
    }
    QString sheet(const QString &name)
    {
        return window->findChild<QPushButton *>(name)->styleSheet();
    }

private slots:
    void init()
    {
        panelState = PanelState{};
        window = new MainWindow;
    }
    void cleanup()
    {
        delete window;
        qInstallMessageHandler(nullptr);
    }

    void indicators_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QString>("expected"); // busy 1..8 | rotor 1..4 | split, send

        QTest::newRow("all free") << status(0, 0, 0xFF, 0, 0, 0, 0, 0, 0) << "iiiiiiii|iiii|ii";
        QTest::newRow("all busy, rotor 2, split, on air")
            << status(0, 1, 0x00, 2, 0, 1, 0, 0, 0) << "BBBBBBBB|iRii|RR";
        QTest::newRow("antenna 1 busy, rotor 4") << status(0, 0, 0xFE, 4, 0, 0, 0, 0, 0)
                                                 << "Biiiiiii|iiiR|ii";
        QTest::newRow("rotor 5, flags 2") << status(0, 2, 0xFF, 5, 0, 2, 0, 0, 0)
                                          << "iiiiiiii|iiii|ii";
        QTest::newRow("rotor 255") << status(0, 255, 0x7F, 255, 0, 255, 0, 0, 0)
                                   << "iiiiiiiB|iiii|ii";
    }
    void indicators()
    {
        QFETCH(QByteArray, response);
        decode(status(0, 1, 0x00, 3, 0, 1, 0, 0, 0)); // everything lit must go dark again
        decode(response);
        QString shown;
        for (const char *name : {"Busy1", "Busy2", "Busy3", "Busy4", "Busy5", "Busy6", "Busy7",
                                 "Busy8", "|", "Rotor1", "Rotor2", "Rotor3", "Rotor4", "|",
                                 "Split", "Send"}) {
            const QString look = *name == '|' ? QString("|") : sheet(QString("botao") + name);
            shown += look == "|"          ? '|'
                     : look == styleBusy  ? 'B'
                     : look == styleAlert ? 'R'
                     : look == styleIdle  ? 'i'
                                          : '?';
        }
        QTEST(shown, "expected");
        QCOMPARE(sheet("botaoPower"), QString(styleLinkUp));
    }

    void receiveMode_data()
    {
        QTest::addColumn<int>("modeBefore"); // rxPos 2, lastRxPos 3 before
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("modeAfter");
        QTest::addColumn<int>("rxPosAfter");
        QTest::addColumn<QString>("lit");
        QTest::addColumn<int>("logged"); // "Voltou p 1!!" over two equal responses

        QTest::newRow("0 -> 1 restores the last") << 0 << 1 << 1 << 3 << "RX3" << 1;
        QTest::newRow("stays 1") << 1 << 1 << 1 << 2 << "RX2" << 0;
        QTest::newRow("1 -> 0 is RTX") << 1 << 0 << 0 << 8 << "RTX" << 0;
        QTest::newRow("unknown value from 0") << 0 << 2 << 0 << 2 << "RTX" << 0;
        QTest::newRow("unknown value from 1") << 1 << 7 << 1 << 2 << "RX2" << 0;
    }
    void receiveMode()
    {
        QFETCH(int, modeBefore);
        QFETCH(int, field);
        QFETCH(QString, lit);
        panelState.rxAntennaMode = quint8(modeBefore);
        panelState.rxPos = 2;
        panelState.lastRxPos = 3;
        debugLines.clear();
        qInstallMessageHandler(collectDebug);
        decode(status(0, 0, 0xFF, 0, 0, 0, 0, 0, quint8(field)));
        decode(status(0, 0, 0xFF, 0, 0, 0, 0, 0, quint8(field)));
        qInstallMessageHandler(nullptr);
        QTEST(int(panelState.rxAntennaMode), "modeAfter");
        QTEST(int(panelState.rxPos), "rxPosAfter");
        QCOMPARE(panelState.lastRxPos, quint8(3));
        QTEST(int(debugLines.count(QStringLiteral("Voltou p 1!!"))), "logged");
        QCOMPARE(sheet("botaoTecla" + lit), QString(styleRxSelected));
    }

    // The report after a TX press still shows the old antenna: only the link indicator
    // reacts, the operator's selection stays, and the next report is decoded.
    void skippedAfterTxPress()
    {
        window->enviaComutacao(5);
        const QByteArray response = status(1, 1, 0x00, 2, 0, 1, 4, 0, 0);
        decode(response);
        QCOMPARE(sheet("botaoPower"), QString(styleLinkUp));
        QCOMPARE(sheet("botaoTecla6"), QString(styleSelected));
        QVERIFY(sheet("botaoBusy1") != styleBusy);
        QCOMPARE(panelState.currentTxPos, quint8(5));
        decode(response);
        QCOMPARE(panelState.currentTxPos, quint8(1));
        QCOMPARE(sheet("botaoBusy1"), QString(styleBusy));
        QCOMPARE(sheet("botaoTecla6"), QString(styleIdle));
    }

    // The split flag is taken after the TX keys are painted: the pair appears with the
    // second report that says split is on.
    void splitPairFromSecondResponse()
    {
        decode(status(1, 1, 0xFF, 0, 0, 0, 5, 0, 0));
        QCOMPARE(sheet("botaoTecla2"), QString(styleSelected));
        QCOMPARE(sheet("botaoTecla6"), QString(styleIdle));
        window->processaPacoteRecebido(window);
        QCOMPARE(sheet("botaoTecla6"), QString(styleActive));
        QCOMPARE(sheet("botaoTecla2"), QString(styleStandby));
    }

    void firmware()
    {
        decode(QByteArray("IGW\x01\x0c\x00;", 7));
        QCOMPARE(window->statusBar()->currentMessage(),
                 QStringLiteral("Connected! Firmware Revision: 1 . 12"));
        QCOMPARE(window->findChild<QLabel *>("labelFWVersion")->text(),
                 QStringLiteral("FW Revision: 1.12"));
    }

    // A short read ending in ";" would leave the fields beyond it to earlier reads.
    void shortResponsesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("status cut to 12") << status(6, 1, 0, 2, 0xFF, 1, 3, 4, 1).left(11) + ';';
        QTest::newRow("status cut to 5") << QByteArray("IGT\x06;");
        QTest::newRow("firmware cut to 5") << QByteArray("IGW\x09;");
        QTest::newRow("not IG") << QByteArray("XGT").append(9, '\x01').append(';');
    }
    void shortResponsesChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        decode(status(2, 0, 0xFF, 0, 0, 0, 0, 0, 0));
        window->statusBar()->clearMessage();
        const PanelState before = panelState;
        const auto keys = window->findChildren<QPushButton *>();
        auto looks = [&keys, this]() {
            QStringList all{window->findChild<QLabel *>("labelFWVersion")->text()};
            for (QPushButton *key : keys)
                all << key->styleSheet();
            return all;
        };
        const QStringList looksBefore = looks();
        const QByteArray stale = status(6, 1, 0x00, 2, 0xFF, 1, 3, 4, 1) + "IGW\x07\x07;";
        std::memcpy(rxBuffer, stale.constData(), size_t(stale.size()));
        decode(bytes);
        QCOMPARE(std::memcmp(&panelState, &before, sizeof before), 0);
        QCOMPARE(looks(), looksBefore);
        QVERIFY(window->statusBar()->currentMessage().isEmpty());
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(DecodingTest, "decoding")
#include "tst_decoding.moc"
