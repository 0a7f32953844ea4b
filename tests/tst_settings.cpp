#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include "config/labels.h"
#include "config/settingsvalues.h"
#include "tables.h"
#include "windowfixture.h"

namespace {
QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
QString stored(const QString &key)
{
    return iniText(IniFile(panelSettingsPath()).value(key, QString()));
}
void type(labels *dialog, const QString &field, const QString &text)
{
    dialog->findChild<QLineEdit *>(field)->setText(text);
}
void press(labels *dialog, QDialogButtonBox::StandardButton button)
{
    dialog->findChild<QDialogButtonBox *>()->button(button)->click();
}
} // namespace

// The settings files: where they are, how hand-edited values read, what start-up shows,
// and the labels dialog that writes them.
class SettingsTest : public QObject
{
    Q_OBJECT
    WindowFixture f;
    labels *openLabels() { return new labels(f.window.get(), f.window.get()); }

private slots:
    void init() { removeSettingsFiles(); }
    void cleanup()
    {
        f.window.reset();
        removeSettingsFiles();
    }

    // The panel file's folder and name. The panel never writes under /usr or /opt, even
    // as root, who may write there.
    void pathRule_data()
    {
        columns<QString, QString, bool, QString>({"suffix", "program", "writable", "path"});
        row("build folder", QString(), "/home/u/build", true, "/home/u/build/settings.ini");
        row("unwritable, suffix 7", "7", "/home/u/ro", false, "/cfg/settings7.ini");
        row("/usr/bin as root", QString(), "/usr/bin", true, "/cfg/settings.ini");
        row("/opt", QString(), "/opt/x/bin", true, "/cfg/settings.ini");
        row("named like /usr", QString(), "/usrlocal/bin", true, "/usrlocal/bin/settings.ini");
    }
    void pathRule()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, program);
        QFETCH(bool, writable);
        QTEST(settingsFilePath(suffix, panelSettingsDirectory(program, writable, "/cfg")), "path");
    }

    // An installed panel starts from the file a copy beside the program kept, once: an
    // existing per-user file is never overwritten and the original is never touched.
    void adoptingTheFileBesideTheProgram_data()
    {
        // beside: empty: no such file
        columns<QByteArray, QByteArray, bool, QByteArray>(
            {"beside", "perUser", "copied", "result"});
        row("first start", QByteArray("K1=A\n"), QByteArray(), true, QByteArray("K1=A\n"));
        row("per-user file exists", QByteArray("K1=A\n"), QByteArray("K1=B\n"), false,
            QByteArray("K1=B\n"));
        row("nothing beside", QByteArray(), QByteArray(), false, QByteArray());
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
        if (!beside.isEmpty()) // installed files are read-only
            QVERIFY(put(from, beside) && QFile::setPermissions(from, QFile::ReadOwner));
        if (!perUser.isEmpty())
            QVERIFY(put(to, perUser));
        QTEST(adoptPanelSettings(from, to), "copied");
        QTEST(bytesOf(to), "result");
        QCOMPARE(bytesOf(from), beside);
        QCOMPARE(adoptPanelSettings(from, to), false); // once
        if (QFileInfo::exists(to))
            QVERIFY(QFile::permissions(to) & QFile::WriteOwner);
    }

    // What a text editor may leave in the file, read as the panel reads it.
    void handEditedValues_data()
    {
        // kind "flag on": a flag whose default is on. refused: what the debug line quotes.
        columns<QByteArray, QString, QVariant, QString>({"line", "kind", "expected", "refused"});
        row("flag empty, default on", QByteArray("v="), "flag on", QVariant(true), QString());
        row("flag no", QByteArray("v=no"), "flag", QVariant(false), QString());
        row("flag off, default on", QByteArray("v=Off"), "flag on", QVariant(false), QString());
        row("flag quoted blanks", QByteArray("v=\" yES \""), "flag", QVariant(true), QString());
        row("flag 2", QByteArray("v=2"), "flag", QVariant(false), "v=\"2\"");
        row("flag typo, default on", QByteArray("v=of"), "flag on", QVariant(true), "v=\"of\"");
        row("number -2", QByteArray("v=-2"), "number", QVariant(-2), QString());
        row("number 3x", QByteArray("v=3x"), "number", QVariant(0), QString());
        row("text bare comma", QByteArray("v=A, B"), "text", QVariant("A, B"), QString());
        row("index 200 narrowed", QByteArray("v=200"), "index", QVariant(-56), QString());
    }
    void handEditedValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, kind);
        QFETCH(QString, refused);
        writePanelFile("[General]\n" + line + "\n");
        const IniFile file(panelSettingsPath());
        const QVariant value = file.value("v", "");
        QLoggingCategory::setFilterRules(refused.isEmpty() ? "" : "orvik.panel.debug=true");
        if (!refused.isEmpty())
            QTest::ignoreMessage(QtDebugMsg,
                                 QRegularExpression(QRegularExpression::escape(refused)));
        QTEST(kind.startsWith("flag") ? QVariant(iniFlag(file, "v", kind == "flag on"))
              : kind == "number"      ? QVariant(iniNumber(value))
              : kind == "index"       ? QVariant(int(iniSelectionIndex(value)))
                                      : QVariant(iniText(value)),
              "expected");
    }

    // A hand-edited caption shows whole; the dialog holds four characters and OK stores
    // them, never half a character; a cleared field empties the window; text typed in
    // UTF-8 reads as typed and is written back so. The flags apply at start-up without
    // their actions (no resize, nothing queued) and OK leaves them alone; Enable then
    // resizes for the receive group and stores its flag.
    void labelsOk()
    {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x93\xA1"); // two UTF-16 units
        writePanelFile("[General]\nK1=ABCDEF\nK2=TX2\nK3=ABC" + emoji.toUtf8()
                       + "\nANT2=Dipole\nANT5=\xC3\x91\x61nd\xC3\xBA\nRL=true\nREC=1\n");
        QVERIFY(f.open());
        QCOMPARE(f.text("botaoTecla1") + '|' + f.text("labelAnt1") + '|' + f.text("labelAnt5"),
                 QString::fromUtf8("ABCDEF||Ñandú")); // the form's placeholder is gone
        labels *dialog = openLabels();
        QCOMPARE(dialog->findChild<QLineEdit *>("lineEdit1")->text(), QString("ABCD"));
        QCOMPARE(dialog->findChild<QLineEdit *>("lineEdit3")->text(), QString("ABC"));
        type(dialog, "lineEdit2", "");
        type(dialog, "lineEditAnt2", "");
        type(dialog, "lineEdit4", "XYZ" + emoji); // the field keeps half of it
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(stored("K1") + stored("K4") + stored("RL"), QString("ABCDXYZtrue"));
        QCOMPARE(f.text("botaoTecla1") + '|' + f.text("botaoTecla2") + '|' + f.text("labelAnt2"),
                 QString("ABCD||"));
        const QByteArray bytes = bytesOf(panelSettingsPath());
        QVERIFY(bytes.contains("ANT5=\xC3\x91\x61nd\xC3\xBA\n"));
        QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes); // all of it UTF-8
        QCOMPARE(IniFile(panelSettingsPath()).allKeys().size(), 19);
        QCOMPARE(f.text("botaoRelease") + f.look("botaoRelease"), QString("RELEASE ALLX"));
        QVERIFY(f.get("groupFendril")->isVisible());
        QCOMPARE(f.window->size(), QSize(698, 281));
        f.trigger("actionEnable");
        QCOMPARE(f.window->size(), QSize(666, 208));
        QCOMPARE(stored("REC"), QString("false"));
    }

    void labelsRoundTrip_data()
    {
        columns<QString, QString>({"caption", "label"});
        row("spaces, quotes, equals", "A \"=", "  the \"long\" 'one' = y=  ");
        row("commas, comment marks", "1,;#", "40m, 20m,15m; not # a comment");
        row("non-ASCII, backslash, brackets", QString::fromUtf8("Ç\\[ß"),
            QString::fromUtf8("São Ж C:\\x [General]"));
    }
    void labelsRoundTrip()
    {
        QFETCH(QString, caption);
        QFETCH(QString, label);
        QVERIFY(f.open());
        labels *dialog = openLabels();
        type(dialog, "lineEdit7", caption);
        type(dialog, "lineEditAnt7", label);
        type(dialog, "lineEditID", label);
        press(dialog, QDialogButtonBox::Ok);
        // QSettings answers from its in-process copy: make the next start parse the file.
        const QByteArray written = bytesOf(panelSettingsPath());
        removeSettingsFiles();
        writePanelFile(written);
        QVERIFY(f.open());
        QCOMPARE(f.text("botaoTecla7") + '|' + f.text("labelAnt7") + '|' + f.text("labelID"),
                 caption + '|' + label + '|' + label);
    }

    // Older versions wrote Latin-1: a save keeps their accented labels, now in UTF-8.
    void latin1FileSurvivesASave()
    {
        writePanelFile("[General]\nANT1=Antena S\xF3");
        QVERIFY(writeIniValues(panelSettingsPath(), {{"RL", true}}));
        QCOMPARE(bytesOf(panelSettingsPath()),
                 QByteArray("[General]\nANT1=Antena S\xC3\xB3\nRL=true\n"));
    }

    // Labels that could not be saved stay unsaved: a later toggle that does reach the
    // disk writes its own flag and nothing of the failed save.
    void failedSaveDoesNotComeBack()
    {
        writePanelFile("[General]\nK1=OLD\n");
        QVERIFY(f.open());
        QVERIFY(QFile::remove(panelSettingsPath()) && QDir().mkpath(panelSettingsPath()));
        labels *dialog = openLabels();
        type(dialog, "lineEdit1", "NEW");
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(f.message(), "Settings could not be saved to " + panelSettingsPath());
        QVERIFY(QDir().rmdir(panelSettingsPath()));
        writePanelFile("[General]\nK1=OLD\n");
        f.trigger("actionRelease_ALL");
        QCOMPARE(bytesOf(panelSettingsPath()), QByteArray("[General]\nK1=OLD\nRL=true\n"));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(SettingsTest, "tst_settings")
#include "tst_settings.moc"
