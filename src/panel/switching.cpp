// Antenna switching: the TX and receive keys change the panel state at once and hand
// their word to the link, which sends the words one at a time.
#include <QStatusBar>

#include "app/mainwindow.h"
#include "link/controllerlink.h"

void MainWindow::sendWord(CommandWord word)
{
    const char letter = commandLetter(word);
    const quint8 argument = commandArgument(word);
    SwitchCommands &to = switchCommands();
    switch (letter) {
    case 'S':
        to.selectTx(argument + 1);
        break;
    case 'Y':
        to.selectRx(argument);
        break;
    case 'P':
        if (argument == 0)
            to.clearSplit();
        else
            to.setSplit(argument >> 4, argument & 0x0F);
        break;
    case 'Q':
        to.setSuperSplit(argument);
        break;
    case 'V':
        to.setRotor(argument & 0x0F, argument >> 4);
        break;
    case 'X':
        to.release(argument != 0);
        break;
    default:
        break;
    }
}

void MainWindow::enviaComutacao(qint8 pos)
{
    const TxPressOutcome outcome = panel.pressTx(pos);
    if (outcome.message)
        statusBar()->showMessage(tr(outcome.message));
    if (outcome.word)
        sendWord(*outcome.word);
    stateChanged();
}

void MainWindow::on_botaoTecla1_pressed()
{
    pressTxKeyByHand(0);
}
void MainWindow::on_botaoTecla2_pressed()
{
    pressTxKeyByHand(1);
}
void MainWindow::on_botaoTecla3_pressed()
{
    pressTxKeyByHand(2);
}
void MainWindow::on_botaoTecla4_pressed()
{
    pressTxKeyByHand(3);
}
void MainWindow::on_botaoTecla5_pressed()
{
    pressTxKeyByHand(4);
}
void MainWindow::on_botaoTecla6_pressed()
{
    pressTxKeyByHand(5);
}
void MainWindow::on_botaoTecla7_pressed()
{
    pressTxKeyByHand(6);
}
void MainWindow::on_botaoTecla8_pressed()
{
    pressTxKeyByHand(7);
}

void MainWindow::insereComutacaoRXFila(qint8 pos)
{
    sendWord(panel.pressRx(pos));
    stateChanged();
}

void MainWindow::on_botaoTeclaRX1_pressed()
{
    insereComutacaoRXFila(0);
}
void MainWindow::on_botaoTeclaRX2_pressed()
{
    insereComutacaoRXFila(1);
}
void MainWindow::on_botaoTeclaRX3_pressed()
{
    insereComutacaoRXFila(2);
}
void MainWindow::on_botaoTeclaRX4_pressed()
{
    insereComutacaoRXFila(3);
}
void MainWindow::on_botaoTeclaRTX_pressed()
{
    insereComutacaoRXFila(qint8(rtxIndex));
}
