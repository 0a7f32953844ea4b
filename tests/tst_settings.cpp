#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/settingsvalues.h"
#include "config/settingswrite.h"
#include "isolatedsettings.h"
#include "panel/styles.h"

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup() { removeSettingsFiles(); }

    void pathRule_data();
    void pathRule();
    void handEditedValues_data();
    void handEditedValues();
    void textRoundTrip_data();
    void textRoundTrip();
    void selectionIndex_data();
    void selectionIndex();
    void panelAndPortFilesAreSeparate();
    void unwritableFileIsReported();

    void startupFlags_data();
    void startupFlags();
    void storedTextsShownWhole();
    void portKeysOnlyLogged();
    void failedFlagWriteKeepsScreen_data();
    void failedFlagWriteKeepsScreen();
};

void SettingsTest::pathRule_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");
    QTest::newRow("no argument") << QStringList{"panel"} << "/base/settings.ini";
    QTest::newRow("empty list") << QStringList{} << "/base/settings.ini";
    QTest::newRow("7") << QStringList{"panel", "7"} << "/base/settings7.ini";
    QTest::newRow("7 8") << QStringList{"panel", "7", "8"} << "/base/settings7.ini";
    QTest::newRow("one empty argument") << QStringList{"panel", ""} << "/base/settings.ini";
    QTest::newRow("verbatim") << QStringList{"panel", "a b"} << "/base/settingsa b.ini";
}

void SettingsTest::pathRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);
    QCOMPARE(settingsFilePath(arguments, "/base"), path);
}

// What an operator with a text editor may leave in the file, read back through the
// real QSettings and the conversions.
void SettingsTest::handEditedValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("flag absent") << QByteArray() << "flag" << QVariant(false);
    QTest::newRow("flag empty") << QByteArray("v=") << "flag" << QVariant(false);
    QTest::newRow("flag true") << QByteArray("v=true") << "flag" << QVariant(true);
    QTest::newRow("flag FALSE") << QByteArray("v=FALSE") << "flag" << QVariant(false);
    QTest::newRow("flag 0") << QByteArray("v=0") << "flag" << QVariant(false);
    QTest::newRow("flag 1") << QByteArray("v=1") << "flag" << QVariant(true);
    QTest::newRow("flag no") << QByteArray("v=no") << "flag" << QVariant(true);
    QTest::newRow("flag quoted empty") << QByteArray("v=\"\"") << "flag" << QVariant(false);
    QTest::newRow("number absent") << QByteArray() << "number" << QVariant(0);
    QTest::newRow("number 3") << QByteArray("v=3") << "number" << QVariant(3);
    QTest::newRow("number -2") << QByteArray("v=-2") << "number" << QVariant(-2);
    QTest::newRow("number word") << QByteArray("v=abc") << "number" << QVariant(0);
    QTest::newRow("number 3x") << QByteArray("v=3x") << "number" << QVariant(0);
    QTest::newRow("number 2.5") << QByteArray("v=2.5") << "number" << QVariant(0);
    QTest::newRow("number list") << QByteArray("v=1, 2") << "number" << QVariant(0);
    QTest::newRow("text absent") << QByteArray() << "text" << QVariant(QString());
    QTest::newRow("text long") << QByteArray("v=ABCDEFGH") << "text" << QVariant("ABCDEFGH");
    QTest::newRow("text bare comma") << QByteArray("v=A, B") << "text" << QVariant("A, B");
    QTest::newRow("text number") << QByteArray("v=42") << "text" << QVariant("42");
}

void SettingsTest::handEditedValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, kind);
    QFETCH(QVariant, expected);
    writePanelFile("[General]\n" + line + "\n");
    QSettings stored(panelSettingsPath(), QSettings::IniFormat);
    const QVariant value = stored.value("v", QString());
    if (kind == "flag")
        QCOMPARE(iniFlag(value), expected.toBool());
    else if (kind == "number")
        QCOMPARE(iniNumber(value), expected.toInt());
    else
        QCOMPARE(iniText(value), expected.toString());
}

