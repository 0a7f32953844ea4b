#include <QAction>
#include <QGroupBox>
#include <QPushButton>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/settingsvalues.h"
#include "isolatedsettings.h"
#include "panel/panelstate.h"
#include "panel/styles.h"

// The mode keys on the real window: gates, the words they queue, the messages and the
// looks they leave, and the two options that persist.
class ModesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gateOffDoesNothing_data();
    void gateOffDoesNothing();
    void splitSetUpAndOff();
    void superSplitGroupEdited();
    void splitAbandonsSelectionAndBack();
    void rotorOnThenOff();
    void release_data();
    void release();
    void releaseAllAction();
    void enableAction();

private:
    QPushButton *key(const char *name) { return window->findChild<QPushButton *>(name); }
    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    QString message() { return window->statusBar()->currentMessage(); }
    QList<CommandWord> queued() { return window->switchQueue.toList(); }
    bool storedFlag(const char *name)
    {
        QSettings stored(panelSettingsPath(), QSettings::IniFormat);
        return iniFlag(stored.value(name, QString()));
    }

    MainWindow *window = nullptr;
};

void ModesTest::init()
{
    removeSettingsFiles();
    panelState = PanelState{};
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void ModesTest::cleanup()
{
    delete window;
    window = nullptr;
    removeSettingsFiles();
}

void ModesTest::gateOffDoesNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("Split key") << "botaoSplit";
    QTest::newRow("Super Split key") << "botaoSuperSplit";
    QTest::newRow("rotor 1") << "botaoRotor1";
    QTest::newRow("rotor 4") << "botaoRotor4";
    QTest::newRow("unwired rotor slot") << "on_rotor2_clicked";
}

void ModesTest::gateOffDoesNothing()
{
    QFETCH(QString, target);
    panelState.superSplitMask = 0x05;
    panelState.splitActive = 1;
    const QString superLook = key("botaoSuperSplit")->styleSheet();
    const QByteArray before(reinterpret_cast<const char *>(&panelState), sizeof panelState);

    if (target.startsWith("on_"))
        QVERIFY(QMetaObject::invokeMethod(window, target.toLatin1().constData()));
    else
        key(target.toLatin1().constData())->click();

    QVERIFY(queued().isEmpty());
    QCOMPARE(message(), QString());
    QCOMPARE(key("botaoSuperSplit")->styleSheet(), superLook);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&panelState), sizeof panelState), before);
}

void ModesTest::splitSetUpAndOff()
{
    action("actionSplit")->setChecked(true);
    key("botaoSplit")->click();
    QCOMPARE(message(), QString("Choose the TX position:"));
    QVERIFY(queued().isEmpty());

    key("botaoTecla3")->click();
    QCOMPARE(message(), QString("Split configured succesfuly!"));
    QCOMPARE(queued(), QList<CommandWord>{0x1350});
    QCOMPARE(int(panelState.splitActive), 1);
    QCOMPARE(int(panelState.splitTxPos), 2);

    key("botaoSplit")->click();
    QCOMPARE(message(), QString("Split disabled"));
    QCOMPARE(queued(), (QList<CommandWord>{0x1350, 0x0050}));
    QCOMPARE(int(panelState.splitActive), 0);
    QCOMPARE(int(panelState.splitAwaitingTx), 0);
}

void ModesTest::superSplitGroupEdited()
{
    action("actionSuper_Split")->setChecked(true);
    panelState.superSplitMask = 0x05;
    panelState.currentTxPos = 6; // outside the group, so no pair is drawn over it
    key("botaoSuperSplit")->click();
    QCOMPARE(message(), QString("Choose antennas for Super Split:"));
    QCOMPARE(key("botaoSuperSplit")->styleSheet(), QString(styleAlert));
    // The edited group is drawn in teal at once.
    QCOMPARE(key("botaoTecla1")->styleSheet(), QString(styleGroup));
    QCOMPARE(key("botaoTecla3")->styleSheet(), QString(styleGroup));

    key("botaoTecla2")->click();
    key("botaoTecla1")->click();
    QVERIFY(queued().isEmpty());

    key("botaoSuperSplit")->click();
    QCOMPARE(queued(), QList<CommandWord>{0x0651});
    QCOMPARE(message(), QString("Super Split configured succesfully!"));
    QCOMPARE(key("botaoSuperSplit")->styleSheet(), QString(styleIdle));
    QCOMPARE(int(panelState.superSplitSelecting), 0);
    QCOMPARE(int(panelState.superSplitMask), 0x05); // until the controller reports it
}

