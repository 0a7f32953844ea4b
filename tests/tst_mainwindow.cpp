#include <QAction>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "isolatedsettings.h"
#include "link/threadleitura.h"
#include "panel/panelstate.h"
#include "ui_mainwindow.h"

// The main window as the form builds it, and the window's own behaviour around it:
// what is hidden after construction, which keys reach the switch, and a clean run.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formWidgets_data();
    void formWidgets();
    void formCreationOrder_data();
    void formCreationOrder();
    void busyKeysCoverRadioButtons();
    void labelLook_data();
    void labelLook();
    void actions_data();
    void actions();
    void menus_data();
    void menus();

    void windowAfterConstruction();
    void functionKeys_data();
    void functionKeys();
    void startAndCloseWithPacingThread();

private:
    // The form alone, right after its set-up and text steps, on a bare host window.
    QMainWindow host;
    Ui::mainWindow form;
};

void MainWindowTest::initTestCase()
{
    registerResources();
    form.setupUi(&host);
}

void MainWindowTest::init()
{
    removeSettingsFiles();
    panelState = PanelState{};
}

void MainWindowTest::cleanup()
{
    removeSettingsFiles();
}

static QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *name : list)
        out << QString::fromLatin1(name);
    return out;
}

static QStringList numbered(const char *stem, std::initializer_list<int> numbers)
{
    QStringList out;
    for (int n : numbers)
        out << QString::fromLatin1(stem) + QString::number(n);
    return out;
}

void MainWindowTest::formWidgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    auto row = [](const QString &name, const char *cls, const char *parent, QRect geometry,
                  const QString &text) {
        QTest::newRow(qPrintable(name)) << name << cls << parent << geometry << text;
    };
    row("frame", "QFrame", "centralWidget", QRect(140, 40, 421, 80), QString());
    for (int n = 1; n <= 8; ++n) {
        const int x = 20 + 50 * (n - 1);
        const QString num = QString::number(n);
        row("botaoTecla" + num, "QPushButton", "frame", QRect(x, 40, 41, 41), "");
        row("busy" + num, "QRadioButton", "frame", QRect(x + 10, 0, 16, 17), "");
        row("labelAnt" + num, "QLabel", "frame", QRect(x, 20, 41, 20), "   Ant " + num);
        row("botaoBusy" + num, "QPushButton", "frame", QRect(x, 0, 41, 20), "BUSY");
    }
    row("labelFWVersion", "QLabel", "centralWidget", QRect(20, 180, 91, 20), "");
    row("botaoRelease", "QPushButton", "centralWidget", QRect(20, 0, 91, 23), "Release");
    row("labelID", "QLabel", "centralWidget", QRect(150, 10, 401, 21), "");
    row("labelKorvane", "QLabel", "centralWidget", QRect(570, 120, 111, 20), "KORVANE");
    row("label", "QLabel", "centralWidget", QRect(580, 10, 91, 16), "ORVIK");
    row("label_2", "QLabel", "centralWidget", QRect(580, 30, 91, 16), "Remote Control");
    row("groupFendril", "QGroupBox", "centralWidget", QRect(160, 130, 391, 81),
        "Receiver Antennas");
    row("labelRTX", "QLabel", "groupFendril", QRect(120, 10, 41, 20), "RTX");
    row("botaoTeclaRTX", "QPushButton", "groupFendril", QRect(120, 30, 41, 41), "RTX");
    for (int n = 1; n <= 4; ++n) {
        const int x = 120 + 50 * n;
        const QString num = QString::number(n);
        row("labelRX" + num, "QLabel", "groupFendril", QRect(x, 10, 41, 20), "RX" + num);
        row("botaoTeclaRX" + num, "QPushButton", "groupFendril", QRect(x, 30, 41, 41),
            "RX" + num);
        row("botaoRotor" + num, "QPushButton", "centralWidget",
            QRect(20, 40 + 30 * (n - 1), 41, 20), "RT " + num);
    }
    row("labelFendril", "QLabel", "groupFendril", QRect(10, 30, 101, 20), "FENDRIL WF");
    row("botaoSplit", "QPushButton", "centralWidget", QRect(70, 40, 61, 20), "SPLIT");
    row("botaoSuperSplit", "QPushButton", "centralWidget", QRect(70, 70, 61, 20),
        "S. SPLIT");
    row("botaoSend", "QPushButton", "centralWidget", QRect(70, 100, 61, 20), "SEND");
    row("botaoPower", "QPushButton", "centralWidget", QRect(70, 130, 61, 20), "POWER");
    row("menuBar", "QMenuBar", "mainWindow", QRect(0, 0, 698, 20), QString());
}

void MainWindowTest::formWidgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    const QList<QWidget *> found = host.findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *widget = found.first();
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QCOMPARE(widget->geometry(), geometry);
    if (!text.isNull()) {
        const char *property = className == "QGroupBox" ? "title" : "text";
        QCOMPARE(widget->property(property).toString(), text);
    }
}

