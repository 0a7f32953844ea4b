#include <QDialogButtonBox>
#include <QDir>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QtTest>

#include "isolatedsettings.h"
#include "journeyfixture.h"
#include "panel/styles.h"

// The operator's journeys through the whole program: the real window and pacing thread
// against the controller simulator on a pseudo-terminal, driven through the dialog,
// the menus, the keys and the keyboard. Each journey is a short script; its checks
// are the exact bytes the controller received and the looks of the keys on screen.
//
//   sim <line>        a line for the simulator's console (busy 3,6 / tx on / hangup 300)
//   press <key>       a mouse click on a visible key of the window or an open dialog
//   key F<n>          a function key on the window
//   menu <action>     a menu action, as the operator chooses it
//   type <edit> <t>   replaces the text of a line edit by typing
//   ok                the OK button of the open labels dialog
//   drained           the panel's command queue is empty (sent, or dropped if closed)
//   connect           Serial Settings › Custom, the simulator's path, Apply, Connect
//   file random|dir   before the panel starts: random bytes, or a directory, where the
//                     panel settings file belongs
//   sent <frame>      the controller has received exactly the frames named so far
//   see <w> <v>       @style: the widget's style sheet; shown/hidden; else its text
//   status <text>     the status bar's message (%settings: the panel settings file)
//   boxes <n>         critical boxes raised so far
//   answered <k> <n>  the simulator gave at least n answers of kind k
class JourneysTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup() { removeSettingsFiles(); }
    void journey_data();
    void journey();

private:
    void start(Station &station);
    void run(Station &station, const QString &step);
    int mark = 0;
    QList<QByteArray> sent;
};

namespace {

constexpr int patience = 8000; // ms; generous, the machines are shared

const QHash<QString, QString> &styles()
{
    static const QHash<QString, QString> byName{
        {"idle", styleIdle},         {"standby", styleStandby}, {"active", styleActive},
        {"selected", styleSelected}, {"group", styleGroup},     {"rxSelected", styleRxSelected},
        {"busy", styleBusy},         {"alert", styleAlert},     {"releaseAll", styleReleaseAll},
        {"linkUp", styleLinkUp}};
    return byName;
}

QString seen(QWidget *widget, const QString &expected)
{
    if (!widget)
        return "no such widget";
    if (expected.startsWith('@'))
        return '@' + styles().key(widget->styleSheet(), widget->styleSheet());
    if (expected == "shown" || expected == "hidden")
        return widget->isVisible() ? "shown" : "hidden";
    return widget->property("text").toString();
}

QStringList hangUps(int times)
{
    QStringList script;
    for (int n = 1; n <= times; ++n)
        script << "sim hangup 300" << QString("boxes %1").arg(n) << "status Disconnected"
               << "connect"
               << "status Connected! Firmware Revision: 1 . 0" << "see botaoPower @linkUp";
    return script << "press botaoTecla2" << "sent IGS1;" << "see botaoTecla2 @selected";
}

} // namespace

