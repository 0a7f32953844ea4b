// Placeholder bodies; replaced by the serial settings work.
#include "serialsettings/settingsdialog.h"

SettingsDialog::SettingsDialog(QWidget *parent) : QDialog(parent) {}
SettingsDialog::~SettingsDialog() = default;
SerialSettings SettingsDialog::serialSettings() const { return m_currentSettings; }
void SettingsDialog::showPortInfo(int) {}
void SettingsDialog::apply() {}
void SettingsDialog::checkCustomBaudRatePolicy(int) {}
void SettingsDialog::checkCustomDevicePathPolicy(int) {}
void SettingsDialog::fillParameterBoxes() {}
void SettingsDialog::fillPortList() {}
void SettingsDialog::loadSelection() {}
void SettingsDialog::saveSelection() {}
void SettingsDialog::refreshSettings() {}