// The focus chain follows creation; raise() reorders children() into stacking order.
void MainWindowTest::formCreationOrder_data()
{
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QStringList>("created");
    QTest::addColumn<QStringList>("stacked");

    const QStringList keys = numbered("botaoTecla", {8, 1, 4, 5, 2, 6, 3, 7});
    const QStringList radios = numbered("busy", {1, 2, 3, 4, 5, 6, 7, 8});
    const QStringList labels = numbered("labelAnt", {1, 2, 3, 4, 5, 6, 7, 8});
    QTest::newRow("frame") << "frame"
                           << keys + radios + labels
                                  + numbered("botaoBusy", {1, 3, 4, 6, 7, 8, 2, 5})
                           << keys + radios + labels
                                  + numbered("botaoBusy", {1, 3, 4, 7, 8, 6, 2, 5});
    const QStringList tail = names({"groupFendril", "botaoRotor1", "botaoRotor2",
                                    "botaoRotor3", "botaoRotor4", "botaoSplit",
                                    "botaoSuperSplit", "botaoSend", "botaoPower"});
    QTest::newRow("centralWidget")
        << "centralWidget"
        << names({"frame", "labelFWVersion", "botaoRelease", "labelID", "labelKorvane",
                  "labelSite", "label", "label_2"})
               + tail
        << names({"labelID", "frame", "labelFWVersion", "botaoRelease", "labelKorvane",
                  "labelSite", "label", "label_2"})
               + tail;
    const QStringList group = names({"labelRTX", "botaoTeclaRX4", "labelRX3", "labelRX2",
                                     "botaoTeclaRX2", "labelRX4", "labelRX1",
                                     "botaoTeclaRX1", "botaoTeclaRX3", "botaoTeclaRTX",
                                     "labelFendril"});
    QTest::newRow("groupFendril") << "groupFendril" << group << group;
}

void MainWindowTest::formCreationOrder()
{
    QFETCH(QString, parentName);
    QFETCH(QStringList, created);
    QFETCH(QStringList, stacked);

    QWidget *parent = host.findChild<QWidget *>(parentName);
    QVERIFY(parent);
    QStringList chain;
    for (QWidget *w = host.nextInFocusChain(); w != &host; w = w->nextInFocusChain()) {
        if (w->parentWidget() == parent)
            chain << w->objectName();
    }
    QCOMPARE(chain, created);

    QStringList stacking;
    for (QObject *child : parent->children()) {
        if (child->isWidgetType())
            stacking << child->objectName();
    }
    QCOMPARE(stacking, stacked);
}

// Where a radio button sits, the BUSY key of the same antenna is what the mouse finds.
void MainWindowTest::busyKeysCoverRadioButtons()
{
    for (int n = 1; n <= 8; ++n) {
        auto *radio = host.findChild<QRadioButton *>(QStringLiteral("busy%1").arg(n));
        auto *busy = host.findChild<QPushButton *>(QStringLiteral("botaoBusy%1").arg(n));
        QVERIFY(radio && busy);
        QVERIFY(busy->geometry().contains(radio->geometry()));
        QCOMPARE(form.frame->childAt(radio->geometry().center()), busy);
        QCOMPARE(radio->layoutDirection(), Qt::RightToLeft);
        QVERIFY(!radio->autoExclusive());
    }
}

void MainWindowTest::labelLook_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : numbered("labelAnt", {1, 2, 3, 4, 5, 6, 7, 8})
                                   + numbered("labelRX", {1, 2, 3, 4}) + names({"labelRTX"}))
        QTest::newRow(qPrintable(name)) << name;
}

// White on a see-through background, so the antenna labels read on the dark frame.
void MainWindowTest::labelLook()
{
    QFETCH(QString, name);
    auto *label = host.findChild<QLabel *>(name);
    QVERIFY(label);
    const QPalette palette = label->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? QColor(64, 64, 64) : Qt::white;
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            QCOMPARE(palette.color(group, role), text);
        for (auto role : {QPalette::Button, QPalette::Base, QPalette::Window})
            QCOMPARE(palette.color(group, role), QColor(0, 0, 0, 0));
    }
    QCOMPARE(label->styleSheet(), QStringLiteral("background-color: rgba(0,0,0,0%);"));
    QCOMPARE(label->alignment(), Qt::AlignCenter);
}

void MainWindowTest::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<QString>("menu");

    auto row = [](const char *name, const char *text, bool checkable, const char *menu) {
        QTest::newRow(name) << name << text << checkable << menu;
    };
    row("actionConfigure", "Serial Settings", false, "menuArquivo");
    row("actionConnect_to_KELMAR", "Connect", false, "menuArquivo");
    row("actionDisconnect", "Disconnect", false, "menuArquivo");
    row("actionRotors_Config", "Rotors Config", false, "");
    row("actionSplit_Config", "Split Config", false, "");
    row("actionSuper_Split_Config", "Super Split Config", false, "");
    row("actionAbout", "About Qt", false, "menuTools");
    row("actionAbout_Korvane", "About Korvane", false, "menuTools");
    row("actionLabels", "Labels", false, "menuArquivo");
    row("actionRelease_ALL", "Release ALL", true, "menuRelease");
    row("actionEnable", "Enable", true, "menuReceiver_Antennas");
    row("actionOff", "Off", false, "");
    row("actionRotors", "Rotors", true, "menuConfigs");
    row("actionSplit", "Split", true, "menuConfigs");
    row("actionSuper_Split", "Super Split", true, "menuConfigs");
}

