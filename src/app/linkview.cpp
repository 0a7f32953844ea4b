// The window's side of the link: File › Connect and Disconnect, Reconnect Automatically,
// and what the link reports, shown in the status bar, the boxes and the keys.
#include <QMessageBox>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/portsettings.h"
#include "link/controllerlink.h"
#include "radio/radiofollow.h"
#include "serialsettings/settingsdialog.h"
#include "ui_mainwindow.h"

void MainWindow::connectLink()
{
    connect(link, &ControllerLink::opened, this, &MainWindow::linkOpened);
    connect(link, &ControllerLink::openFailed, this, [this](const QString &reason) {
        showBox(tr("Error"), reason);
        statusBar()->showMessage(tr("Open error"));
    });
    // While a station serves the switch, a late word from the closed port is no news.
    connect(link, &ControllerLink::statusReceived, this, [this](const SwitchStatus &status) {
        if (!stationMode)
            processaPDR(status);
    });
    connect(link, &ControllerLink::firmwareReceived, this, &MainWindow::firmwareReceived);
    connect(link, &ControllerLink::aliveChanged, this, [this](bool alive) {
        if (stationMode)
            return;
        panel.setLinkAlive(alive);
        paint();
    });
    // A reconnect that opened the port just before Disconnect reached the link is undone
    // by the close after it: the window shows that last word.
    connect(link, &ControllerLink::closed, this, [this] {
        if (!stationMode)
            showDisconnected(tr("Disconnected"));
    });
    connect(link, &ControllerLink::lost, this, &MainWindow::linkLost);
    connect(link, &ControllerLink::reconnecting, this, &MainWindow::waitForPort);

    ui->actionReconnect_Automatically->setChecked(loadReconnectChoice());
    link->setReconnecting(ui->actionReconnect_Automatically->isChecked());
    connect(ui->actionReconnect_Automatically, &QAction::toggled, this, [this](bool on) {
        link->setReconnecting(on);
        if (!saveReconnectChoice(on))
            statusBar()->showMessage(portSettingsNotSavedMessage());
    });
}

void MainWindow::openSerialPort()
{
    leaveStation();
    link->open(settings->serialSettings());
}

void MainWindow::linkOpened(const PortSettings &p)
{
    portOpen = true;
    // Nothing the switch said before counts until it reports on this connection.
    radioFollow->controllerLost();
    ui->actionConfigure->setEnabled(false);
    ui->actionConnect_to_KELMAR->setEnabled(false);
    // One pass over all six, so a "%2" inside a typed device path stays as typed.
    statusBar()->showMessage(tr("Connected to %1 : %2, %3, %4, %5, %6")
                                 .arg(p.portName, p.baudRateText, p.dataBitsText, p.parityText,
                                      p.stopBitsText, p.flowControlText));
}

void MainWindow::closeSerialPort()
{
    leaveStation();
    link->close();
    showDisconnected(tr("Disconnected"));
}

void MainWindow::showDisconnected(const QString &message)
{
    portOpen = false;
    // Nothing set up on the old connection carries over to the next one.
    panel.reset();
    radioFollow->controllerLost();
    ui->actionConfigure->setEnabled(true);
    ui->actionConnect_to_KELMAR->setEnabled(true);
    statusBar()->showMessage(message);
    stateChanged();
}

void MainWindow::firmwareReceived(const FirmwareRevision &revision)
{
    if (!portOpen)
        return;
    statusBar()->showMessage(
        tr("Connected! Firmware Revision: %1 . %2").arg(revision.major).arg(revision.minor));
    showFirmware(revision);
}

void MainWindow::showFirmware(const FirmwareRevision &revision)
{
    ui->labelFWVersion->setText(QStringLiteral("FW Revision: ")
                                + QString::asprintf("%d.%d", revision.major, revision.minor));
}

// A modal critical box with one OK button that holds nothing up: the link goes on in the
// meantime (after a loss it is already trying to come back), and nobody may be at the
// station to click. A newer failure replaces a box nobody has closed.
void MainWindow::showBox(const QString &title, const QString &text)
{
    if (failureBox)
        failureBox->close();
    failureBox = new QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok, this);
    failureBox->setAttribute(Qt::WA_DeleteOnClose);
    failureBox->setWindowModality(Qt::ApplicationModal);
    failureBox->show();
}

void MainWindow::linkLost(const QString &reason)
{
    showDisconnected(tr("Disconnected"));
    showBox(tr("Critical Error"), reason);
}

void MainWindow::waitForPort(const QString &path)
{
    showDisconnected(tr("Waiting for %1 to come back; File › Disconnect stops waiting").arg(path));
}
