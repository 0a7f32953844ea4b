#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "config/settingspath.h"
#include "serialsettings/portdescription.h"
#include "serialsettings/settingsdialog.h"

// The serial settings dialog: the description of a port, the defaults, the stored
// selection (including values a hand-edited file can hold) and the custom items.
class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void describe_data();
    void describe();
    void firstStartDefaults();
    void storedSelection_data();
    void storedSelection();
    void customDevicePathReachesPortName();
    void customBaudRateIsValidated();
    void recordChangesOnlyOnApply();
    void argumentSelectsOwnFile();

private:
    template<typename T> static T *child(SettingsDialog &d, const char *name)
    {
        return d.findChild<T *>(name);
    }
    void writeSelection(const QString &comindex, const QString &speedindex);

    QTemporaryDir dataHome;
};

void TestSettingsDialog::initTestCase()
{
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
}

void TestSettingsDialog::init()
{
    QFile::remove(portSettingsPath());
}

// Written by hand, as an operator with a text editor would.
void TestSettingsDialog::writeSelection(const QString &comindex, const QString &speedindex)
{
    QDir().mkpath(QFileInfo(portSettingsPath()).path());
    QFile file(portSettingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("[General]\ncomindex=%1\nspeedindex=%2\n")
                   .arg(comindex, speedindex)
                   .toUtf8());
}

void TestSettingsDialog::describe_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("pid");
    QTest::addColumn<bool>("hasIds");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("FTDI") << "USB Serial" << "/dev/ttyUSB0" << 0x0403 << 0x6001 << true
                          << QStringList{"ttyUSB0", "USB Serial", "N/A", "N/A", "/dev/ttyUSB0",
                                         "403", "6001"};
    QTest::newRow("Silicon Labs") << "CP2102" << "/dev/ttyUSB1" << 0x10C4 << 0xEA60 << true
                                  << QStringList{"ttyUSB0", "CP2102", "N/A", "N/A",
                                                 "/dev/ttyUSB1", "10c4", "ea60"};
    QTest::newRow("nothing known") << "" << "/dev/ttyS0" << 0 << 0 << false
                                   << QStringList{"ttyUSB0", "N/A", "N/A", "N/A", "/dev/ttyS0",
                                                  "N/A", "N/A"};
    QTest::newRow("identifiers claimed but 0") << "" << "" << 0 << 0 << true
                                               << QStringList{"ttyUSB0", "N/A", "N/A", "N/A",
                                                              "", "N/A", "N/A"};
    QTest::newRow("identifiers not claimed") << "x" << "/l" << 0x0403 << 1 << false
                                             << QStringList{"ttyUSB0", "x", "N/A", "N/A", "/l",
                                                            "N/A", "N/A"};
}

void TestSettingsDialog::describe()
{
    QFETCH(QString, description);
    QFETCH(QString, location);
    QFETCH(int, vid);
    QFETCH(int, pid);
    QFETCH(bool, hasIds);
    QFETCH(QStringList, expected);
    QCOMPARE(describePort("ttyUSB0", description, QString(), QString(), location, quint16(vid),
                          quint16(pid), hasIds, hasIds),
             expected);
}

void TestSettingsDialog::firstStartDefaults()
{
    SettingsDialog dialog;
    auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
    const SerialSettings s = dialog.serialSettings();

    QCOMPARE(ports->currentIndex(), 0);
    QCOMPARE(ports->itemText(ports->count() - 1), QStringLiteral("Custom"));
    // With no port on the machine only "Custom" is listed, editable and empty.
    QCOMPARE(s.portName, ports->count() > 1 ? ports->itemText(0) : QString());
    QCOMPARE(s.baudRate, 9600);
    QCOMPARE(s.baudRateText, QStringLiteral("9600"));
    QCOMPARE(s.dataBits, QSerialPort::Data8);
    QCOMPARE(s.dataBitsText, QStringLiteral("8"));
    QCOMPARE(s.parity, QSerialPort::NoParity);
    QCOMPARE(s.parityText, QStringLiteral("None"));
    QCOMPARE(s.stopBits, QSerialPort::OneStop);
    QCOMPARE(s.stopBitsText, QStringLiteral("1"));
    QCOMPARE(s.flowControl, QSerialPort::NoFlowControl);
    QCOMPARE(s.flowControlText, QStringLiteral("None"));
    QVERIFY(!child<QComboBox>(dialog, "baudRateBox")->isEditable());
    // The labels were described at once, by the connections made before filling.
    QVERIFY(child<QLabel>(dialog, "descriptionLabel")->text().startsWith("Description: "));
    if (ports->count() == 1)
        QCOMPARE(child<QLabel>(dialog, "vidLabel")->text(),
                 QStringLiteral("Vendor Identifier: N/A"));
}

