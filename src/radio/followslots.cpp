// Follow Radio in the window: the menu, the dialog, the status-bar text, and the two
// places the follower hears from the window (the switch's reports, the operator's keys).
#include <QLabel>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/settingspath.h"
#include "config/settingswrite.h"
#include "panel/panelwidgets.h"
#include "radio/radiodialog.h"
#include "radio/radiofollow.h"
#include "ui_mainwindow.h"

void MainWindow::setUpFollowing()
{
    // On the right of the status bar, beside the messages; it takes no room elsewhere.
    auto *followStatus = new QLabel(this);
    followStatus->setObjectName(QStringLiteral("followStatus"));
    statusBar()->addPermanentWidget(followStatus);
    radioFollow = new RadioFollow(this);
    connect(radioFollow, &RadioFollow::statusChanged, followStatus, &QLabel::setText);
    connect(radioFollow, &RadioFollow::selectTx, this,
            [this](int antenna) { enviaComutacao(qint8(antenna - 1)); });
    connect(radioFollow, &RadioFollow::selectReceive, this,
            [this](int index) { insereComutacaoRXFila(qint8(index)); });
    const FollowSettings stored = loadFollowSettings(panelSettingsPath());
    ui->actionFollow_Radio->setChecked(stored.follow);
    radioFollow->apply(stored);
}

void MainWindow::on_actionFollow_Radio_triggered()
{
    const bool on = ui->actionFollow_Radio->isChecked();
    saveOrReport(followChoiceValues(on), this);
    radioFollow->setFollowing(on);
}

void MainWindow::on_actionRadio_and_Bands_triggered()
{
    QStringList antennaNames;
    for (QLabel *label : antennaLabels(ui))
        antennaNames << label->text();
    RadioDialog dialog(radioFollow->settings(), antennaNames, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Applied even when it could not be saved (the status bar says so): the operator
    // asked for it now.
    const FollowSettings chosen = dialog.settings();
    saveOrReport(followSettingsValues(chosen), this);
    radioFollow->apply(chosen);
}

void MainWindow::reportToFollower(const SwitchStatus &status)
{
    ControllerReport report;
    report.txAntenna = status.txPos + 1;
    report.transmitting = status.transmitting == 1;
    report.freeMask = status.freeMask;
    radioFollow->controllerReported(report);
}

void MainWindow::pressTxKeyByHand(qint8 pos)
{
    // In a split or super-split set-up the key picks a partner, not the antenna.
    if (panel.normalMode())
        radioFollow->operatorChoseTx(pos + 1);
    enviaComutacao(pos);
}