void SettingsTest::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("spaces") << "  Ant  one  ";
    QTest::newRow("commas") << "40m, 20m,15m";
    QTest::newRow("equals") << "a=b = c";
    QTest::newRow("quotes") << "\"Yagi\" 'beam'";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Antena São João ñ ü Ж");
    QTest::newRow("semicolon hash") << "; not # a comment";
    QTest::newRow("backslash") << "C:\\path\\x";
    QTest::newRow("brackets") << "[General]";
    QTest::newRow("empty") << "";
}

void SettingsTest::textRoundTrip()
{
    QFETCH(QString, text);
    {
        QSettings stored(panelSettingsPath(), QSettings::IniFormat);
        stored.setValue("ANT1", text);
        QVERIFY(flushSettings(stored));
    }
    // QSettings would answer from its in-process copy; a copy of the file under a new
    // name has to be parsed from disk.
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.ini");
    QVERIFY(QFile::copy(panelSettingsPath(), copy));
    QSettings reread(copy, QSettings::IniFormat);
    QCOMPARE(iniText(reread.value("ANT1", QString())), text);
}

void SettingsTest::selectionIndex_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("fits");
    QTest::newRow("absent") << QByteArray() << 3 << 0 << true;
    QTest::newRow("in range") << QByteArray("comindex=2") << 3 << 2 << true;
    QTest::newRow("port removed") << QByteArray("comindex=3") << 3 << 3 << false;
    QTest::newRow("no ports") << QByteArray("comindex=0") << 0 << 0 << false;
    QTest::newRow("negative") << QByteArray("comindex=-1") << 3 << -1 << false;
    QTest::newRow("narrowed 200") << QByteArray("comindex=200") << 3 << -56 << false;
    QTest::newRow("narrowed 257") << QByteArray("comindex=257") << 3 << 1 << true;
    QTest::newRow("garbage") << QByteArray("comindex=COM3") << 3 << 0 << true;
}

void SettingsTest::selectionIndex()
{
    QFETCH(QByteArray, line);
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(bool, fits);
    writePanelFile("[General]\n" + line + "\n");
    QSettings stored(panelSettingsPath(), QSettings::IniFormat);
    const qint8 narrowed = iniSelectionIndex(stored.value("comindex", QString()));
    QCOMPARE(int(narrowed), index);
    QCOMPARE(selectionIndexFits(narrowed, count), fits);
}

void SettingsTest::panelAndPortFilesAreSeparate()
{
    QVERIFY(QFileInfo(panelSettingsPath()).absolutePath()
            != QFileInfo(portSettingsPath()).absolutePath());
    {
        QSettings panel(panelSettingsPath(), QSettings::IniFormat);
        panel.setValue("K1", "TX1");
        QSettings port(portSettingsPath(), QSettings::IniFormat);
        port.setValue("comindex", 2);
    }
    QVERIFY(QFile::remove(panelSettingsPath()));
    {
        QSettings port(portSettingsPath(), QSettings::IniFormat);
        QCOMPARE(iniNumber(port.value("comindex", QString())), 2);
        QSettings panel(panelSettingsPath(), QSettings::IniFormat);
        QCOMPARE(iniText(panel.value("K1", QString())), QString());
        panel.setValue("K1", "TX1");
    }
    QVERIFY(QFile::remove(portSettingsPath()));
    QSettings panel(panelSettingsPath(), QSettings::IniFormat);
    QCOMPARE(iniText(panel.value("K1", QString())), QString("TX1"));
    QSettings port(portSettingsPath(), QSettings::IniFormat);
    QCOMPARE(iniNumber(port.value("comindex", QString())), 0);
}

// Tests run as root, where permissions stop no write: a directory in the file's place
// makes the write fail for everyone.
void SettingsTest::unwritableFileIsReported()
{
    QVERIFY(QDir().mkpath(panelSettingsPath()));
    QMainWindow window;
    QSettings stored(panelSettingsPath(), QSettings::IniFormat);
    stored.setValue("K1", "lost");
    QVERIFY(!saveOrReport(stored, &window));
    QCOMPARE(window.statusBar()->currentMessage(),
             QString("Settings could not be saved to %1").arg(panelSettingsPath()));

    QVERIFY(QDir().rmdir(panelSettingsPath()));
    QSettings fine(panelSettingsPath(), QSettings::IniFormat);
    fine.setValue("K1", "kept");
    window.statusBar()->clearMessage();
    QVERIFY(saveOrReport(fine, &window));
    QCOMPARE(window.statusBar()->currentMessage(), QString());
}

