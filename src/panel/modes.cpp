// The operator's mode keys: split, super split, rotors, release, and the two menu
// options that persist (Release ALL and the receiver group). The decisions live in
// modestate.cpp and the panel model; these slots take the press and apply the outcome.
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/settingswrite.h"
#include "link/controllerlink.h"
#include "panel/modestate.h"
#include "ui_mainwindow.h"

void MainWindow::applyModeOutcome(const ModeOutcome &outcome)
{
    if (outcome.word)
        sendWord(*outcome.word);
    if (outcome.message)
        statusBar()->showMessage(tr(outcome.message));
    stateChanged();
}

void MainWindow::toggleSplit()
{
    applyModeOutcome(panel.toggleSplit());
}

void MainWindow::toggleSuperSplit()
{
    applyModeOutcome(panel.toggleSuperSplit());
}

void MainWindow::pressRotor(int rotor)
{
    if (ui->actionRotors->isChecked())
        applyModeOutcome(panel.pressRotor(rotor));
}

void MainWindow::on_botaoSplit_clicked()
{
    if (ui->actionSplit->isChecked())
        toggleSplit();
}

void MainWindow::on_botaoSuperSplit_clicked()
{
    if (ui->actionSuper_Split->isChecked())
        toggleSuperSplit();
}

void MainWindow::on_botaoRotor1_clicked()
{
    pressRotor(1);
}
void MainWindow::on_botaoRotor2_clicked()
{
    pressRotor(2);
}
void MainWindow::on_botaoRotor3_clicked()
{
    pressRotor(3);
}
void MainWindow::on_botaoRotor4_clicked()
{
    pressRotor(4);
}

void MainWindow::on_botaoRelease_clicked()
{
    link->release(ui->actionRelease_ALL->isChecked());
}

void MainWindow::on_actionRelease_ALL_triggered()
{
    const bool releaseAll = ui->actionRelease_ALL->isChecked();
    const ReleaseLook look = releaseLook(releaseAll);
    ui->botaoRelease->setText(tr(look.text));
    ui->botaoRelease->setStyleSheet(QLatin1String(look.style));
    saveOrReport({{QStringLiteral("RL"), releaseAll}}, this);
}

void MainWindow::on_actionEnable_triggered()
{
    const bool enabled = ui->actionEnable->isChecked();
    ui->groupFendril->setVisible(enabled);
    // Goes through resizeEvent, which rescales every registered widget and the texts.
    resize(receiverWindowSize(enabled));
    saveOrReport({{QStringLiteral("REC"), enabled}}, this);
}
