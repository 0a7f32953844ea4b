#include "serialsettings/settingsdialog.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QSerialPortInfo>

#include "app/theme.h"
#include "config/portsettings.h"
#include "serialsettings/portdescription.h"
#include "serialsettings/portidentity.h"
#include "ui_settingsdialog.h"

namespace {
// The custom rate always sits after the four listed rates.
constexpr int customBaudRateIndex = 4;
constexpr int maximumBaudRate = 4000000;
// describePort() puts the system location fifth.
constexpr int locationEntry = 4;
} // namespace

SettingsDialog::SettingsDialog(QWidget *parent) : QDialog(parent), m_ui(new Ui::SettingsDialog)
{
    m_ui->setupUi(this);
    setStyleSheet(darkStyleSheet(ThemeVariant::Dialog));

    m_intValidator = new QIntValidator(0, maximumBaudRate, this);
    // A rate typed into the custom item must never become a list item of its own.
    m_ui->baudRateBox->setInsertPolicy(QComboBox::NoInsert);

    // Connected before the boxes are filled, so the very first item of each box
    // already describes the port and sets the custom policies.
    connect(m_ui->applyButton, SIGNAL(clicked()), this, SLOT(apply()));
    connect(m_ui->serialPortInfoListBox, SIGNAL(currentIndexChanged(int)), this,
            SLOT(showPortInfo(int)));
    connect(m_ui->baudRateBox, SIGNAL(currentIndexChanged(int)), this,
            SLOT(checkCustomBaudRatePolicy(int)));
    connect(m_ui->serialPortInfoListBox, SIGNAL(currentIndexChanged(int)), this,
            SLOT(checkCustomDevicePathPolicy(int)));

    fillParameterBoxes();
    fillPortList();
    loadSelection();
    refreshSettings();
}

SettingsDialog::~SettingsDialog()
{
    delete m_ui;
}

SerialSettings SettingsDialog::serialSettings() const
{
    return m_currentSettings;
}

void SettingsDialog::showPortInfo(int idx)
{
    if (idx == -1)
        return;
    const QStringList list = m_ui->serialPortInfoListBox->itemData(idx).toStringList();
    const auto entry = [&list](int i) { return i < list.size() ? list.at(i) : tr("N/A"); };
    m_ui->descriptionLabel->setText(tr("Description: %1").arg(entry(1)));
    m_ui->manufacturerLabel->setText(tr("Manufacturer: %1").arg(entry(2)));
    m_ui->serialNumberLabel->setText(tr("Serial number: %1").arg(entry(3)));
    m_ui->locationLabel->setText(tr("Location: %1").arg(entry(4)));
    m_ui->vidLabel->setText(tr("Vendor Identifier: %1").arg(entry(5)));
    m_ui->pidLabel->setText(tr("Product Identifier: %1").arg(entry(6)));
}

void SettingsDialog::apply()
{
    if (!saveSelection())
        emit selectionNotSaved(portSettingsNotSavedMessage());
    refreshSettings();
    hide();
}

void SettingsDialog::checkCustomBaudRatePolicy(int idx)
{
    const bool isCustom = !m_ui->baudRateBox->itemData(idx).isValid();
    m_ui->baudRateBox->setEditable(isCustom);
    if (isCustom) {
        m_ui->baudRateBox->clearEditText();
        // The edit field is made anew each time the box turns editable.
        m_ui->baudRateBox->lineEdit()->setValidator(m_intValidator);
    }
}

void SettingsDialog::checkCustomDevicePathPolicy(int idx)
{
    const bool isCustom = !m_ui->serialPortInfoListBox->itemData(idx).isValid();
    m_ui->serialPortInfoListBox->setEditable(isCustom);
    if (isCustom)
        m_ui->serialPortInfoListBox->clearEditText();
}

void SettingsDialog::fillParameterBoxes()
{
    m_ui->baudRateBox->addItem(QStringLiteral("9600"), QSerialPort::Baud9600);
    m_ui->baudRateBox->addItem(QStringLiteral("19200"), QSerialPort::Baud19200);
    m_ui->baudRateBox->addItem(QStringLiteral("38400"), QSerialPort::Baud38400);
    m_ui->baudRateBox->addItem(QStringLiteral("115200"), QSerialPort::Baud115200);
    m_ui->baudRateBox->addItem(tr("Custom"));

    m_ui->dataBitsBox->addItem(QStringLiteral("5"), QSerialPort::Data5);
    m_ui->dataBitsBox->addItem(QStringLiteral("6"), QSerialPort::Data6);
    m_ui->dataBitsBox->addItem(QStringLiteral("7"), QSerialPort::Data7);
    m_ui->dataBitsBox->addItem(QStringLiteral("8"), QSerialPort::Data8);
    m_ui->dataBitsBox->setCurrentIndex(3);

    m_ui->parityBox->addItem(tr("None"), QSerialPort::NoParity);
    m_ui->parityBox->addItem(tr("Even"), QSerialPort::EvenParity);
    m_ui->parityBox->addItem(tr("Odd"), QSerialPort::OddParity);
    m_ui->parityBox->addItem(tr("Mark"), QSerialPort::MarkParity);
    m_ui->parityBox->addItem(tr("Space"), QSerialPort::SpaceParity);

    m_ui->stopBitsBox->addItem(QStringLiteral("1"), QSerialPort::OneStop);
    m_ui->stopBitsBox->addItem(tr("1.5"), QSerialPort::OneAndHalfStop);
    m_ui->stopBitsBox->addItem(QStringLiteral("2"), QSerialPort::TwoStop);

    m_ui->flowControlBox->addItem(tr("None"), QSerialPort::NoFlowControl);
    m_ui->flowControlBox->addItem(tr("RTS/CTS"), QSerialPort::HardwareControl);
    m_ui->flowControlBox->addItem(tr("XON/XOFF"), QSerialPort::SoftwareControl);
}

