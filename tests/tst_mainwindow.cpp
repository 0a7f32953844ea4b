#include <QImageReader>
#include <QtTest>

#include "app/about.h"
#include "app/resources.h"
#include "app/theme.h"
#include "serialsettings/settingsdialog.h"
#include "tables.h"
#include "windowfixture.h"

// What the window does beyond its form: its one size, what it hides, the keyboard, the
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

    // No key travels on to a parent or a shortcut: the F-keys select (their table is the
    // panel's), every other key is swallowed.
    void keysStayInTheWindow()
    {
        QVERIFY(f.open(false));
        for (int key : {int(Qt::Key_F3), int(Qt::Key_F9), int(Qt::Key_A)}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::ShiftModifier);
            QApplication::sendEvent(f.window.get(), &press);
            QVERIFY(press.isAccepted());
        }
        QCOMPARE(f.window->panelModel().state().currentTxPos, quint8(2));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(MainWindowTest, "_tst_mainwindow")
#include "tst_mainwindow.moc"