void MainWindowTest::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, checkable);
    QFETCH(QString, menu);

    auto *action = host.findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->parent(), &host);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->isCheckable(), checkable);
    QStringList placedIn;
    for (QWidget *widget : action->associatedWidgets())
        placedIn << widget->objectName();
    QCOMPARE(placedIn, menu.isEmpty() ? QStringList() : QStringList(menu));
}

void MainWindowTest::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries");
    // "-" stands for a separator.
    QTest::newRow("menu bar") << "menuBar" << names({"File", "Configs", "Help"});
    QTest::newRow("File") << "menuArquivo"
                          << names({"Connect", "Disconnect", "Serial Settings", "Labels",
                                    "Release", "Receiver Antennas"});
    QTest::newRow("Release") << "menuRelease" << names({"Release ALL"});
    QTest::newRow("Receiver Antennas") << "menuReceiver_Antennas" << names({"Enable"});
    QTest::newRow("Configs") << "menuConfigs"
                             << names({"-", "Rotors", "Split", "Super Split"});
    QTest::newRow("Help") << "menuTools" << names({"-", "About Qt", "About Korvane"});
}

void MainWindowTest::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);
    QWidget *widget = host.findChild<QWidget *>(menu);
    QVERIFY(widget);
    QStringList shown;
    for (QAction *action : widget->actions())
        shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(shown, entries);
}

void MainWindowTest::windowAfterConstruction()
{
    MainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("mainWindow"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Korvane ORVIK Remote Control"));
    QCOMPARE(window.size(), QSize(698, 281));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.isEnabled());
    QVERIFY(window.styleSheet().contains(QLatin1String("background-color: #323232")));

    for (int n = 1; n <= 8; ++n)
        QVERIFY(window.findChild<QRadioButton *>(QStringLiteral("busy%1").arg(n))->isHidden());
    // Nothing stored: the receiver group stays out of the way.
    QVERIFY(window.findChild<QGroupBox *>("groupFendril")->isHidden());
    for (QAction *action : window.findChildren<QAction *>()) {
        if (!action->objectName().isEmpty())
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    }
    QVERIFY(window.switchQueue.isEmpty());
}

void MainWindowTest::functionKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("position"); // -1: nothing may be queued

    for (int p = 0; p < 8; ++p)
        QTest::newRow(qPrintable(QStringLiteral("F%1").arg(p + 1)))
            << int(Qt::Key_F1) + p << int(Qt::NoModifier) << p;
    QTest::newRow("Shift+F3") << int(Qt::Key_F3) << int(Qt::ShiftModifier) << 2;
    QTest::newRow("Ctrl+F8") << int(Qt::Key_F8) << int(Qt::ControlModifier) << 7;
    QTest::newRow("F9") << int(Qt::Key_F9) << int(Qt::NoModifier) << -1;
    QTest::newRow("F12") << int(Qt::Key_F12) << int(Qt::NoModifier) << -1;
    QTest::newRow("letter A") << int(Qt::Key_A) << int(Qt::NoModifier) << -1;
    QTest::newRow("digit 1") << int(Qt::Key_1) << int(Qt::NoModifier) << -1;
    QTest::newRow("Left") << int(Qt::Key_Left) << int(Qt::NoModifier) << -1;
    QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::NoModifier) << -1;
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << -1;
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << -1;
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << -1;
}

void MainWindowTest::functionKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, position);

    MainWindow window;
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QApplication::sendEvent(&window, &press);

    QList<CommandWord> expected;
    if (position >= 0)
        expected << makeCommandWord('S', quint8(position));
    QCOMPARE(window.switchQueue.toList(), expected);
    // Every key is consumed by the window: nothing travels on to a parent or shortcut.
    QVERIFY(press.isAccepted());
}

// Start and close as the program does: the thread runs only while the window exists.
void MainWindowTest::startAndCloseWithPacingThread()
{
    qRegisterMetaType<MainWindow *>("MainWindow*");
    auto *window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    {
        ThreadLeitura pacing(window);
        // Long enough for several 25 ms cycles to post their calls.
        QTest::qWait(300);
        pacing.stopAndWait();
        QVERIFY(pacing.isFinished());
    }
    window->close();
    delete window;
    // Calls posted before the stop were either run or discarded with the window.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

ORVIK_ISOLATED_SETTINGS_MAIN(MainWindowTest, "_tst_mainwindow")

#include "tst_mainwindow.moc"
