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

void MainWindow::paintPairHighlight(bool superSplit)
{
    const PairKeys pair = decidePairKeys(panelState, superSplit);
    const auto keys = txKeys(ui);
    if (isTxPosition(pair.active) && pair.active != pair.standby)
        applyStyle(keys[pair.active], styleActive);
    if (isTxPosition(pair.standby))
        setStandbyStyle(keys[pair.standby]);
}

void MainWindow::paintSuperSplitKey()
{
    applyStyle(ui->botaoSuperSplit, decideSuperSplitKeyStyle(panelState));
}

void MainWindow::paintRxKeys()
{
    applyKeyStyles(rxKeys(ui), decideRxKeyStyles(panelState));
}

void MainWindow::setStandbyStyle(QWidget *widget)
{
    applyStyle(widget, styleStandby);
}

void MainWindow::clearUI(MainWindow *w)
{
    if (!w)
        return;
    const Ui::mainWindow *form = w->ui;
    QWidget *const widgets[] = {
        form->botaoRotor1,  form->botaoRotor2,    form->botaoRotor3, form->botaoRotor4,
        form->botaoSplit,   form->botaoSuperSplit, form->botaoSend,  form->botaoPower,
        form->botaoTecla1,  form->botaoTecla2,    form->botaoTecla3, form->botaoTecla4,
        form->botaoTecla5,  form->botaoTecla6,    form->botaoTecla7, form->botaoTecla8,
        form->botaoBusy1,   form->botaoBusy2,     form->botaoBusy3,  form->botaoBusy4,
        form->botaoBusy5,   form->botaoBusy6,     form->botaoBusy7,  form->botaoBusy8,
        form->botaoTeclaRTX, form->botaoTeclaRX1, form->botaoTeclaRX2, form->botaoTeclaRX3,
        form->botaoTeclaRX4,
    };
    static_assert(sizeof(widgets) / sizeof(widgets[0]) == 29, "clearUI covers 29 widgets");
    for (QWidget *widget : widgets)
        applyStyle(widget, styleIdle);
}
