// File › Reconnect Automatically: a USB adapter pulled by a foot or reset by a power
// spike comes back on the same path, and the panel with it, without a click.
#include <QStatusBar>
#include <QTimer>

#include "app/mainwindow.h"
#include "config/portsettings.h"
#include "link/seriallink.h"
#include "ui_mainwindow.h"

namespace {
constexpr int reconnectIntervalMs = 2000;
}

void MainWindow::setUpReconnecting()
{
    ui->actionReconnect_Automatically->setChecked(loadReconnectChoice());
    connect(ui->actionReconnect_Automatically, &QAction::toggled, this, [this](bool on) {
        if (!on)
            stopReconnecting();
        if (!saveReconnectChoice(on))
            statusBar()->showMessage(portSettingsNotSavedMessage());
    });
}

bool MainWindow::reconnectsAutomatically() const
{
    return ui->actionReconnect_Automatically->isChecked();
}

void MainWindow::startReconnecting()
{
    if (!reconnectTimer) {
        reconnectTimer = new QTimer(this);
        reconnectTimer->setInterval(reconnectIntervalMs);
        connect(reconnectTimer, &QTimer::timeout, this, &MainWindow::tryReconnect);
    }
    reconnectTimer->start();
    statusBar()->showMessage(tr("Waiting for %1 to come back; File › Disconnect stops waiting")
                                 .arg(connectedSettings.portName));
}

void MainWindow::stopReconnecting()
{
    if (reconnectTimer)
        reconnectTimer->stop();
}

// Quietly: a box every two seconds while the adapter is away would help nobody.
void MainWindow::tryReconnect()
{
    // Open, and still open after the firmware query: a port that takes no bytes has
    // been reported and closed again, and the waiting goes on.
    if (openPort(connectedSettings) && serialPort && serialPort->isOpen())
        stopReconnecting();
}
