#include <QDir>
#include <QSpinBox>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include "isolatedsettings.h"
#include "journeyfixture.h"
#include "radio/followsettings.h"
#include "radio/radiofollow.h"
#include "remote/stationdialog.h"
#include "stylenames.h"
#include "wiretap.h"

// The operator's journeys: the real window and its link thread against the simulator on a
// pseudo-terminal, one step after another. `sent` lists every frame so far; at the end
// nothing more has reached the controller, and no box was raised.
class JourneysTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup()
    {
        if (stationProcess)
            stopTool(*stationProcess);
        stationProcess.reset();
        removeSettingsFiles();
    }
    void journey_data();
    void journey();
    void stationPaintsAsPort();

private:
    void run(Station &station, const QString &step);
    void radio(Station &station, const QString &verb, const QString &arg);
    void serveByStation(Station &station, const QString &arg);
    int mark = 0;
    QList<QByteArray> sent;
    std::unique_ptr<Rigctld> rig;
    std::unique_ptr<RemoteLine> remote;
    quint16 udpPort = 0;
    std::unique_ptr<QProcess> stationProcess;
    quint16 stationPort = 0;
    QString stationToken;
};

namespace {

// Counts the times any key of the panel is restyled.
class RestyleCounter : public QObject
{
public:
    explicit RestyleCounter(QWidget *window)
    {
        for (QPushButton *key : window->findChildren<QPushButton *>())
            key->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::StyleChange;
        return false;
    }
};

constexpr int patience = 8000; // ms; generous, the machines are shared
const char *const connected = "status Connected! Firmware Revision: 1 . 0|";

QString seen(QWidget *widget, const QString &expected)
{
    if (!widget)
        return "no such widget";
    if (expected.startsWith('@'))
        return '@' + styleName(widget->styleSheet());
    if (expected == "shown" || expected == "hidden")
        return widget->isVisible() ? "shown" : "hidden";
    return widget->property("text").toString();
}

} // namespace

