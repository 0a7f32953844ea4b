// The panel as a client of an orvik-station: File › Connect to Station…, and what the
// station says, painted as the serial link's words are. The station follows the radio
// and paces the wire; the panel opens no port meanwhile.
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/portsettings.h"
#include "config/settingspath.h"
#include "link/controllerlink.h"
#include "radio/radiofollow.h"
#include "remote/stationdialog.h"
#include "ui_mainwindow.h"

void MainWindow::setUpStation()
{
    station = new StationLink(this);
    station->setReconnecting(ui->actionReconnect_Automatically->isChecked());
    connect(ui->actionReconnect_Automatically, &QAction::toggled, station,
            &StationLink::setReconnecting);
    connect(station, &StationLink::opened, this, &MainWindow::stationOpened);
    connect(station, &StationLink::openFailed, this, [this](const QString &reason) {
        showBox(tr("Error"), reason);
        showDisconnected(tr("Open error"));
    });
    connect(station, &StationLink::statusReceived, this, &MainWindow::processaPDR);
    connect(station, &StationLink::firmwareReceived, this, &MainWindow::showFirmware);
    connect(station, &StationLink::changedBy, this, [this](const QString &who) {
        statusBar()->showMessage(tr("Station %1, last change by %2").arg(stationName, who));
    });
    connect(station, &StationLink::aliveChanged, this, [this](bool alive) {
        panel.setLinkAlive(alive);
        paint();
    });
    connect(station, &StationLink::lost, this, [this](const QString &reason) {
        // Nothing is known of the switch without the station: every key goes dark.
        panel.setLinkAlive(false);
        showDisconnected(tr("Disconnected"));
        showBox(tr("Critical Error"), tr("Station %1: %2").arg(stationName, reason));
    });
    connect(station, &StationLink::refused, this,
            [this](const QString &why) { statusBar()->showMessage(tr("Station: %1").arg(why)); });
    connect(station, &StationLink::certificatePinned, this, [](const QByteArray &sha256) {
        StationAddress kept = loadStationAddress(panelSettingsPath());
        kept.pin = sha256;
        saveStationAddress(panelSettingsPath(), kept);
    });
}

void MainWindow::on_actionConnect_to_Station_triggered()
{
    StationDialog dialog(loadStationAddress(panelSettingsPath()), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const StationAddress address = dialog.address();
    if (!saveStationAddress(panelSettingsPath(), address))
        statusBar()->showMessage(tr("Settings could not be saved to %1").arg(panelSettingsPath()));
    // One switch at a time: the port goes, and the station does the following.
    link->close();
    stationMode = true;
    radioFollow->setFollowing(false);
    ui->actionFollow_Radio->setEnabled(false);
    showDisconnected(tr("Connecting to %1 …").arg(address.host));
    station->open(address);
}

void MainWindow::stationOpened(const QString &name)
{
    portOpen = true;
    stationName = name;
    ui->actionConfigure->setEnabled(false);
    ui->actionConnect_to_KELMAR->setEnabled(false);
    statusBar()->showMessage(tr("Station %1").arg(name));
}

// Back to the serial port: File › Connect, or Disconnect.
void MainWindow::leaveStation()
{
    if (!stationMode)
        return;
    station->close();
    stationMode = false;
    ui->actionFollow_Radio->setEnabled(true);
    radioFollow->setFollowing(ui->actionFollow_Radio->isChecked());
}

SwitchCommands &MainWindow::switchCommands()
{
    if (stationMode)
        return *station;
    return *link;
}
