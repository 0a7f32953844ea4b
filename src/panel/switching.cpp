// Antenna switching: the TX and receive keys change the panel state at once and
// queue a command word; the pacing thread asks for the words one at a time.
#include <QDebug>
#include <QSerialPort>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "app/panellog.h"
#include "link/pacing.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "panel/keystyles.h"
#include "panel/panelstate.h"
#include "panel/panelwidgets.h"
#include "panel/styles.h"
#include "ui_mainwindow.h"

void MainWindow::enviaComutacao(qint8 pos)
{
    const TxPressOutcome outcome = pressTxKey(panelState, pos);
    if (outcome.message)
        statusBar()->showMessage(tr(outcome.message));
    if (outcome.repaint) {
        atualizaTeclas(&pos);
        paintSuperSplitKey();
    }
    if (outcome.word)
        switchQueue.append(*outcome.word);
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
    const CommandWord word = pressRxKey(panelState, pos);
    switchQueue.append(word);
    qCDebug(lcPanel) << "Pos Recebida: ";
    qCDebug(lcPanel) << pos;
    // The chosen key lights again only when the controller confirms it.
    const auto keys = rxKeys(ui);
    for (int i : {1, 2, 3, 4, 0}) // RX1..RX4, then RTX
        applyStyle(keys[i], styleIdle);
    qCDebug(lcPanel) << "Alterou POS para:";
    qCDebug(lcPanel) << pos;
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
    qCDebug(lcPanel) << "Load 3!!";
}

void MainWindow::on_botaoTeclaRTX_pressed()
{
    insereComutacaoRXFila(qint8(rtxIndex));
}

void MainWindow::callEnvioFila()
{
    sendPosted.store(false, std::memory_order_release);
    // Late after a stall, the word waits for its turn rather than crowd the last frame.
    if (!decidePacing(pacingNow(), lastFrameWritten.load(), switchQueue.size()).sendQueued)
        return;
    // The word leaves the queue whether or not it can be sent: a closed port drops it.
    const CommandWord word = switchQueue.takeFirst();
    const int length = assembleCommand(word, txBuffer);
    sendFrame(txBuffer, length);
}
