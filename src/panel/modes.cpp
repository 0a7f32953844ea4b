// The operator's mode keys: split, super split, rotors, release, and the two menu
// options that persist (Release ALL and the receiver group). The decisions live in
// modestate.cpp; these slots take the press, ask it, and apply the outcome.
#include <QSettings>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "config/settingspath.h"
#include "config/settingswrite.h"
#include "panel/modestate.h"
#include "panel/panelstate.h"
#include "panel/styles.h"
#include "ui_mainwindow.h"

namespace {
void applyOutcome(MainWindow *window, CommandQueue &queue, const ModeOutcome &outcome)
{
    if (outcome.word)
        queue.append(*outcome.word);
    if (outcome.message)
        window->statusBar()->showMessage(MainWindow::tr(outcome.message));
}
} // namespace

void MainWindow::toggleSplit()
{
    applyOutcome(this, switchQueue, splitToggle(panelState));
}

void MainWindow::toggleSuperSplit()
{
    const ModeOutcome outcome = superSplitToggle(panelState);
    // Closing makes the key idle before the word is queued; opening turns it red last.
    if (outcome.superSplitKey == SuperSplitKeyLook::Idle)
        applyStyle(ui->botaoSuperSplit, styleIdle);
    applyOutcome(this, switchQueue, outcome);
    if (outcome.superSplitKey == SuperSplitKeyLook::Alert)
        applyStyle(ui->botaoSuperSplit, styleAlert);
    if (outcome.repaintKeys) {
        // The painter takes a signed byte; the state keeps an unsigned one.
        qint8 position = qint8(panelState.currentTxPos);
        atualizaTeclas(&position);
    }
}

void MainWindow::pressRotor(int rotor)
{
    if (!ui->actionRotors->isChecked())
        return;
    applyOutcome(this, switchQueue, rotorPress(panelState, rotor));
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

// No widget of the form carries these names, so nothing connects them; they remain
// callable (by name too) and behave like the keys: the toggles without the gate, the
// rotors gated as the real rotor keys.
void MainWindow::on_split_clicked()
{
    toggleSplit();
}
void MainWindow::on_superSplit_clicked()
{
    toggleSuperSplit();
}
void MainWindow::on_rotor1_clicked()
{
    pressRotor(1);
}
void MainWindow::on_rotor2_clicked()
{
    pressRotor(2);
}
void MainWindow::on_rotor3_clicked()
{
    pressRotor(3);
}
void MainWindow::on_rotor4_clicked()
{
    pressRotor(4);
}

void MainWindow::on_botaoRelease_clicked()
{
    switchQueue.append(releaseWord(ui->actionRelease_ALL->isChecked()));
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