void JourneysTest::journey_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::newRow("TX key, then F-key")
        << QStringList{"press botaoTecla4", "see botaoTecla4 @selected", "see botaoTecla1 @idle",
                       "sent IGS3;", "key F6", "sent IGS5;", "see botaoTecla6 @selected",
                       "see botaoTecla4 @idle", "key F9", "see botaoTecla6 @selected"};
    QTest::newRow("busy antennas; the controller refuses a busy one")
        << QStringList{"sim busy 3,6", "see botaoBusy3 @busy", "see botaoBusy6 @busy",
                       "see botaoBusy1 @idle", "press botaoTecla3", "see botaoTecla3 @selected",
                       "sent IGS2;", "see botaoTecla1 @selected", "see botaoTecla3 @idle",
                       "sim busy none", "see botaoBusy3 @idle"};
    QTest::newRow("transmitting")
        << QStringList{"sim tx on", "see botaoSend @alert", "sim tx off", "see botaoSend @idle"};
    QTest::newRow("Enable, RX keys and RTX, Enable off")
        << QStringList{"see botaoTeclaRX2 hidden", "menu actionEnable", "see groupFendril shown",
                       "see botaoTeclaRTX @rxSelected", "press botaoTeclaRX2", "sent IGY1;",
                       "see botaoTeclaRX2 @rxSelected", "see botaoTeclaRTX @idle",
                       "press botaoTeclaRTX", "sent IGY8;", "see botaoTeclaRTX @rxSelected",
                       "see botaoTeclaRX2 @idle", "menu actionEnable", "see groupFendril hidden"};
    QTest::newRow("split set up, then off by the Split key")
        << QStringList{"menu actionSplit", "press botaoSplit", "status Choose the TX position:",
                       "press botaoTecla3", "status Split configured succesfuly!",
                       "sent IGP021;", "see botaoSplit @alert", "see botaoTecla3 @active",
                       "see botaoTecla1 @standby", "press botaoSplit", "sent IGP//0;",
                       "status Split disabled", "see botaoSplit @idle",
                       "see botaoTecla1 @selected", "see botaoTecla3 @idle"};
    QTest::newRow("split pair while transmitting, off by the selected key")
        << QStringList{"menu actionSplit", "press botaoSplit", "press botaoTecla5",
                       "sent IGP041;", "see botaoTecla5 @active", "sim tx on",
                       "see botaoTecla1 @active", "see botaoTecla5 @standby",
                       "press botaoTecla1", "sent IGP//0;", "status Split disabled",
                       "sim tx off", "see botaoTecla1 @selected", "see botaoTecla5 @idle"};
    QTest::newRow("Split key without its menu gate does nothing")
        << QStringList{"press botaoSplit", "press botaoTecla3", "sent IGS2;",
                       "see botaoTecla3 @selected", "see botaoSplit @idle"};
    QTest::newRow("super split group edited and confirmed")
        << QStringList{"menu actionSuper_Split", "press botaoSuperSplit",
                       "status Choose antennas for Super Split:", "see botaoSuperSplit @alert",
                       "press botaoTecla2", "see botaoTecla2 @group", "press botaoTecla5",
                       "press botaoSuperSplit", "sent IGQ\x12;",
                       "status Super Split configured succesfully!", "see botaoTecla2 @group",
                       "see botaoTecla5 @group", "see botaoTecla1 @selected",
                       "see botaoSuperSplit @idle"};
    QTest::newRow("super split selection abandoned for a split")
        << QStringList{"menu actionSuper_Split", "menu actionSplit", "press botaoSuperSplit",
                       "press botaoTecla4", "press botaoSplit", "status Choose the TX position:",
                       "press botaoTecla7", "sent IGP061;", "see botaoTecla7 @active",
                       "see botaoTecla1 @standby", "see botaoTecla4 @idle"};
    QTest::newRow("rotor on and off, gate first")
        << QStringList{"press botaoRotor3", "press botaoTecla4", "sent IGS3;",
                       "menu actionRotors", "press botaoRotor2", "sent IGV42;",
                       "see botaoRotor2 @alert", "press botaoRotor2", "sent IGV40;",
                       "see botaoRotor2 @idle"};
    QTest::newRow("Release")
        << QStringList{"press botaoTecla4", "sent IGS3;", "see botaoTecla4 @selected",
                       "press botaoRelease", "sent IGX0;", "see botaoTecla4 @idle",
                       "see botaoTecla1 @idle"};
    QTest::newRow("Release ALL, and back to Release")
        << QStringList{"menu actionRotors", "press botaoRotor1", "sent IGV11;",
                       "see botaoRotor1 @alert", "menu actionRelease_ALL",
                       "see botaoRelease RELEASE ALL", "see botaoRelease @releaseAll",
                       "press botaoRelease", "sent IGX1;", "see botaoRotor1 @idle",
                       "see botaoTecla1 @idle", "menu actionRelease_ALL",
                       "see botaoRelease Release", "see botaoRelease @idle",
                       "press botaoRelease", "sent IGX0;"};
    QTest::newRow("labels edited and accepted")
        << QStringList{"menu actionLabels", "type lineEdit4 TX4", "type lineEditAnt4 Yagi 20m",
                       "type lineEditID PY2 contest", "ok", "see botaoTecla4 TX4",
                       "see labelAnt4 Yagi 20m", "see labelID PY2 contest", "press botaoTecla4",
                       "sent IGS3;", "see botaoTecla4 @selected"};
    QTest::newRow("controller falls silent and comes back")
        << QStringList{"sim silent on", "see botaoPower @idle", "see botaoTecla1 @idle",
                       "see botaoTeclaRTX @idle", "press botaoTecla4", "sent IGS3;",
                       "see botaoTecla4 @idle", "sim silent off", "see botaoPower @linkUp",
                       "see botaoTecla4 @selected"};
    QTest::newRow("Disconnect drops a press; Connect works again")
        << QStringList{"menu actionDisconnect", "status Disconnected", "see botaoPower @idle",
                       "press botaoTecla4", "drained", "boxes 0", "connect",
                       "status Connected! Firmware Revision: 1 . 0", "press botaoTecla5",
                       "sent IGS4;", "see botaoTecla5 @selected"};
    QTest::newRow("five hang-ups, each one box and a reconnect") << hangUps(5);
    QTest::newRow("garbage and truncated answers, then a valid status")
        << QStringList{"sim garbage 5", "sim truncate 5 8", "sim busy 2", "press botaoTecla4",
                       "sent IGS3;", "answered garbage 5", "answered truncated 5",
                       "see botaoBusy2 @busy", "see botaoTecla4 @selected",
                       "see botaoPower @linkUp", "boxes 0"};
    QTest::newRow("corrupt settings file: defaults, switching works")
        << QStringList{"file random", "see botaoRelease Release", "see groupFendril hidden",
                       "see botaoTecla1 ", "press botaoTecla2", "sent IGS1;",
                       "see botaoTecla2 @selected"};
    QTest::newRow("settings file cannot be written: told, the panel goes on")
        << QStringList{"file dir", "see botaoRelease Release", "menu actionRelease_ALL",
                       "status Settings could not be saved to %settings",
                       "see botaoRelease @releaseAll", "press botaoRelease", "sent IGX1;",
                       "menu actionDisconnect", "status Disconnected", "menu actionLabels",
                       "type lineEdit1 A1", "ok",
                       "status Settings could not be saved to %settings",
                       "see botaoRelease @releaseAll", "connect"};
}

