#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include "app/mainwindow.h"
#include "config/labels.h"
#include "config/settingsvalues.h"
#include "isolatedsettings.h"
#include "panel/styles.h"

// The settings files: where they are, how hand-edited values read, what start-up shows,
// and the labels dialog that writes them (a file that cannot be written: tst_journeys).
class SettingsTest : public QObject
{
    Q_OBJECT

    MainWindow *window = nullptr;
    void start()
    {
        delete window;
        window = new MainWindow;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    QString shown(const QString &name)
    {
        return window->findChild<QWidget *>(name)->property("text").toString();
    }
    static QString stored(const QString &key)
    {
        IniFile file(panelSettingsPath());
        return iniText(file.value(key, QString()));
    }
    static QByteArray fileBytes()
    {
        QFile file(panelSettingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    labels *openLabels() { return new labels(window, window); }
    static void type(labels *dialog, const QString &field, const QString &text)
    {
        dialog->findChild<QLineEdit *>(field)->setText(text);
    }
    static void press(labels *dialog, QDialogButtonBox::StandardButton button)
    {
        dialog->findChild<QDialogButtonBox *>()->button(button)->click();
    }

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup()
    {
        delete window;
        window = nullptr;
        removeSettingsFiles();
    }

    void pathRule_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("path");
        QTest::newRow("no argument") << QStringList{"panel"} << "/base/settings.ini";
        QTest::newRow("7 8") << QStringList{"panel", "7", "8"} << "/base/settings7.ini";
        QTest::newRow("one empty argument") << QStringList{"panel", ""} << "/base/settings.ini";
        QTest::newRow("verbatim") << QStringList{"panel", "a b"} << "/base/settingsa b.ini";
    }
    void pathRule()
    {
        QFETCH(QStringList, arguments);
        QTEST(settingsFilePath(arguments, "/base"), "path");
    }

    // An installed panel starts from the file a copy beside the program kept, once: an
    // existing per-user file is never overwritten and the original is never touched.
    void adoptingTheFileBesideTheProgram_data()
    {
        QTest::addColumn<QByteArray>("beside"); // empty: no such file
        QTest::addColumn<QByteArray>("perUser");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("first start") << QByteArray("K1=A\n") << QByteArray() << true
                                     << QByteArray("K1=A\n");
        QTest::newRow("per-user file exists") << QByteArray("K1=A\n") << QByteArray("K1=B\n")
                                              << false << QByteArray("K1=B\n");
        QTest::newRow("nothing beside") << QByteArray() << QByteArray() << false << QByteArray();
    }
    void adoptingTheFileBesideTheProgram()
    {
        QFETCH(QByteArray, beside);
        QFETCH(QByteArray, perUser);
        QTemporaryDir temp;
        const QString from = temp.filePath("bin/settings.ini");
        const QString to = temp.filePath("config/orvik-panel/settings.ini");
        const auto put = [](const QString &path, const QByteArray &bytes) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        const auto read = [](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        if (!beside.isEmpty()) // installed files are read-only
            QVERIFY(put(from, beside) && QFile::setPermissions(from, QFile::ReadOwner));
        if (!perUser.isEmpty())
            QVERIFY(put(to, perUser));
        QTEST(adoptPanelSettings(from, to), "copied");
        QTEST(read(to), "result");
        QCOMPARE(read(from), beside);
        QCOMPARE(adoptPanelSettings(from, to), false); // once
        if (QFileInfo::exists(to))
            QVERIFY(QFile::permissions(to) & QFile::WriteOwner);
    }

    // What a text editor may leave in the file, read through QSettings and the conversions.
    void handEditedValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("flag empty") << QByteArray("v=") << "flag" << QVariant(false);
        QTest::newRow("flag FALSE") << QByteArray("v=FALSE") << "flag" << QVariant(false);
        QTest::newRow("flag no") << QByteArray("v=no") << "flag" << QVariant(true);
        QTest::newRow("number -2") << QByteArray("v=-2") << "number" << QVariant(-2);
        QTest::newRow("number 3x") << QByteArray("v=3x") << "number" << QVariant(0);
        QTest::newRow("text bare comma") << QByteArray("v=A, B") << "text" << QVariant("A, B");
        QTest::newRow("index 200 narrowed") << QByteArray("v=200") << "index" << QVariant(-56);
    }
    void handEditedValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, kind);
        QFETCH(QVariant, expected);
        writePanelFile("[General]\n" + line + "\n");
        const QVariant value = QSettings(panelSettingsPath(), QSettings::IniFormat).value("v", "");
        const QVariant read = kind == "flag"     ? QVariant(iniFlag(value))
                              : kind == "number" ? QVariant(iniNumber(value))
                              : kind == "index"  ? QVariant(int(iniSelectionIndex(value)))
                                                 : QVariant(iniText(value));
        QCOMPARE(read, expected);
    }