void JourneysTest::journey_data()
{
    QTest::addColumn<QStringList>("script");
    auto row = [](const char *name, const QString &steps) {
        QTest::newRow(name) << steps.split('|');
    };
    row("split set up, then off by the Split key",
        "menu actionSplit|press botaoSplit|press botaoTecla3|sent IGP021;|"
        "see botaoTecla3 @active|see botaoTecla1 @standby|press botaoSplit|sent IGP//0;|"
        "see botaoSplit @idle|see botaoTecla1 @selected");
    row("super split group edited and confirmed",
        "menu actionSuper_Split|press botaoSuperSplit|press botaoTecla2|see botaoTecla2 @group|"
        "press botaoTecla5|press botaoSuperSplit|sent IGQ\x12;|see botaoTecla5 @group|"
        "see botaoSuperSplit @idle");
    row("Release ALL with the settings file unwritable, and back to Release",
        "file dir|menu actionRotors|press botaoRotor1|sent IGV11;|menu actionRelease_ALL|"
        "status Settings could not be saved to %settings|see botaoRelease RELEASE ALL|"
        "press botaoRelease|sent IGX1;|see botaoRotor1 @idle|see botaoTecla1 @idle|"
        "menu actionRelease_ALL|see botaoRelease Release|press botaoTecla4|sent IGS3;|"
        "press botaoRelease|sent IGX0;|see botaoTecla4 @idle");
    row("controller falls silent and comes back",
        "sim silent on|see botaoPower @idle|see botaoTecla1 @idle|press botaoTecla4|sent IGS3;|"
        "see botaoTecla4 @idle|sim silent off|see botaoPower @linkUp|"
        "see botaoTecla4 @selected");
    // Nobody is there to click: the link is back and polling with the box still open. A
    // second pull gives its own box, not a second one; Disconnect ends the waiting.
    row("adapter pulled and back while nobody clicks the box",
        "menu actionReconnect_Automatically|sim hangup 2000|box Critical Error|"
        "status Waiting for %link to come back; File › Disconnect stops waiting|"
        "status Connected! Firmware Revision: 1 . 0|see botaoPower @linkUp|settle|"
        "box Critical Error|sim hangup 3000|"
        "status Waiting for %link to come back; File › Disconnect stops waiting|"
        "box Critical Error|menu actionDisconnect|wait 4500|status Disconnected|close boxes|"
        "connect|"
            + QString(connected).chopped(1));
    // Dark once, then left alone: a split costs nothing while the link is silent or closed.
    row("silence and Disconnect after a split restyle nothing",
        "menu actionSplit|press botaoSplit|press botaoTecla3|sent IGP021;|"
        "see botaoTecla3 @active|sim silent on|see botaoPower @idle|restyles 0|"
        "menu actionDisconnect|restyles 0|sim silent off|connect|"
            + QString(connected).chopped(1));
    // The window hangs with keys pressed, with nothing pressed, and with Disconnect, Connect
    // and a key inside one hang: the words still reach the switch, spaced as it needs.
    row("a window that hangs",
        "press botaoRelease|press botaoTecla1|stall 700|sent IGX0; IGS0;|stall 700|"
        "menu actionDisconnect|menu actionConnect_to_KELMAR|press botaoTecla3|stall 700|"
        "sent IGS2;|see botaoTecla3 @selected");
    row("Disconnect drops a press; a port that cannot open; Connect works again",
        "menu actionDisconnect|status Disconnected|see botaoPower @idle|press botaoTecla4|"
        "wait 300|connect ttyNONE|box Error|status Open error|close boxes|connect|"
            + QString(connected)
            + "press botaoTecla5|sent IGS4;|"
              "see botaoTecla5 @selected");
    row("garbage and truncated answers; busy antennas, one refused; transmitting",
        "sim garbage 5|sim truncate 5 8|sim busy 3,6|press botaoTecla3|sent IGS2;|"
        "answered garbage 5|answered truncated 5|see botaoBusy3 @busy|see botaoBusy1 @idle|"
        "see botaoTecla1 @selected|see botaoPower @linkUp|sim tx on|see botaoSend @alert|"
        "sim tx off|see botaoSend @idle");
    // The panel needs nothing of its own for a line served in another room.
    row("over ser2net, TCP and socat: connect, switch, status",
        "menu actionDisconnect|remote|connect|" + QString(connected)
            + "press botaoTecla4|sent IGS3;|sim busy 3|see botaoBusy3 @busy|"
              "see botaoTecla4 @selected");
    row("corrupt settings file: defaults, switching works",
        "file random|see botaoRelease Release|see groupFendril hidden|see botaoTecla1 |"
        "press botaoTecla2|sent IGS1;|see botaoTecla2 @selected");
    // Follow Radio: exactly one select per band change, none while the switch reports
    // transmitting or the antenna is busy, the operator's key until the band changes,
    // and each band's last antenna when the radio comes back to it; in split, the TX
    // frequency decides.
    row("following rigctld: interlocks, the operator's key, memory, split; restarted",
        "rig up|follow rigctld|rig F 14200000|sent IGS2;|see followStatus 20m → 3|"
        "rig F 14100000|sim tx on|see botaoSend @alert|rig F 7100000|"
        "see followStatus 40m: waiting for RX|sim tx off|sent IGS4;|sim busy 3|"
        "see botaoBusy3 @busy|rig F 14200000|see followStatus 20m: 3 busy|sim busy none|"
        "sent IGS2;|press botaoTecla6|sent IGS5;|rig F 7050000|sent IGS4;|rig F 14250000|"
        "sent IGS5;|rig S 1 VFOB|rig I 7100000|sent IGS4;|rig I 14200000|sent IGS5;|"
        "rig down|see followStatus Radio: no connection|rig up|"
        "see followStatus 145.000 MHz: no band|rig F 7100000|sent IGS4;");
    // The band changes while the operator sets up a split and no report has come since:
    // the select waits for the panel to be back in its normal mode, is never taken as the
    // split's partner, and goes once the switch has confirmed the select before it.
    row("following N1MM against an open split set-up",
        "follow n1mm|n1mm 2 710000 2 False|sent IGS4;|sim silent on|menu actionSplit|"
        "press botaoSplit|n1mm 2 1420000 2 False|see followStatus 20m: split in use|wait 500|"
        "menu actionSuper_Split|press botaoSuperSplit|press botaoTecla2|press botaoSuperSplit|"
        "sent IGQ\x02;|sim silent off|sent IGS2;");
    // Another root, an unclosed one, another radio's: none of them moves the switch.
    row("following N1MM: only RadioInfo of the radio with transmit focus",
        "follow n1mm|n1mm 1 710000 2 False|n1mm raw <contactinfo><TXFreq>710000</TXFreq>"
        "</contactinfo>|n1mm raw <RadioInfo><TXFreq>710000</TXFreq>|"
        "n1mm 2 1420000 2 TRUE|see followStatus 20m: waiting for RX|n1mm 2 1420000 2 false|"
        "sent IGS2;|n1mm 2 710000 2 False|sent IGS4;");
    // A logger flipping between 20 m and 40 m every 100 ms, no dwell: each select waits for
    // the switch's word on the last, none goes out on a report older than one poll, and
    // the polls are never starved.
    row("following a flipping logger while transmitting",
        "follow n1mm 0|n1mm flip 1000|sim tx on|see botaoSend @alert|n1mm flip 2000|"
        "check selects|sim tx off|forget");
    // The panel as a client of orvik-station, which alone has the port: keys go there as
    // commands, what the switch says comes back painted as before, a lost station is one
    // box and the idle look, and the panel finds the station again by itself.
    row("served by orvik-station",
        "menu actionDisconnect|menu actionReconnect_Automatically|station up|station connect|"
        "see botaoTecla1 @selected|press botaoTecla5|sent IGS4;|see botaoTecla5 @selected|"
        "status Station Orvik, last change by shack-panel|station down|box Critical Error|"
        "see botaoTecla5 @idle|see botaoPower @idle|close|station up|see botaoTecla5 @selected|"
        "press botaoTecla2|sent IGS1;");
}