void SettingsDialog::fillPortList()
{
    m_ui->serialPortInfoListBox->clear();
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        const QStringList list =
            describePort(info.portName(), info.description(), info.manufacturer(),
                         info.serialNumber(), info.systemLocation(), info.vendorIdentifier(),
                         info.productIdentifier(), info.hasVendorIdentifier(),
                         info.hasProductIdentifier());
        m_ui->serialPortInfoListBox->addItem(list.first(), list);
    }
    m_ui->serialPortInfoListBox->addItem(tr("Custom"));
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    relistPorts();
    QDialog::showEvent(event);
}

// The choice on screen, applied or not, stays: a typed Custom path as it is, a listed
// port by its location, under the rule a stored port follows, so one unplugged since
// shows as Custom with its path rather than as some other device.
void SettingsDialog::relistPorts()
{
    const QVariant listed = m_ui->serialPortInfoListBox->currentData();
    const QString typed = m_ui->serialPortInfoListBox->currentText();
    fillPortList();
    selectPort(listed.isValid() ? portSelection(listed.toStringList().value(locationEntry),
                                                QVariant(), listedLocations())
                                : BoxSelection{m_ui->serialPortInfoListBox->count() - 1, typed});
}

QStringList SettingsDialog::listedLocations() const
{
    QStringList locations;
    for (int i = 0; i < m_ui->serialPortInfoListBox->count() - 1; ++i)
        locations << m_ui->serialPortInfoListBox->itemData(i).toStringList().value(locationEntry);
    return locations;
}

void SettingsDialog::selectPort(const BoxSelection &port)
{
    // Becoming current clears a custom item's text, so the text goes in afterwards.
    m_ui->serialPortInfoListBox->setCurrentIndex(port.index);
    if (!port.customText.isEmpty())
        m_ui->serialPortInfoListBox->setEditText(port.customText);
}

void SettingsDialog::loadSelection()
{
    const StoredPortSelection stored = loadPortSelection();
    selectPort(portSelection(stored.portPath, stored.portIndex, listedLocations()));
    const BoxSelection speed = speedSelection(stored.speedIndex, stored.customRate,
                                              m_ui->baudRateBox->count(), maximumBaudRate);
    // As for the port, the custom text goes in after the item became current.
    m_ui->baudRateBox->setCurrentIndex(speed.index);
    if (!speed.customText.isEmpty())
        m_ui->baudRateBox->setEditText(speed.customText);
}

bool SettingsDialog::saveSelection()
{
    const int portIndex = m_ui->serialPortInfoListBox->currentIndex();
    const QVariant listed = m_ui->serialPortInfoListBox->itemData(portIndex);
    const QString path =
        listed.isValid()
            ? storedPortPath(listed.toStringList().value(locationEntry), serialByIdFolder)
            : m_ui->serialPortInfoListBox->currentText();
    const int speedIndex = m_ui->baudRateBox->currentIndex();
    const int customRate =
        speedIndex == customBaudRateIndex ? m_ui->baudRateBox->currentText().toInt() : 0;
    return savePortSelection(portIndex, path, speedIndex, customRate);
}

void SettingsDialog::refreshSettings()
{
    m_currentSettings.portName = m_ui->serialPortInfoListBox->currentText();

    if (m_ui->baudRateBox->currentIndex() == customBaudRateIndex)
        m_currentSettings.baudRate = m_ui->baudRateBox->currentText().toInt();
    else
        m_currentSettings.baudRate = m_ui->baudRateBox->currentData().toInt();
    m_currentSettings.baudRateText = QString::number(m_currentSettings.baudRate);

    m_currentSettings.dataBits =
        static_cast<QSerialPort::DataBits>(m_ui->dataBitsBox->currentData().toInt());
    m_currentSettings.dataBitsText = m_ui->dataBitsBox->currentText();
    m_currentSettings.parity =
        static_cast<QSerialPort::Parity>(m_ui->parityBox->currentData().toInt());
    m_currentSettings.parityText = m_ui->parityBox->currentText();
    m_currentSettings.stopBits =
        static_cast<QSerialPort::StopBits>(m_ui->stopBitsBox->currentData().toInt());
    m_currentSettings.stopBitsText = m_ui->stopBitsBox->currentText();
    m_currentSettings.flowControl =
        static_cast<QSerialPort::FlowControl>(m_ui->flowControlBox->currentData().toInt());
    m_currentSettings.flowControlText = m_ui->flowControlBox->currentText();
}
