// The painters: each asks the colour rules what every key should show and applies
// it, restyling only the keys whose look actually changes.
#include "app/mainwindow.h"
#include "panel/keystyles.h"
#include "panel/panelstate.h"
#include "panel/panelwidgets.h"
#include "panel/styles.h"
#include "ui_mainwindow.h"

void MainWindow::atualizaTeclas(qint8 *pos)
{
    const int selected = pos ? *pos : -1;
    applyKeyStyles(txKeys(ui), decideTxKeyStyles(panelState, selected));
}

void MainWindow::paintSuperSplitKey()
{
    applyStyle(ui->botaoSuperSplit, decideSuperSplitKeyStyle(panelState));
}

void MainWindow::paintRxKeys()
{
    applyKeyStyles(rxKeys(ui), decideRxKeyStyles(panelState));
}

void MainWindow::clearUI(MainWindow *w)
{
    if (!w)
        return;
    const Ui::mainWindow *form = w->ui;
    forEachWidget([](QWidget *key) { applyStyle(key, styleIdle); }, rotorKeys(form),
                  form->botaoSplit, form->botaoSuperSplit, form->botaoSend, form->botaoPower,
                  txKeys(form), busyKeys(form), rxKeys(form));
}