void JourneysTest::journey()
{
    QFETCH(QStringList, script);
    if (qEnvironmentVariableIsEmpty("ORVIK_SIM"))
        QSKIP("ORVIK_SIM does not name the simulator");
    const WireTap tap;
    Station station;
    sent.clear();
    rig.reset();
    remote.reset();
    stationPort = 0;
    bool started = false;
    for (const QString &step : script) {
        if (!started && !step.startsWith("file ")) {
            const QString error = station.startSimulator();
            QVERIFY2(error.isEmpty(), qPrintable(error));
            station.openWindow();
            run(station, "connect");
            run(station, QString(connected).chopped(1));
            QVERIFY(station.settle(1));
            mark = station.log().size();
            started = true;
        }
        run(station, step);
        if (QTest::currentTestFailed())
            return;
    }
    // Nothing beyond what the journey expected reached the controller.
    QVERIFY(station.settle());
    QCOMPARE(station.framesSince(mark), sent);
    QCOMPARE(station.openBoxes(), QStringList());
    // Whatever the window did meanwhile, the link kept the controller's spacing.
    QCOMPARE(WireTap::spacingFault(), QString());
}

void JourneysTest::run(Station &station, const QString &step)
{
    const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
    const QString name = arg.section(' ', 0, 0), rest = arg.section(' ', 1);
    MainWindow *window = station.window.get();
    if (verb == "file" && arg == "dir") {
        QVERIFY(QDir().mkpath(panelSettingsPath()));
    } else if (verb == "file") {
        QByteArray noise;
        for (quint32 x = 20240611; noise.size() < 4096; x = x * 1103515245 + 12345)
            noise += char(x >> 16);
        writePanelFile(noise);
    } else if (verb == "sim") {
        station.say(arg.toLatin1());
    } else if (verb == "press") {
        auto *button = window->findChild<QAbstractButton *>(name);
        QVERIFY2(button && button->isVisible(), qPrintable(step));
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (verb == "menu") {
        QAction *action = station.action(arg);
        QVERIFY2(action && action->isEnabled(), qPrintable(step));
        action->trigger();
    } else if (verb == "remote") {
        remote = std::make_unique<RemoteLine>();
        const QString error = remote->start(station.link, station.dir.path());
        if (error.startsWith("not installed"))
            QSKIP(qPrintable(error + " (apt-get install ser2net socat)"));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    } else if (verb == "connect" && !arg.isEmpty()) { // a path that cannot be opened
        QVERIFY(!station.connectTo(station.dir.filePath(arg)));
    } else if (verb == "connect") {
        const QString path = remote ? remote->path : station.link;
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path), patience);
        QVERIFY(station.connectTo(path));
    } else if (verb == "wait") {
        QTest::qWait(arg.toInt());
    } else if (verb == "stall") { // the window hangs; the link must not
        QThread::msleep(arg.toULong());
    } else if (verb == "settle") {
        QVERIFY(station.settle(2));
    } else if (verb == "box") {
        QTRY_COMPARE_WITH_TIMEOUT(station.openBoxes(), QStringList{arg}, patience);
    } else if (verb == "close") {
        for (QWidget *box : window->findChildren<QMessageBox *>())
            box->close();
    } else if (verb == "restyles") {
        QTest::qWait(100);
        RestyleCounter restyles(window);
        QTest::qWait(2000);
        QCOMPARE(restyles.count, arg.toInt());
    } else if (verb == "sent") { // one frame, or several that went out together
        sent << arg.toLatin1().split(' ');
        QTRY_COMPARE_WITH_TIMEOUT(station.framesSince(mark), sent, patience);
    } else if (verb == "see") {
        QTRY_COMPARE_WITH_TIMEOUT(seen(window->findChild<QWidget *>(name), rest), rest, patience);
    } else if (verb == "status") {
        const QString text =
            QString(arg).replace("%settings", panelSettingsPath()).replace("%link", station.link);
        QTRY_COMPARE_WITH_TIMEOUT(window->statusBar()->currentMessage(), text, patience);
    } else if (verb == "station") {
        serveByStation(station, arg);
    } else if (verb == "check") {
        QCOMPARE(WireTap::selectUnderTransmit(), QString());
    } else if (verb == "forget") { // what went out so far is not the journey's to predict
        QVERIFY(station.settle());
        mark = station.log().size();
        sent.clear();
    } else if (verb == "answered") {
        QTRY_VERIFY_WITH_TIMEOUT(station.countSince(mark, "tx", name) >= rest.toInt(), patience);
    } else if (verb == "rig" || verb == "follow" || verb == "n1mm") {
        radio(station, verb, arg);
    } else {
        QFAIL(qPrintable("unknown step: " + step));
    }
}

