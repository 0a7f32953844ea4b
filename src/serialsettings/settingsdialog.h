#pragma once

#include <QDialog>

#include "serialsettings/serialsettings.h"

class QIntValidator;
struct BoxSelection;

QT_BEGIN_NAMESPACE
namespace Ui {
class SettingsDialog;
}
QT_END_NAMESPACE

// Lists the serial ports, describes the selected one and turns the selections into a
// SerialSettings record when the operator presses Apply. It never touches the port.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    SerialSettings serialSettings() const;

protected:
    // Each opening lists the ports again, so an adapter plugged in since shows up.
    void showEvent(QShowEvent *event) override;

signals:
    // Apply could not write the selection to the port settings file; the message names
    // the file, in the words the panel uses for its own files.
    void selectionNotSaved(const QString &message);

private slots:
    void showPortInfo(int idx);
    void apply();
    void checkCustomBaudRatePolicy(int idx);
    void checkCustomDevicePathPolicy(int idx);

private:
    void fillParameterBoxes();
    void fillPortList();
    void relistPorts();
    QStringList listedLocations() const;
    void selectPort(const BoxSelection &port);
    void loadSelection();
    bool saveSelection();
    void refreshSettings();

    Ui::SettingsDialog *m_ui = nullptr;
    SerialSettings m_currentSettings;
    QIntValidator *m_intValidator = nullptr;
};