void JourneysTest::journey()
{
    QFETCH(QStringList, script);
    if (qEnvironmentVariableIsEmpty("ORVIK_SIM"))
        QSKIP("ORVIK_SIM does not name the simulator");
    Station station;
    sent.clear();
    bool started = false;
    for (const QString &step : script) {
        if (!started && !step.startsWith("file ")) {
            start(station);
            if (QTest::currentTestFailed())
                return;
            started = true;
        }
        run(station, step);
        if (QTest::currentTestFailed())
            return;
    }
    // Nothing beyond what the journey expected reached the controller.
    QVERIFY(station.settle());
    QCOMPARE(station.framesSince(mark), sent);
}

// The opening every journey shares: the simulator's line through Serial Settings ›
// Custom, Connect, and the first answers on the panel.
void JourneysTest::start(Station &station)
{
    const QString error = station.startSimulator();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    station.openWindow();
    QVERIFY(station.connectTo(station.link));
    QTRY_COMPARE_WITH_TIMEOUT(station.window->statusBar()->currentMessage(),
                              QString("Connected! Firmware Revision: 1 . 0"), patience);
    QVERIFY(station.settle(1));
    mark = station.log().size();
}

void JourneysTest::run(Station &station, const QString &step)
{
    const QString verb = step.section(' ', 0, 0);
    const QString arg = step.section(' ', 1);
    const QString name = arg.section(' ', 0, 0);
    const QString rest = arg.section(' ', 1);
    MainWindow *window = station.window.get();
    if (verb == "file") {
        if (arg == "dir") {
            QVERIFY(QDir().mkpath(panelSettingsPath()));
        } else {
            QByteArray noise(4096, '\0');
            QRandomGenerator generator(20240611);
            for (char &c : noise)
                c = char(generator.bounded(256));
            writePanelFile(noise);
        }
    } else if (verb == "sim") {
        station.say(arg.toLatin1());
    } else if (verb == "press") {
        auto *button = window->findChild<QAbstractButton *>(name);
        QVERIFY2(button && button->isVisible(), qPrintable(step));
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (verb == "key") {
        QTest::keyClick(window, Qt::Key(Qt::Key_F1 + arg.mid(1).toInt() - 1));
    } else if (verb == "menu") {
        QAction *action = station.action(arg);
        QVERIFY2(action && action->isEnabled(), qPrintable(step));
        action->trigger();
    } else if (verb == "type") {
        auto *edit = window->findChild<QLineEdit *>(name);
        QVERIFY2(edit && edit->isVisible(), qPrintable(step));
        edit->selectAll();
        QTest::keyClicks(edit, rest);
        QCOMPARE(edit->text(), rest);
    } else if (verb == "ok") {
        auto *box = window->findChild<QDialogButtonBox *>("buttonBox");
        QVERIFY(box && box->isVisible());
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    } else if (verb == "connect") {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(station.link), patience);
        QVERIFY(station.connectTo(station.link));
    } else if (verb == "drained") {
        QTRY_COMPARE_WITH_TIMEOUT(window->switchQueue.pendingCount(), 0, patience);
    } else if (verb == "sent") {
        sent << arg.toLatin1();
        QTRY_COMPARE_WITH_TIMEOUT(station.framesSince(mark), sent, patience);
    } else if (verb == "see") {
        QTRY_COMPARE_WITH_TIMEOUT(seen(window->findChild<QWidget *>(name), rest), rest,
                                  patience);
    } else if (verb == "status") {
        const QString text = QString(arg).replace("%settings", panelSettingsPath());
        QTRY_COMPARE_WITH_TIMEOUT(window->statusBar()->currentMessage(), text, patience);
    } else if (verb == "boxes") {
        QTRY_COMPARE_WITH_TIMEOUT(station.boxes.size(), arg.toInt(), patience);
        QVERIFY(station.boxes.count("Critical Error") == station.boxes.size());
    } else if (verb == "answered") {
        QTRY_VERIFY_WITH_TIMEOUT(station.countSince(mark, "tx", name) >= rest.toInt(),
                                 patience);
    } else {
        QFAIL(qPrintable("unknown step: " + step));
    }
}

ORVIK_ISOLATED_SETTINGS_MAIN(JourneysTest, "journeys")
#include "tst_journeys.moc"
