#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "config/settingspath.h"
#include "serialsettings/portdescription.h"
#include "serialsettings/settingsdialog.h"

// The serial settings dialog: how a port is described, the defaults, a stored (or
// hand-edited) selection, and the two custom items.
class TestSettingsDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir dataHome;
    template<typename T> static T *child(SettingsDialog &d, const char *name)
    {
        return d.findChild<T *>(name);
    }

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit()); }
    void init() { QFile::remove(portSettingsPath()); }

    void describe_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::addColumn<bool>("hasIds");
        QTest::addColumn<QString>("expected"); // the seven texts, joined by "|"
        QTest::newRow("FTDI") << "USB Serial" << 0x0403 << 0x6001 << true
                              << "ttyUSB0|USB Serial|N/A|N/A|/dev/x|403|6001";
        QTest::newRow("hex") << "CP2102" << 0x10C4 << 0xEA60 << true
                             << "ttyUSB0|CP2102|N/A|N/A|/dev/x|10c4|ea60";
        QTest::newRow("ids claimed but 0") << "" << 0 << 0 << true
                                           << "ttyUSB0|N/A|N/A|N/A|/dev/x|N/A|N/A";
        QTest::newRow("ids not claimed") << "x" << 0x0403 << 1 << false
                                         << "ttyUSB0|x|N/A|N/A|/dev/x|N/A|N/A";
    }
    void describe()
    {
        QFETCH(QString, description);
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(bool, hasIds);
        QFETCH(QString, expected);
        QCOMPARE(describePort("ttyUSB0", description, "", "", "/dev/x", quint16(vid),
                              quint16(pid), hasIds, hasIds)
                     .join('|'),
                 expected);
    }

    void firstStartDefaults()
    {
        SettingsDialog dialog;
        auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
        const SerialSettings s = dialog.serialSettings();
        QCOMPARE(ports->currentIndex(), 0);
        QCOMPARE(ports->itemText(ports->count() - 1), QStringLiteral("Custom"));
        QCOMPARE(s.portName, ports->count() > 1 ? ports->itemText(0) : QString());
        QCOMPARE(QStringList({QString::number(s.baudRate), s.baudRateText, s.dataBitsText,
                              s.parityText, s.stopBitsText, s.flowControlText}),
                 QStringList({"9600", "9600", "8", "None", "1", "None"}));
        QVERIFY(s.dataBits == QSerialPort::Data8 && s.parity == QSerialPort::NoParity
                && s.stopBits == QSerialPort::OneStop
                && s.flowControl == QSerialPort::NoFlowControl);
        // Described at once, by the connections made before the boxes were filled.
        QVERIFY(child<QLabel>(dialog, "descriptionLabel")->text().startsWith("Description: "));
    }

    void storedSelection_data()
    {
        QTest::addColumn<QString>("comindex"); // "end": one past the last port item
        QTest::addColumn<QString>("speedindex");
        QTest::addColumn<int>("speedItem");
        QTest::addColumn<int>("baudRate");
        QTest::newRow("38400") << "0" << "2" << 2 << 38400;
        QTest::newRow("custom rate") << "0" << "4" << 4 << 0;
        QTest::newRow("port beyond the list") << "end" << "1" << 1 << 19200;
        QTest::newRow("speed beyond the list") << "0" << "5" << 0 << 9600;
        QTest::newRow("not a number") << "abc" << "x1" << 0 << 9600;
        QTest::newRow("negative") << "-3" << "-1" << 0 << 9600;
        QTest::newRow("narrowed to a fitting index") << "0" << "257" << 1 << 19200;
    }
    void storedSelection()
    {
        QFETCH(QString, comindex);
        QFETCH(QString, speedindex);
        QFETCH(int, speedItem);
        QFETCH(int, baudRate);
        if (comindex == "end") {
            SettingsDialog probe;
            comindex = QString::number(child<QComboBox>(probe, "serialPortInfoListBox")->count());
        }
        {
            QSettings file(portSettingsPath(), QSettings::IniFormat); // as a text editor would
            file.setValue("comindex", comindex);
            file.setValue("speedindex", speedindex);
        }
        SettingsDialog dialog;
        auto *rates = child<QComboBox>(dialog, "baudRateBox");
        QCOMPARE(child<QComboBox>(dialog, "serialPortInfoListBox")->currentIndex(), 0);
        QCOMPARE(rates->currentIndex(), speedItem);
        QCOMPARE(dialog.serialSettings().baudRate, baudRate);
        QCOMPARE(rates->isEditable(), speedItem == 4);
    }

    // Custom port: the typed path reaches the settings on Apply; both indexes are stored.
    void customDevicePath()
    {
        SettingsDialog dialog;
        dialog.show();
        auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
        const int customIndex = ports->count() - 1;
        ports->setCurrentIndex(customIndex);
        QVERIFY(ports->isEditable() && ports->currentText().isEmpty());
        ports->setEditText(QStringLiteral("/tmp/orvik-%1-tty"));
        QTest::mouseClick(child<QPushButton>(dialog, "applyButton"), Qt::LeftButton);
        QCOMPARE(dialog.serialSettings().portName, QStringLiteral("/tmp/orvik-%1-tty"));
        QVERIFY(dialog.isHidden());
        QSettings file(portSettingsPath(), QSettings::IniFormat);
        QCOMPARE(file.value("comindex").toInt(), customIndex);
        QCOMPARE(file.value("speedindex").toInt(), 0);
    }

    // Custom rate: digits only, at most 4000000, also after leaving the item and coming
    // back; taken on Apply and never added as an item.
    void customBaudRate()
    {
        SettingsDialog dialog;
        auto *rates = child<QComboBox>(dialog, "baudRateBox");
        rates->setCurrentIndex(4);
        rates->setCurrentIndex(1);
        QVERIFY(!rates->isEditable());
        rates->setCurrentIndex(4);
        QLineEdit *edit = rates->lineEdit();
        QVERIFY(edit && edit->text().isEmpty());
        QTest::keyClicks(edit, QStringLiteral("12ab0"));
        QCOMPARE(edit->text(), QStringLiteral("120"));
        edit->setText(QStringLiteral("5000000"));
        QVERIFY(!edit->hasAcceptableInput());
        edit->setText(QStringLiteral("250000"));
        QCOMPARE(dialog.serialSettings().baudRate, 9600); // nothing changes before Apply
        child<QPushButton>(dialog, "applyButton")->click();
        QCOMPARE(dialog.serialSettings().baudRate, 250000);
        QCOMPARE(dialog.serialSettings().baudRateText, QStringLiteral("250000"));
        QCOMPARE(rates->count(), 5);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
