#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "config/portsettings.h"
#include "config/settingspath.h"
#include "serialsettings/portidentity.h"
#include "serialsettings/settingsdialog.h"
#include "tables.h"

// The serial settings dialog: the defaults, a stored (or
// hand-edited) selection, which port a stored path names, and the two custom items.
class TestSettingsDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir dataHome;
    QTemporaryDir dev; // ttyS0, ttyUSB0, ttyUSB1 and by-id links, as under /dev
    template<typename T> static T *child(SettingsDialog &d, const char *name)
    {
        return d.findChild<T *>(name);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
        QDir(dev.path()).mkdir("by-id");
        for (const char *name : {"ttyS0", "ttyUSB0", "ttyUSB1"})
            QVERIFY(QFile(dev.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link("../ttyUSB1", dev.filePath("by-id/usb-FTDI_A-if00")));
        QVERIFY(QFile::link("../ttyUSB9", dev.filePath("by-id/usb-gone-if00")));
    }
    void init()
    {
        QFile::remove(portSettingsPath());
        QDir().rmdir(portSettingsPath());
    }

    // The path remembered for a listed port; names are under the fake /dev.
    void storedPath_data()
    {
        columns<QString, QString, QString>({"location", "byId", "expected"});
        row("by-id link found", "ttyUSB1", "by-id", "by-id/usb-FTDI_A-if00");
        row("link points elsewhere", "ttyUSB0", "by-id", "ttyUSB0");
        row("dangling link, missing device", "ttyUSB9", "by-id", "ttyUSB9");
    }
    void storedPath()
    {
        QFETCH(QString, location);
        QFETCH(QString, byId);
        QFETCH(QString, expected);
        QCOMPARE(storedPortPath(dev.filePath(location), dev.filePath(byId)),
                 dev.filePath(expected));
    }

    // Listed: ttyS0, ttyUSB0, ttyUSB1, then Custom (3). "@" stands for the fake /dev.
    void selection_data()
    {
        columns<QString, QString, int, QString>({"portpath", "comindex", "index", "customText"});
        row("by-id link, port moved", "@/by-id/usb-FTDI_A-if00", "1", 2, "");
        row("adapter absent", "@/by-id/usb-gone-if00", "2", 3, "@/by-id/usb-gone-if00");
        row("custom path naming a port", "@/../" + QFileInfo(dev.path()).fileName() + "/ttyS0", "3",
            0, "");
        row("legacy: comindex only", "", "2", 2, "");
        row("legacy: custom index", "", "3", 3, "");
        row("legacy: beyond the list", "", "4", 0, "");
        row("blank path, garbage index", "  ", "x2", 0, "");
    }
    void selection()
    {
        QFETCH(QString, portpath);
        QFETCH(QString, comindex);
        QFETCH(int, index);
        QFETCH(QString, customText);
        QStringList listed;
        for (const char *name : {"ttyS0", "ttyUSB0", "ttyUSB1"})
            listed << dev.filePath(name);
        const BoxSelection s = portSelection(portpath.replace('@', dev.path()), comindex, listed);
        QCOMPARE(s.index, index);
        QCOMPARE(s.customText, customText.replace('@', dev.path()));
    }

    void firstStartDefaults()
    {
        SettingsDialog dialog;
        auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
        const SerialSettings s = dialog.serialSettings();
        QCOMPARE(ports->currentIndex(), 0);
        QCOMPARE(ports->itemText(ports->count() - 1), QStringLiteral("Custom"));
        QVERIFY(s.baudRate == 9600 && s.dataBits == QSerialPort::Data8
                && s.parity == QSerialPort::NoParity && s.stopBits == QSerialPort::OneStop
                && s.flowControl == QSerialPort::NoFlowControl);
        // Described at once, by the connections made before the boxes were filled.
        QVERIFY(child<QLabel>(dialog, "descriptionLabel")->text().startsWith("Description: "));
    }

    void storedSelection_data()
    {
        // comindex: "end": one past the last port item
        columns<QString, QString, QString, int, int>(
            {"comindex", "speedindex", "customrate", "speedItem", "baudRate"});
        row("38400", "0", "2", "", 2, 38400);
        row("custom rate", "0", "4", "250000", 4, 250000);
        row("rate with a listed speed", "0", "2", "250000", 2, 38400);
        row("rate not a number", "0", "4", "fast", 4, 0);
        row("rate over the limit", "0", "4", "4000001", 4, 0);
        row("port beyond the list", "end", "1", "", 1, 19200);
        row("speed beyond the list", "0", "5", "250000", 0, 9600);
        row("negative", "-3", "-1", "-1", 0, 9600);
        row("narrowed to a fitting index", "0", "257", "", 1, 19200);
    }
    void storedSelection()
    {
        QFETCH(QString, comindex);
        QFETCH(QString, speedindex);
        QFETCH(QString, customrate);
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
            file.setValue("customrate", customrate);
        }
        SettingsDialog dialog;
        auto *rates = child<QComboBox>(dialog, "baudRateBox");
        QCOMPARE(child<QComboBox>(dialog, "serialPortInfoListBox")->currentIndex(), 0);
        QCOMPARE(rates->currentIndex(), speedItem);
        QCOMPARE(dialog.serialSettings().baudRate, baudRate);
        QCOMPARE(rates->isEditable(), speedItem == 4);
    }

    // Custom port and rate: taken on Apply, and back after a restart without the dialog
    // being opened.
    void customRoundTrip()
    {
        const QString path = QStringLiteral("/tmp/orvik-%1-tty");
        {
            SettingsDialog dialog;
            auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
            ports->setCurrentIndex(ports->count() - 1);
            QVERIFY(ports->isEditable() && ports->currentText().isEmpty());
            ports->setEditText(path);
            child<QComboBox>(dialog, "baudRateBox")->setCurrentIndex(4);
            child<QComboBox>(dialog, "baudRateBox")->setEditText(QStringLiteral("250000"));
            child<QPushButton>(dialog, "applyButton")->click();
            QCOMPARE(dialog.serialSettings().portName, path);
        }
        SettingsDialog restarted;
        QCOMPARE(restarted.serialSettings().portName, path);
        QCOMPARE(restarted.serialSettings().baudRate, 250000);
    }

    // Opening lists the ports again; the item put in first stands for an adapter
    // unplugged since. Both a typed Custom path and that port then show as Custom.
    void reopened_data()
    {
        columns<bool>({"portChosen"});
        row("typed Custom path", false);
        row("chosen port unplugged", true);
    }
    void reopened()
    {
        QFETCH(bool, portChosen);
        SettingsDialog dialog;
        auto *ports = child<QComboBox>(dialog, "serialPortInfoListBox");
        const int custom = ports->count() - 1;
        ports->insertItem(0, "gone", QStringList{"gone", "", "", "", "/tmp/gone"});
        ports->setCurrentIndex(portChosen ? 0 : custom + 1);
        ports->setEditText("/tmp/gone");
        dialog.show();
        QCOMPARE(ports->count(), custom + 1);
        QCOMPARE(ports->currentIndex(), custom);
        QCOMPARE(ports->currentText(), QString("/tmp/gone"));
    }

    // A selection file that cannot be written (a folder in its place) is reported.
    void notSaved()
    {
        QVERIFY(QDir().mkpath(portSettingsPath()));
        SettingsDialog dialog;
        QSignalSpy spy(&dialog, &SettingsDialog::selectionNotSaved);
        child<QPushButton>(dialog, "applyButton")->click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(),
                 QStringLiteral("Settings could not be saved to %1").arg(portSettingsPath()));
        QVERIFY(!saveReconnectChoice(true));
        QVERIFY(QDir().rmdir(portSettingsPath()));
        QVERIFY(saveReconnectChoice(true) && loadReconnectChoice());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