    // Deleting one file leaves the other's values.
    void panelAndPortFilesAreSeparate()
    {
        QVERIFY(QFileInfo(panelSettingsPath()).path() != QFileInfo(portSettingsPath()).path());
        for (bool removePanel : {true, false}) {
            QSettings(panelSettingsPath(), QSettings::IniFormat).setValue("K1", "TX1");
            QSettings(portSettingsPath(), QSettings::IniFormat).setValue("comindex", 2);
            QVERIFY(QFile::remove(removePanel ? panelSettingsPath() : portSettingsPath()));
            QSettings port(portSettingsPath(), QSettings::IniFormat);
            QCOMPARE(iniNumber(port.value("comindex", QString())), removePanel ? 2 : 0);
            QCOMPARE(stored("K1"), QString(removePanel ? "" : "TX1"));
        }
    }

    // "RL" and "REC" at start-up: applied without their actions, so no resize and nothing
    // queued.
    void startupFlags_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("releaseAll");
        QTest::addColumn<bool>("receivers");
        QTest::newRow("no file") << QByteArray() << false << false;
        QTest::newRow("RL only") << QByteArray("RL=true\nREC=false\n") << true << false;
        QTest::newRow("REC only, by hand") << QByteArray("REC=1\n") << false << true;
    }
    void startupFlags()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, releaseAll);
        QFETCH(bool, receivers);
        if (!contents.isEmpty())
            writePanelFile("[General]\n" + contents);
        start();
        QCOMPARE(window->findChild<QAction *>("actionRelease_ALL")->isChecked(), releaseAll);
        QCOMPARE(window->findChild<QAction *>("actionEnable")->isChecked(), receivers);
        QCOMPARE(shown("botaoRelease"), QString(releaseAll ? "RELEASE ALL" : "Release"));
        QCOMPARE(window->findChild<QWidget *>("botaoRelease")->styleSheet(),
                 QString(releaseAll ? styleReleaseAll : styleIdle));
        QCOMPARE(window->findChild<QWidget *>("groupFendril")->isVisible(), receivers);
        QCOMPARE(window->size(), QSize(698, 281));
        // The actions flip both, store them, resize for the group; saved: nothing to report.
        window->findChild<QAction *>("actionRelease_ALL")->trigger();
        window->findChild<QAction *>("actionEnable")->trigger();
        QCOMPARE(shown("botaoRelease"), QString(releaseAll ? "Release" : "RELEASE ALL"));
        QCOMPARE(window->findChild<QWidget *>("botaoRelease")->styleSheet(),
                 QString(releaseAll ? styleIdle : styleReleaseAll));
        QCOMPARE(window->findChild<QWidget *>("groupFendril")->isVisible(), !receivers);
        QCOMPARE(window->size(), receivers ? QSize(666, 208) : QSize(666, 273));
        QCOMPARE(stored("RL") + stored("REC"), QString(releaseAll ? "false" : "true")
                                                   + QString(receivers ? "false" : "true"));
        QCOMPARE(window->statusBar()->currentMessage(), QString());
        QVERIFY(window->switchQueue.isEmpty());
    }

    // A hand-edited caption shows whole; the dialog holds four characters and OK stores
    // them, never half a character; a cleared field empties the window; text typed in
    // UTF-8 reads as typed and is written back so; OK leaves the flags alone.
    void labelsOk()
    {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x93\xA1"); // two UTF-16 units
        writePanelFile("[General]\nK1=ABCDEF\nK2=TX2\nK3=ABC" + emoji.toUtf8()
                       + "\nANT2=Dipole\nANT5=\xC3\x91\x61nd\xC3\xBA\nRL=true\n");
        start();
        QCOMPARE(shown("botaoTecla1"), QString("ABCDEF"));
        QCOMPARE(shown("labelAnt1"), QString()); // the form's placeholder is gone
        QCOMPARE(shown("labelAnt5"), QString::fromUtf8("Ñandú"));
        labels *dialog = openLabels();
        QCOMPARE(dialog->findChild<QLineEdit *>("lineEdit1")->text(), QString("ABCD"));
        QCOMPARE(dialog->findChild<QLineEdit *>("lineEdit3")->text(), QString("ABC"));
        type(dialog, "lineEdit2", "");
        type(dialog, "lineEditAnt2", "");
        type(dialog, "lineEdit4", "XYZ" + emoji); // the field keeps half of it
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(stored("K1"), QString("ABCD"));
        QCOMPARE(stored("K4"), QString("XYZ"));
        QCOMPARE(shown("botaoTecla1"), QString("ABCD"));
        QCOMPARE(shown("botaoTecla2"), QString());
        QCOMPARE(shown("labelAnt2"), QString());
        QVERIFY(fileBytes().contains("ANT5=\xC3\x91\x61nd\xC3\xBA\n"));
        QCOMPARE(QString::fromUtf8(fileBytes()).toUtf8(), fileBytes()); // all of it UTF-8
        QCOMPARE(IniFile(panelSettingsPath()).allKeys().size(), 18);
        QCOMPARE(stored("RL"), QString("true"));
        QCOMPARE(shown("botaoRelease"), QString("RELEASE ALL"));
        QCOMPARE(window->size(), QSize(698, 281));
        QVERIFY(window->switchQueue.isEmpty());
    }

    void labelsRoundTrip_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("label");
        QTest::newRow("spaces, quotes, equals") << "A \"=" << "  the \"long\" 'one' = y=  ";
        QTest::newRow("commas, comment marks") << "1,;#" << "40m, 20m,15m; not # a comment";
        QTest::newRow("non-ASCII, backslash, brackets")
            << QString::fromUtf8("Ç\\[ß") << QString::fromUtf8("São Ж C:\\x [General]");
    }
    void labelsRoundTrip()
    {
        QFETCH(QString, caption);
        QFETCH(QString, label);
        start();
        labels *dialog = openLabels();
        type(dialog, "lineEdit7", caption);
        type(dialog, "lineEditAnt7", label);
        type(dialog, "lineEditID", label);
        press(dialog, QDialogButtonBox::Ok);
        // QSettings answers from its in-process copy: make the next start parse the file.
        const QByteArray written = fileBytes();
        removeSettingsFiles();
        writePanelFile(written);
        start();
        QCOMPARE(shown("botaoTecla7"), caption);
        QCOMPARE(shown("labelAnt7"), label);
        QCOMPARE(shown("labelID"), label);
    }

    // The menu opens a fresh modeless dialog each time; two accepted out of order: every
    // key takes the last OK's text, and a closed dialog goes.
    void lastOkWins()
    {
        start();
        window->findChild<QAction *>("actionLabels")->trigger();
        window->findChild<QAction *>("actionLabels")->trigger();
        const QList<labels *> dialogs = window->findChildren<labels *>();
        QCOMPARE(dialogs.size(), 2);
        QVERIFY(dialogs[0]->isVisible() && dialogs[1]->isVisible() && !dialogs[0]->isModal());
        QPointer<labels> first = dialogs[0], second = dialogs[1];
        for (int n = 1; n <= 8; ++n) {
            type(first, QString("lineEdit%1").arg(n), QString("F%1").arg(n));
            type(second, QString("lineEditAnt%1").arg(n), "second");
        }
        type(second, "lineEditID", "second");
        press(second, QDialogButtonBox::Ok);
        press(first, QDialogButtonBox::Ok);
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(stored(QString("K%1").arg(n)), QString("F%1").arg(n));
            QCOMPARE(stored(QString("ANT%1").arg(n)), QString());
            QCOMPARE(shown(QString("labelAnt%1").arg(n)), QString());
        }
        QCOMPARE(stored("ID"), QString());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
    }

    // Labels that could not be saved stay unsaved: a later toggle that does reach the
    // disk writes its own flag and nothing of the failed save.
    void failedSaveDoesNotComeBack()
    {
        writePanelFile("[General]\nK1=OLD\n");
        start();
        const QByteArray before = fileBytes();
        QVERIFY(QFile::remove(panelSettingsPath()) && QDir().mkpath(panelSettingsPath()));
        labels *dialog = openLabels();
        type(dialog, "lineEdit1", "NEW");
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(window->statusBar()->currentMessage(),
                 "Settings could not be saved to " + panelSettingsPath());
        QVERIFY(QDir().rmdir(panelSettingsPath()));
        writePanelFile(before);
        window->findChild<QAction *>("actionRelease_ALL")->trigger();
        QCOMPARE(fileBytes(), QByteArray("[General]\nK1=OLD\nRL=true\n"));
    }

    // Cancel, Escape or the close button: nothing written, nothing changed on screen.
    void closingLabelsWithoutOk()
    {
        writePanelFile("[General]\nK1=OLD\n");
        start();
        const QByteArray before = fileBytes();
        for (int how = 0; how < 3; ++how) {
            labels *dialog = openLabels();
            dialog->show();
            type(dialog, "lineEdit1", "NEW");
            if (how == 0)
                press(dialog, QDialogButtonBox::Cancel);
            else if (how == 1)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
            QVERIFY2(dialog->isHidden(), qPrintable(QString::number(how)));
            QCOMPARE(shown("botaoTecla1"), QString("OLD"));
            QCOMPARE(fileBytes(), before);
        }
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(SettingsTest, "tst_settings")
#include "tst_settings.moc"