void TestSettingsDialog::storedSelection_data()
{
    QTest::addColumn<QString>("comindex");
    QTest::addColumn<QString>("speedindex");
    QTest::addColumn<bool>("comBeyondList");
    QTest::addColumn<int>("expectedSpeedIndex");
    QTest::addColumn<int>("expectedBaudRate");

    QTest::newRow("38400") << "0" << "2" << false << 2 << 38400;
    QTest::newRow("custom rate") << "0" << "4" << false << 4 << 0;
    QTest::newRow("port beyond the list") << "" << "1" << true << 1 << 19200;
    QTest::newRow("speed beyond the list") << "0" << "5" << false << 0 << 9600;
    QTest::newRow("not a number") << "abc" << "x1" << false << 0 << 9600;
    QTest::newRow("negative speed") << "0" << "-1" << false << 0 << 9600;
    QTest::newRow("negative port") << "-3" << "1" << false << 1 << 19200;
    QTest::newRow("narrows to negative") << "200" << "130" << false << 0 << 9600;
    QTest::newRow("narrows to a fitting index") << "0" << "257" << false << 1 << 19200;
}

void TestSettingsDialog::storedSelection()
{
    QFETCH(QString, comindex);
    QFETCH(QString, speedindex);
    QFETCH(bool, comBeyondList);
    QFETCH(int, expectedSpeedIndex);
    QFETCH(int, expectedBaudRate);

    int portItems = 0;
    {
        SettingsDialog probe;
        portItems = child<QComboBox>(probe, "serialPortInfoListBox")->count();
    }
    writeSelection(comBeyondList ? QString::number(portItems) : comindex, speedindex);

    SettingsDialog dialog;
    auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
    auto *rates = child<QComboBox>(dialog, "baudRateBox");
    QCOMPARE(ports->currentIndex(), 0);
    QCOMPARE(rates->currentIndex(), expectedSpeedIndex);
    QCOMPARE(dialog.serialSettings().baudRate, expectedBaudRate);
    QCOMPARE(dialog.serialSettings().baudRateText, QString::number(expectedBaudRate));

    const bool custom = expectedSpeedIndex == 4;
    QCOMPARE(rates->isEditable(), custom);
    if (custom) {
        QVERIFY(rates->currentText().isEmpty());
        auto *validator = qobject_cast<const QIntValidator *>(rates->lineEdit()->validator());
        QVERIFY(validator);
        QCOMPARE(validator->bottom(), 0);
        QCOMPARE(validator->top(), 4000000);
    }
}

void TestSettingsDialog::customDevicePathReachesPortName()
{
    SettingsDialog dialog;
    dialog.show();
    auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
    const int customIndex = ports->count() - 1;
    ports->setCurrentIndex(customIndex);
    QVERIFY(ports->isEditable());
    QVERIFY(ports->currentText().isEmpty());
    ports->setEditText(QStringLiteral("/tmp/orvik-%1-tty"));
    QTest::mouseClick(child<QPushButton>(dialog, "applyButton"), Qt::LeftButton);

    QCOMPARE(dialog.serialSettings().portName, QStringLiteral("/tmp/orvik-%1-tty"));
    QVERIFY(dialog.isHidden());
    QSettings file(portSettingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value("comindex").toInt(), customIndex);
    QCOMPARE(file.value("speedindex").toInt(), 0);

    if (ports->count() > 1) {
        ports->setCurrentIndex(0);
        QVERIFY(!ports->isEditable());
    }
}

void TestSettingsDialog::customBaudRateIsValidated()
{
    SettingsDialog dialog;
    auto *rates = child<QComboBox>(dialog, "baudRateBox");
    rates->setCurrentIndex(4);
    // Leaving the custom item and coming back makes a new edit field; it is guarded too.
    rates->setCurrentIndex(1);
    QVERIFY(!rates->isEditable());
    rates->setCurrentIndex(4);

    QLineEdit *edit = rates->lineEdit();
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("12ab0"));
    QCOMPARE(edit->text(), QStringLiteral("120"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("5000000"));
    QVERIFY(!edit->hasAcceptableInput());
    edit->setText(QStringLiteral("250000"));
    child<QPushButton>(dialog, "applyButton")->click();
    QCOMPARE(dialog.serialSettings().baudRate, 250000);
    QCOMPARE(dialog.serialSettings().baudRateText, QStringLiteral("250000"));
    QCOMPARE(rates->count(), 5); // a typed rate never becomes an item
}

void TestSettingsDialog::recordChangesOnlyOnApply()
{
    SettingsDialog dialog;
    const SerialSettings before = dialog.serialSettings();
    child<QComboBox>(dialog, "parityBox")->setCurrentIndex(3);
    child<QComboBox>(dialog, "stopBitsBox")->setCurrentIndex(1);
    QCOMPARE(dialog.serialSettings().parity, QSerialPort::NoParity);

    child<QPushButton>(dialog, "applyButton")->click();
    const SerialSettings after = dialog.serialSettings();
    QCOMPARE(after.parity, QSerialPort::MarkParity);
    QCOMPARE(after.parityText, QStringLiteral("Mark"));
    QCOMPARE(after.stopBits, QSerialPort::OneAndHalfStop);
    QCOMPARE(after.stopBitsText, QStringLiteral("1.5"));
    QCOMPARE(before.parity, QSerialPort::NoParity);
}

void TestSettingsDialog::argumentSelectsOwnFile()
{
    const QString base = dataHome.path();
    const QString plain = settingsFilePath(QStringList{"orvik-panel"}, base);
    const QString second = settingsFilePath(QStringList{"orvik-panel", "2", "x"}, base);
    QCOMPARE(second, base + "/settings2.ini");
    QVERIFY(second != plain);
    QCOMPARE(settingsFilePath(QStringList{"orvik-panel", ""}, base), plain);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