void JourneysTest::radio(Station &station, const QString &verb, const QString &arg)
{
    if (verb == "rig" && arg == "up") {
        if (!rig)
            rig = std::make_unique<Rigctld>();
        const QString error = rig->start();
        if (error.startsWith("not installed"))
            QSKIP(qPrintable(error + " (apt-get install libhamlib-utils)"));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    } else if (verb == "rig" && arg == "down") {
        rig->stop();
    } else if (verb == "rig") {
        const QString error = rig->rigctl(arg);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    } else if (verb == "follow") {
        FollowSettings follow;
        follow.follow = true;
        follow.bandTx = {{"20m", 3}, {"40m", 5}};
        follow.source = arg.startsWith("n1mm") ? SourceKind::N1mm : SourceKind::Rigctld;
        if (arg.contains(' '))
            follow.dwellMs = arg.section(' ', 1).toInt();
        follow.rigctldPort = rig ? rig->port : 0;
        follow.n1mmPort = udpPort = freeLoopbackPort(true);
        // What Radio and Bands… OK does with what the dialog holds.
        station.window->findChild<RadioFollow *>()->apply(follow);
    } else if (arg.startsWith("flip ")) { // RadioInfo on 20 m and 40 m in turn, 10 a second
        QTimer flip;
        bool forty = false;
        QObject::connect(&flip, &QTimer::timeout, &flip, [&] {
            radio(station, "n1mm", (forty = !forty) ? "2 710000 2 False" : "2 1420000 2 False");
        });
        flip.start(100);
        QTest::qWait(arg.section(' ', 1).toInt());
    } else {
        const QStringList f = arg.split(' ');
        const QString info = QString("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<RadioInfo>"
                                     "<app>N1MM</app><RadioNr>%1</RadioNr><Freq>%2</Freq>"
                                     "<TXFreq>%2</TXFreq><ActiveRadioNr>%3</ActiveRadioNr>"
                                     "<IsTransmitting>%4</IsTransmitting></RadioInfo>")
                                 .arg(f.value(0), f.value(1), f.value(2), f.value(3));
        QUdpSocket().writeDatagram(arg.startsWith("raw ") ? arg.mid(4).toUtf8() : info.toUtf8(),
                                   QHostAddress::LocalHost, udpPort);
    }
}