void ModesTest::splitAbandonsSelectionAndBack()
{
    action("actionSplit")->setChecked(true);
    action("actionSuper_Split")->setChecked(true);
    panelState.superSplitMask = 0x01;
    key("botaoSuperSplit")->click();
    key("botaoTecla4")->click(); // edit: 0x09

    key("botaoSplit")->click();
    QCOMPARE(message(), QString("Choose the TX position:"));
    QCOMPARE(int(panelState.superSplitSelecting), 0);
    QCOMPARE(int(panelState.splitAwaitingTx), 1);
    QVERIFY(queued().isEmpty());

    // Back to super split: the split choice is abandoned, the group copied afresh.
    key("botaoSuperSplit")->click();
    QCOMPARE(int(panelState.splitAwaitingTx), 0);
    QCOMPARE(int(panelState.superSplitEditMask), 0x01);
    key("botaoSuperSplit")->click();
    QCOMPARE(queued(), QList<CommandWord>{0x0151});
}

void ModesTest::rotorOnThenOff()
{
    action("actionRotors")->setChecked(true);
    panelState.currentTxPos = 4;
    key("botaoRotor2")->click();
    panelState.activeRotor = 2; // the controller reports it
    key("botaoRotor2")->click();
    QVERIFY(QMetaObject::invokeMethod(window, "on_rotor3_clicked"));
    QCOMPARE(queued(), (QList<CommandWord>{0x5256, 0x5056, 0x5356}));
}

void ModesTest::release_data()
{
    QTest::addColumn<bool>("releaseAll");
    QTest::addColumn<int>("word");
    QTest::newRow("Release ALL") << true << 0x0158;
    QTest::newRow("Release") << false << 0x0058;
}

void ModesTest::release()
{
    QFETCH(bool, releaseAll);
    QFETCH(int, word);
    action("actionRelease_ALL")->setChecked(releaseAll);
    key("botaoRelease")->click();
    QCOMPARE(queued(), QList<CommandWord>{CommandWord(word)});
}

void ModesTest::releaseAllAction()
{
    action("actionRelease_ALL")->trigger();
    QCOMPARE(key("botaoRelease")->text(), QString("RELEASE ALL"));
    QCOMPARE(key("botaoRelease")->styleSheet(), QString(styleReleaseAll));
    QVERIFY(storedFlag("RL"));

    action("actionRelease_ALL")->trigger();
    QCOMPARE(key("botaoRelease")->text(), QString("Release"));
    QCOMPARE(key("botaoRelease")->styleSheet(), QString(styleIdle));
    QVERIFY(!storedFlag("RL"));
    QVERIFY(queued().isEmpty());
    QCOMPARE(message(), QString());
}

void ModesTest::enableAction()
{
    auto *group = window->findChild<QGroupBox *>("groupFendril");
    action("actionEnable")->trigger();
    QVERIFY(group->isVisible());
    QCOMPARE(window->size(), QSize(666, 273));
    QVERIFY(storedFlag("REC"));

    action("actionEnable")->trigger();
    QVERIFY(!group->isVisible());
    QCOMPARE(window->size(), QSize(666, 208));
    QVERIFY(!storedFlag("REC"));
}

ORVIK_ISOLATED_SETTINGS_MAIN(ModesTest, "tst_modes")
#include "tst_modes.moc"
