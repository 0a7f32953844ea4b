#include <memory>

#include <QAction>
#include <QImageReader>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

#include "app/about.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "app/theme.h"
#include "serialsettings/settingsdialog.h"
#include "isolatedsettings.h"
#include "panel/panelstate.h"
#include "ui_mainwindow.h"

// The main window as the form builds it, what it hides, which keys reach the switch,
// the about box, the theme and images.
class MainWindowTest : public QObject
{
    Q_OBJECT

    QMainWindow host; // the bare form, right after its set-up and text steps
    Ui::mainWindow form;

private slots:
    void initTestCase()
    {
        registerResources();
        form.setupUi(&host);
    }
    void init()
    {
        removeSettingsFiles();
        panelState = PanelState{};
    }
    void cleanup() { removeSettingsFiles(); }

    void formWidgets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text"); // a group box's title; null: not checked
        auto row = [](const QString &name, const char *parent, QRect rect, const QString &text) {
            QTest::newRow(qPrintable(name)) << name << parent << rect << text;
        };
        const char *const central = "centralWidget", *const group = "groupFendril";
        row("frame", central, QRect(140, 40, 421, 80), QString());
        for (int n = 1; n <= 8; ++n) {
            const int x = 20 + 50 * (n - 1);
            const QString num = QString::number(n);
            row("botaoTecla" + num, "frame", QRect(x, 40, 41, 41), "");
            row("busy" + num, "frame", QRect(x + 10, 0, 16, 17), "");
            row("labelAnt" + num, "frame", QRect(x, 20, 41, 20), "   Ant " + num);
            row("botaoBusy" + num, "frame", QRect(x, 0, 41, 20), "BUSY");
        }
        for (int n = 1; n <= 4; ++n) {
            const int x = 120 + 50 * n;
            const QString rx = "RX" + QString::number(n);
            row("label" + rx, group, QRect(x, 10, 41, 20), rx);
            row("botaoTecla" + rx, group, QRect(x, 30, 41, 41), rx);
            row("botaoRotor" + QString::number(n), central,
                QRect(20, 40 + 30 * (n - 1), 41, 20), "RT " + QString::number(n));
        }
        row("labelFWVersion", central, QRect(20, 180, 91, 20), "");
        row("botaoRelease", central, QRect(20, 0, 91, 23), "Release");
        row("labelID", central, QRect(150, 10, 401, 21), "");
        row("labelKorvane", central, QRect(570, 120, 111, 20), "KORVANE");
        row("label", central, QRect(580, 10, 91, 16), "ORVIK");
        row("label_2", central, QRect(580, 30, 91, 16), "Remote Control");
        row(group, central, QRect(160, 130, 391, 81), "Receiver Antennas");
        row("labelRTX", group, QRect(120, 10, 41, 20), "RTX");
        row("botaoTeclaRTX", group, QRect(120, 30, 41, 41), "RTX");
        row("labelFendril", group, QRect(10, 30, 101, 20), "FENDRIL WF");
        row("botaoSplit", central, QRect(70, 40, 61, 20), "SPLIT");
        row("botaoSuperSplit", central, QRect(70, 70, 61, 20), "S. SPLIT");
        row("botaoSend", central, QRect(70, 100, 61, 20), "SEND");
        row("botaoPower", central, QRect(70, 130, 61, 20), "POWER");
        row("menuBar", "mainWindow", QRect(0, 0, 698, 20), QString());
    }
    void formWidgets()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        const QList<QWidget *> found = host.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *widget = found.first();
        QTEST(widget->parentWidget()->objectName(), "parentName");
        QTEST(widget->geometry(), "geometry");
        if (!text.isNull())
            QCOMPARE(widget->property(name == "groupFendril" ? "title" : "text").toString(), text);
    }

    // Where a radio button sits, the mouse finds the BUSY key of the same antenna.
    void busyKeysCoverRadioButtons()
    {
        for (int n = 1; n <= 8; ++n) {
            auto *radio = host.findChild<QWidget *>(QStringLiteral("busy%1").arg(n));
            auto *busy = host.findChild<QWidget *>(QStringLiteral("botaoBusy%1").arg(n));
            QVERIFY(busy->geometry().contains(radio->geometry()));
            QCOMPARE(form.frame->childAt(radio->geometry().center()), busy);
        }
    }

    // Each menu's entries in order as name:text, "*" when checkable, "-" a separator;
    // the last row lists the actions placed in no menu.
    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("entries");
        QTest::newRow("bar") << "menuBar" << "menuArquivo:File|menuConfigs:Configs|menuTools:Help";
        QTest::newRow("File") << "menuArquivo"
                              << "actionConnect_to_KELMAR:Connect|actionDisconnect:Disconnect|"
                                 "actionReconnect_Automatically:Reconnect Automatically*|"
                                 "actionConfigure:Serial Settings|actionLabels:Labels|"
                                 "menuRelease:Release|menuReceiver_Antennas:Receiver Antennas";
        QTest::newRow("Release") << "menuRelease" << "actionRelease_ALL:Release ALL*";
        QTest::newRow("Receivers") << "menuReceiver_Antennas" << "actionEnable:Enable*";
        QTest::newRow("Configs") << "menuConfigs"
                                 << "-|actionRotors:Rotors*|actionSplit:Split*|"
                                    "actionSuper_Split:Super Split*|-|"
                                    "actionFollow_Radio:Follow Radio*|"
                                    "actionRadio_and_Bands:Radio and Bands…";
        QTest::newRow("Help") << "menuTools"
                              << "-|actionAbout:About Qt|actionAbout_Korvane:About Korvane";
        QTest::newRow("in no menu") << ""
                                    << "actionRotors_Config:Rotors Config|actionSplit_Config:"
                                       "Split Config|actionSuper_Split_Config:Super Split "
                                       "Config|actionOff:Off";
    }
    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QString, entries);
        QList<QAction *> actions;
        for (QAction *action : host.findChildren<QAction *>(QRegularExpression("^action")))
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
            if (action->associatedObjects().isEmpty())