// The panel served by the station shows each look exactly as the panel on the port does:
// the same switch states, the same pixels in the window's keys and labels.
void JourneysTest::stationPaintsAsPort()
{
    if (qEnvironmentVariableIsEmpty("ORVIK_SIM"))
        QSKIP("ORVIK_SIM does not name the simulator");
    // Each look: what the operator and the simulator do, and what shows before the picture.
    const QStringList looks = {
        "see botaoTecla1 @selected",
        "sim busy 3,6|see botaoBusy6 @busy",
        "sim tx on|see botaoSend @alert",
        "sim tx off|sim busy none|see botaoSend @idle|see botaoBusy6 @idle",
        "menu actionSplit|press botaoSplit|press botaoTecla3|see botaoTecla3 @active",
        "press botaoSplit|see botaoTecla3 @idle",
        "sim silent on|see botaoPower @idle",
    };
    QList<QImage> onPort;
    for (const bool served : {false, true}) {
        // A fresh simulator and window each time, so both start from the same switch.
        Station station;
        stationPort = 0;
        QVERIFY(station.startSimulator().isEmpty());
        station.openWindow();
        run(station, "connect");
        run(station, QString(connected).chopped(1));
        if (served) {
            run(station, "menu actionDisconnect");
            serveByStation(station, "up");
            serveByStation(station, "connect");
        }
        for (int i = 0; i < looks.size(); ++i) {
            for (const QString &step : looks[i].split('|'))
                run(station, step);
            // A press skips the next report and a split shows with the one after: four
            // answers and the look has settled, whoever carries them.
            if (!looks[i].contains("silent"))
                QVERIFY(station.settle(4));
            const QImage shot = station.window->centralWidget()->grab().toImage();
            if (!served)
                onPort << shot;
            else
                QVERIFY2(shot == onPort[i], qPrintable("look after " + looks[i]));
        }
        if (stationProcess)
            stopTool(*stationProcess);
    }
}

void JourneysTest::serveByStation(Station &station, const QString &arg)
{
    const QString program = qEnvironmentVariable("ORVIK_STATION");
    if (program.isEmpty())
        QSKIP("ORVIK_STATION does not name orvik-station");
    const QString config = station.dir.filePath("station.ini");
    if (arg == "up" && !stationPort) {
        stationPort = freeLoopbackPort();
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QString("[Station]\nPort=%1\nListen=127.0.0.1:%2\nWeb=127.0.0.1:%3\n")
                       .arg(station.link)
                       .arg(stationPort)
                       .arg(freeLoopbackPort())
                       .toUtf8());
        file.close();
        QProcess add;
        add.start(program, {"--config", config, "--add-token", "shack-panel"});
        QVERIFY(add.waitForFinished(10000) && add.exitCode() == 0);
        stationToken = QString::fromLatin1(add.readAll()).trimmed();
    }
    if (arg == "up") {
        stationProcess = std::make_unique<QProcess>();
        stationProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        stationProcess->start(program, {"--config", config});
        QVERIFY(waitFor([&] { return listensOnLoopback(stationPort); }, 10000));
    } else if (arg == "down") {
        stopTool(*stationProcess);
    } else { // File › Connect to Station…, filled in and OK
        QTimer::singleShot(0, station.window.get(), [&] {
            auto *dialog = station.window->findChild<StationDialog *>();
            dialog->findChild<QLineEdit *>("stationHost")->setText("127.0.0.1");
            dialog->findChild<QSpinBox *>("stationPort")->setValue(stationPort);
            dialog->findChild<QLineEdit *>("stationToken")->setText(stationToken);
            dialog->accept();
        });
        station.action("actionConnect_to_Station")->trigger();
    }
}

ORVIK_ISOLATED_SETTINGS_MAIN(JourneysTest, "journeys")
#include "tst_journeys.moc"
