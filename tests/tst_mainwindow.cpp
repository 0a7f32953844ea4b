#include <QImageReader>
#include <QtTest>

#include "app/about.h"
#include "app/resources.h"
#include "app/theme.h"
#include "serialsettings/settingsdialog.h"
#include "tables.h"
#include "windowfixture.h"

// What the window does beyond its form: its one size, what it hides, the F-keys, the
// about box, the theme's images and closing with a dialog open.
class MainWindowTest : public QObject
{
    Q_OBJECT
    WindowFixture f;

private slots:
    void initTestCase() { registerResources(); }
    void init() { removeSettingsFiles(); }
    void cleanup()
    {
        f.window.reset();
        removeSettingsFiles();
    }

    void windowAfterConstruction()
    {
        QVERIFY(f.open());
        QVERIFY(f.window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f.window->windowFlags() & Qt::WindowMaximizeButtonHint));
        for (int n = 1; n <= 8; ++n)
            QVERIFY(!f.get(QStringLiteral("busy%1").arg(n))->isVisible());
        // About Korvane: one modeless box; asked for again, the same one comes back.
        f.trigger("actionAbout_Korvane");
        f.window->findChildren<about *>().value(0)->close();
        f.trigger("actionAbout_Korvane");
        f.trigger("actionAbout_Korvane");
        const QList<about *> dialogs = f.window->findChildren<about *>();
        QCOMPARE(dialogs.size(), 1);
        QVERIFY(dialogs[0]->isVisible() && !dialogs[0]->isModal());
    }

    // Every image either theme asks for is in the bundle.
    void themeImages()
    {
        const QRegularExpression url(QStringLiteral("url\\(:/images/([^)]+)\\)"));
        int found = 0;
        for (ThemeVariant variant : {ThemeVariant::MainWindow, ThemeVariant::Dialog}) {
            for (auto m = url.globalMatch(darkStyleSheet(variant)); m.hasNext(); ++found) {
                const QString image = ":/images/" + m.next().captured(1);
                QVERIFY2(QImageReader(image).canRead(), qPrintable(image));
            }
        }
        QVERIFY(found > 0);
    }

    // Closing the window ends the program even while the serial settings dialog is open,
    // and takes the dialog with it.
    void closingTheWindowWithSettingsOpen()
    {
        QVERIFY(f.open());
        f.trigger("actionConfigure");
        QPointer<QDialog> settings = f.window->settingsDialog();
        QVERIFY(settings && settings->isVisible());
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        // The application notices its last window only while its event loop runs.
        QTimer::singleShot(0, f.window.get(), &QWidget::close);
        QTimer::singleShot(5000, qApp, &QCoreApplication::quit);
        QApplication::exec();
        QVERIFY(!lastWindowClosed.isEmpty());
        f.window.reset();
        QVERIFY(settings.isNull());
    }

    void functionKeys_data()
    {
        columns<int, int, bool, QString>({"key", "modifiers", "repeat", "queued"});
        for (int p = 0; p < 8; ++p)
            QTest::addRow("F%d", p + 1) << Qt::Key_F1 + p << 0 << false << QString("S0%1").arg(p);
        row("Shift+F3", int(Qt::Key_F3), int(Qt::ShiftModifier), false, "S02");
        row("F7 auto-repeat: ignored", int(Qt::Key_F7), 0, true, "");
        row("F9", int(Qt::Key_F9), 0, false, "");
        row("letter A", int(Qt::Key_A), 0, false, "");
    }
    void functionKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, repeat);
        QVERIFY(f.open(false));
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), {}, repeat);
        QApplication::sendEvent(f.window.get(), &press);
        QTEST(f.queued(), "queued");
        QVERIFY(press.isAccepted()); // no key travels on to a parent or a shortcut
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(MainWindowTest, "_tst_mainwindow")
#include "tst_mainwindow.moc"
