#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/labels.h"
#include "config/settingsvalues.h"
#include "isolatedsettings.h"

class LabelsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void storedCaptionCutToField();
    void clearedFieldEmptiesWindow();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void lastOkWins();
    void closingWithoutOkWritesNothing_data();
    void closingWithoutOkWritesNothing();
    void flagsSurviveOk();
    void unwritableFileIsReported();
    void eachTriggerOpensFreshModelessDialog();

private:
    labels *openDialog() { return new labels(window, window); }
    static QLineEdit *field(labels *dialog, const char *name)
    {
        return dialog->findChild<QLineEdit *>(name);
    }
    static void pressOk(labels *dialog)
    {
        dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    }
    QString caption(int n)
    {
        return window->findChild<QPushButton *>(QString("botaoTecla%1").arg(n))->text();
    }
    QString antenna(int n)
    {
        return window->findChild<QLabel *>(QString("labelAnt%1").arg(n))->text();
    }
    static QString stored(const QString &key)
    {
        QSettings file(panelSettingsPath(), QSettings::IniFormat);
        return iniText(file.value(key, QString()));
    }

    MainWindow *window = nullptr;
};

void LabelsTest::init()
{
    removeSettingsFiles();
    window = new MainWindow;
}

void LabelsTest::cleanup()
{
    delete window;
    window = nullptr;
    removeSettingsFiles();
}

void LabelsTest::storedCaptionCutToField()
{
    writePanelFile("[General]\nK1=ABCDEF\n");
    window->loadSettings();
    QCOMPARE(caption(1), QString("ABCDEF"));

    labels *dialog = openDialog();
    QCOMPARE(field(dialog, "lineEdit1")->text(), QString("ABCD"));
    pressOk(dialog);
    QCOMPARE(stored("K1"), QString("ABCD"));
    QCOMPARE(caption(1), QString("ABCD"));
    QVERIFY(dialog->isHidden());
}

void LabelsTest::clearedFieldEmptiesWindow()
{
    writePanelFile("[General]\nK2=TX2\nID=Station\nANT2=Dipole\nANT5=Yagi\n");
    window->loadSettings();
    labels *dialog = openDialog();
    field(dialog, "lineEdit2")->clear();
    field(dialog, "lineEditAnt2")->clear();
    field(dialog, "lineEditID")->clear();
    pressOk(dialog);

    QCOMPARE(caption(2), QString());
    QCOMPARE(antenna(2), QString());
    QCOMPARE(window->findChild<QLabel *>("labelID")->text(), QString());
    QCOMPARE(antenna(5), QString("Yagi"));
    // All 17 keys are written, the emptied ones as empty texts.
    QSettings file(panelSettingsPath(), QSettings::IniFormat);
    QCOMPARE(file.allKeys().size(), 17);
    QVERIFY(file.contains("K2"));
}

void LabelsTest::textsRoundTrip_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::newRow("spaces") << "A B " << "  two  spaces  ";
    QTest::newRow("commas") << "1,2" << "40m, 20m, 15m";
    QTest::newRow("equals") << "a=b" << "x = y";
    QTest::newRow("quotes") << "\"q\"" << "the \"long\" 'one'";
    QTest::newRow("non-ASCII") << QString::fromUtf8("ÇãÖß") << QString::fromUtf8("São João Ж");
}

void LabelsTest::textsRoundTrip()
{
    QFETCH(QString, caption);
    QFETCH(QString, label);
    labels *dialog = openDialog();
    field(dialog, "lineEdit7")->setText(caption);
    field(dialog, "lineEditAnt7")->setText(label);
    field(dialog, "lineEditID")->setText(label);
    pressOk(dialog);
    QCOMPARE(this->caption(7), caption);
    QCOMPARE(antenna(7), label);

    // A fresh window and dialog read the file again.
    delete window;
    window = new MainWindow;
    QCOMPARE(this->caption(7), caption);
    QCOMPARE(window->findChild<QLabel *>("labelID")->text(), label);
    labels *again = openDialog();
    QCOMPARE(field(again, "lineEdit7")->text(), caption);
    QCOMPARE(field(again, "lineEditAnt7")->text(), label);
}