#else
            if (action->associatedWidgets().isEmpty())
#endif
                actions << action;
        if (!menu.isEmpty())
            actions = host.findChild<QWidget *>(menu)->actions();
        QStringList shown;
        for (QAction *a : actions) {
            const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
            shown << (a->isSeparator() ? QString("-")
                                       : name + ':' + a->text() + (a->isCheckable() ? "*" : ""));
        }
        QCOMPARE(shown.join('|'), entries);
    }

    void windowAfterConstruction()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Korvane ORVIK Remote Control"));
        QCOMPARE(window.size(), QSize(698, 281));
        QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        for (int n = 1; n <= 8; ++n)
            QVERIFY(!window.findChild<QWidget *>(QStringLiteral("busy%1").arg(n))->isVisible());
        QVERIFY(!window.findChild<QWidget *>("groupFendril")->isVisible()); // nothing stored
        QVERIFY(window.findChild<QWidget *>("botaoTecla1")->isVisible());
        // About Korvane: one modeless box; asked for again, the same one comes back.
        auto *korvane = window.findChild<QAction *>("actionAbout_Korvane");
        korvane->trigger();
        window.findChildren<about *>().value(0)->close();
        korvane->trigger();
        korvane->trigger();
        const QList<about *> dialogs = window.findChildren<about *>();
        QCOMPARE(dialogs.size(), 1);
        QVERIFY(dialogs[0]->isVisible() && !dialogs[0]->isModal());
        QCOMPARE(dialogs[0]->windowTitle(), QStringLiteral("About Korvane"));
    }

    // Closing the window ends the program even while the serial settings dialog is open,
    // and takes the dialog with it.
    void closingTheWindowWithSettingsOpen()
    {
        auto window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->findChild<QAction *>("actionConfigure")->trigger();
        QPointer<QDialog> settings = window->settingsDialog();
        QVERIFY(settings && settings->isVisible());
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        // The application notices its last window only while its event loop runs.
        QTimer::singleShot(0, window.get(), &QWidget::close);
        QTimer::singleShot(5000, qApp, &QCoreApplication::quit);
        QApplication::exec();
        QVERIFY(!lastWindowClosed.isEmpty());
        window.reset();
        QVERIFY(settings.isNull());
    }

    void functionKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("position"); // -1: nothing may be queued
        for (int p = 0; p < 8; ++p)
            QTest::newRow(qPrintable(QStringLiteral("F%1").arg(p + 1)))
                << int(Qt::Key_F1) + p << int(Qt::NoModifier) << p;
        QTest::newRow("Shift+F3") << int(Qt::Key_F3) << int(Qt::ShiftModifier) << 2;
        QTest::newRow("F9") << int(Qt::Key_F9) << int(Qt::NoModifier) << -1;
        QTest::newRow("letter A") << int(Qt::Key_A) << int(Qt::NoModifier) << -1;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << -1;
    }
    void functionKeys()
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
        QVERIFY(press.isAccepted()); // no key travels on to a parent or a shortcut
    }

    // Every image the form, the dialogs and both theme variants use, at its size.
    void bundleImages()
    {
        QMap<QString, QSize> images{
            {"down_arrow.png", {7, 5}}, {"handle.png", {6, 6}}, {"checkbox.png", {9, 9}},
            {"logo1.jpg", {168, 61}},       {"Logomarca.png", {1559, 556}},
            {"orvik-panel.png", {128, 128}}, {"Logomarca Branco.png", {1558, 715}}};
        for (const char *swatch : {"white", "yellow", "black", "corSplit", "corSuperSplit"})
            images.insert(QString(swatch) + ".png", {97, 90});
        const QRegularExpression url(QStringLiteral("url\\(:/images/([^)]+)\\)"));
        for (ThemeVariant variant : {ThemeVariant::MainWindow, ThemeVariant::Dialog}) {
            for (auto match = url.globalMatch(darkStyleSheet(variant)); match.hasNext();)
                QVERIFY2(images.contains(match.next().captured(1)), "image not listed");
        }
        for (auto it = images.cbegin(); it != images.cend(); ++it)
            QCOMPARE(QImageReader(":/images/" + it.key()).read().size(), it.value());
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(MainWindowTest, "_tst_mainwindow")

#include "tst_mainwindow.moc"