void SettingsTest::startupFlags_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("releaseAll");
    QTest::addColumn<bool>("receivers");
    QTest::newRow("no file") << QByteArray() << false << false;
    QTest::newRow("both true") << QByteArray("RL=true\nREC=true\n") << true << true;
    QTest::newRow("both false") << QByteArray("RL=false\nREC=false\n") << false << false;
    QTest::newRow("RL only") << QByteArray("RL=true\n") << true << false;
    QTest::newRow("REC only, by hand") << QByteArray("REC=1\n") << false << true;
    QTest::newRow("empty values") << QByteArray("RL=\nREC=\n") << false << false;
}

void SettingsTest::startupFlags()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, releaseAll);
    QFETCH(bool, receivers);
    if (!contents.isEmpty())
        writePanelFile("[General]\n" + contents);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.findChild<QAction *>("actionRelease_ALL")->isChecked(), releaseAll);
    QCOMPARE(window.findChild<QAction *>("actionEnable")->isChecked(), receivers);
    auto *release = window.findChild<QPushButton *>("botaoRelease");
    QCOMPARE(release->text(), QString(releaseAll ? "RELEASE ALL" : "Release"));
    QCOMPARE(release->styleSheet(), QString(releaseAll ? styleReleaseAll : styleIdle));
    QCOMPARE(window.findChild<QGroupBox *>("groupFendril")->isVisible(), receivers);
    // Applying a stored flag is not the operator's action: no resize, nothing queued.
    QCOMPARE(window.size(), QSize(698, 281));
    QVERIFY(window.switchQueue.isEmpty());
}

void SettingsTest::storedTextsShownWhole()
{
    writePanelFile(QByteArray("[General]\nK1=ABCDEFGH\nK8=\"a, b\"\nID=Station 1\n"
                              "ANT3=Long antenna label\n"));
    MainWindow window;
    QCOMPARE(window.findChild<QPushButton *>("botaoTecla1")->text(), QString("ABCDEFGH"));
    QCOMPARE(window.findChild<QPushButton *>("botaoTecla8")->text(), QString("a, b"));
    QCOMPARE(window.findChild<QLabel *>("labelID")->text(), QString("Station 1"));
    QCOMPARE(window.findChild<QLabel *>("labelAnt3")->text(), QString("Long antenna label"));
    // The form's placeholders do not survive start-up.
    QCOMPARE(window.findChild<QLabel *>("labelAnt1")->text(), QString());
}

void SettingsTest::portKeysOnlyLogged()
{
    writePanelFile("[General]\ncomport=COM3\ncomspeed=9600\n");
    MainWindow window;
    QTest::ignoreMessage(QtDebugMsg, "Load!!");
    QTest::ignoreMessage(QtDebugMsg, "Baud:  \"9600\"");
    QTest::ignoreMessage(QtDebugMsg, "Name:  \"COM3\"");
    window.loadPortSettings();
}

void SettingsTest::failedFlagWriteKeepsScreen_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Release ALL") << "actionRelease_ALL";
    QTest::newRow("Enable") << "actionEnable";
}

void SettingsTest::failedFlagWriteKeepsScreen()
{
    QFETCH(QString, action);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QDir().mkpath(panelSettingsPath()));

    window.findChild<QAction *>(action)->trigger();

    QCOMPARE(window.statusBar()->currentMessage(),
             QString("Settings could not be saved to %1").arg(panelSettingsPath()));
    QVERIFY(window.findChild<QAction *>(action)->isChecked());
    if (action == "actionEnable") {
        QVERIFY(window.findChild<QGroupBox *>("groupFendril")->isVisible());
        QCOMPARE(window.size(), QSize(666, 273));
    } else {
        QCOMPARE(window.findChild<QPushButton *>("botaoRelease")->text(),
                 QString("RELEASE ALL"));
    }
}

ORVIK_ISOLATED_SETTINGS_MAIN(SettingsTest, "tst_settings")
#include "tst_settings.moc"
