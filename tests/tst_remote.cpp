#include <QStatusBar>
#include <QtTest>

#include "isolatedsettings.h"
#include "journeyfixture.h"
#include "panel/styles.h"

// A station runs the panel in another room: the controller's serial line is served by
// ser2net, carried over TCP and turned back into a local pseudo-terminal by socat. The
// panel needs nothing of its own for it; this proves the whole chain on 127.0.0.1.
class RemoteTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup() { removeSettingsFiles(); }
    void connectSwitchAndStatusOverTcp();
};

void RemoteTest::connectSwitchAndStatusOverTcp()
{
    if (qEnvironmentVariableIsEmpty("ORVIK_SIM"))
        QSKIP("ORVIK_SIM does not name the simulator");
    if (RemoteLine::tool("ser2net").isEmpty() || RemoteLine::tool("socat").isEmpty())
        QSKIP("ser2net and socat are not installed (apt-get install ser2net socat)");
    Station station;
    QString error = station.startSimulator({"--fw", "2.7"});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    RemoteLine remote;
    error = remote.start(station.link, station.dir.path());
    QVERIFY2(error.isEmpty(), qPrintable(error));

    station.openWindow();
    QVERIFY(station.connectTo(remote.path));
    // Connect: the firmware query crosses the chain and its answer comes back.
    QTRY_COMPARE_WITH_TIMEOUT(station.countSince(0, "rx", "firmware"), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(station.window->statusBar()->currentMessage(),
                              QString("Connected! Firmware Revision: 2 . 7"), 10000);
    QVERIFY(station.settle(1, 10000));

    // Switch: a TX key reaches the controller as exactly its five bytes.
    const int mark = station.log().size();
    auto *key = station.window->findChild<QPushButton *>("botaoTecla4");
    QTest::mouseClick(key, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(station.framesSince(mark), QList<QByteArray>{"IGS3;"}, 10000);

    // Status: what the controller reports comes back onto the keys.
    station.say("busy 3,6");
    auto style = [&](const char *name) {
        return station.window->findChild<QPushButton *>(name)->styleSheet();
    };
    QTRY_COMPARE_WITH_TIMEOUT(style("botaoBusy3"), QString(styleBusy), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(style("botaoBusy6"), QString(styleBusy), 10000);
    QCOMPARE(style("botaoBusy1"), QString(styleIdle));
    QCOMPARE(style("botaoTecla4"), QString(styleSelected));
    QCOMPARE(style("botaoPower"), QString(styleLinkUp));
    QVERIFY(station.boxes.isEmpty());
}

ORVIK_ISOLATED_SETTINGS_MAIN(RemoteTest, "remote")
#include "tst_remote.moc"