void LabelsTest::lastOkWins()
{
    labels *first = openDialog();
    labels *second = openDialog();
    for (int n = 1; n <= 8; ++n) {
        field(first, qPrintable(QString("lineEdit%1").arg(n)))->setText(QString("F%1").arg(n));
        field(second, qPrintable(QString("lineEditAnt%1").arg(n)))->setText("second");
    }
    field(second, "lineEditID")->setText("second");
    pressOk(second);
    QCOMPARE(antenna(3), QString("second"));
    pressOk(first);

    // The first dialog held empty texts for the labels and ID; they win too.
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(stored(QString("K%1").arg(n)), QString("F%1").arg(n));
        QCOMPARE(stored(QString("ANT%1").arg(n)), QString());
        QCOMPARE(caption(n), QString("F%1").arg(n));
        QCOMPARE(antenna(n), QString());
    }
    QCOMPARE(stored("ID"), QString());
}

void LabelsTest::closingWithoutOkWritesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close button") << "close";
}

void LabelsTest::closingWithoutOkWritesNothing()
{
    QFETCH(QString, how);
    writePanelFile("[General]\nK1=OLD\n");
    window->loadSettings();
    const QByteArray before = [] {
        QFile file(panelSettingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    labels *dialog = openDialog();
    dialog->show();
    field(dialog, "lineEdit1")->setText("NEW");
    if (how == "cancel")
        dialog->findChild<QDialogButtonBox *>("buttonBox")
            ->button(QDialogButtonBox::Cancel)
            ->click();
    else if (how == "escape")
        QTest::keyClick(dialog, Qt::Key_Escape);
    else
        dialog->close();

    QVERIFY(dialog->isHidden());
    QCOMPARE(caption(1), QString("OLD"));
    QFile file(panelSettingsPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void LabelsTest::flagsSurviveOk()
{
    writePanelFile("[General]\nRL=true\nREC=true\n");
    delete window;
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QSize size = window->size();

    pressOk(openDialog());
    QVERIFY(window->findChild<QAction *>("actionRelease_ALL")->isChecked());
    QVERIFY(window->findChild<QAction *>("actionEnable")->isChecked());
    QCOMPARE(window->findChild<QPushButton *>("botaoRelease")->text(), QString("RELEASE ALL"));
    QCOMPARE(window->size(), size);
    QVERIFY(window->switchQueue.isEmpty());
}

void LabelsTest::unwritableFileIsReported()
{
    QVERIFY(QDir().mkpath(panelSettingsPath()));
    labels *dialog = openDialog();
    field(dialog, "lineEdit1")->setText("TX1");
    pressOk(dialog);
    QCOMPARE(window->statusBar()->currentMessage(),
             QString("Settings could not be saved to %1").arg(panelSettingsPath()));
    QCOMPARE(caption(1), QString("TX1")); // what was applied stays on screen
}

void LabelsTest::eachTriggerOpensFreshModelessDialog()
{
    window->show();
    QAction *open = window->findChild<QAction *>("actionLabels");
    open->trigger();
    open->trigger();
    const QList<labels *> dialogs = window->findChildren<labels *>();
    QCOMPARE(dialogs.size(), 2);
    for (labels *dialog : dialogs) {
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QString("Label Config"));
        QCOMPARE(dialog->size(), QSize(538, 157));
        QCOMPARE(field(dialog, "lineEdit1")->maxLength(), 4);
        QCOMPARE(field(dialog, "lineEditAnt8")->maxLength(), 50);
        QCOMPARE(field(dialog, "lineEditID")->maxLength(), 50);
    }

    QPointer<labels> closed = dialogs.first();
    pressOk(closed);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(closed.isNull());
    QCOMPARE(window->findChildren<labels *>().size(), 1);
}

ORVIK_ISOLATED_SETTINGS_MAIN(LabelsTest, "tst_labels")
#include "tst_labels.moc"
