// Turns the controller's responses into panel state and paint.
#include <QDebug>
#include <QLabel>
#include <QStatusBar>

#include "app/mainwindow.h"
#include "app/panellog.h"
#include "link/protocol.h"
#include "link/responses.h"
#include "panel/keystyles.h"
#include "panel/panelstate.h"
#include "panel/panelwidgets.h"
#include "panel/styles.h"
#include "ui_mainwindow.h"

void MainWindow::processaPacoteRecebido(MainWindow *w)
{
    if (!w)
        return;
    // The framer hands over whole frames only; this slot is public, though, and rxBuffer
    // keeps older bytes beyond rxLength, so a short or foreign frame stops here, before
    // the decoders read fields it does not have.
    if (!isCompleteResponse(rxBuffer, rxLength))
        return;

    switch (rxBuffer[2]) {
    case 'T':
        w->processaPDR(w);
        break;
    case 'W': {
        const unsigned major = rxBuffer[FirmwareField::major];
        const unsigned minor = rxBuffer[FirmwareField::minor];
        w->statusBar()->showMessage(
            tr("Connected! Firmware Revision: %1 . %2").arg(major).arg(minor));
        w->ui->labelFWVersion->setText(QStringLiteral("FW Revision: ")
                                       + QString::asprintf("%d.%d", major, minor));
        break;
    }
    default:
        break;
    }
}

void MainWindow::processaPDR(MainWindow *w)
{
    if (!w)
        return;
    Ui::mainWindow *form = w->ui;
    applyStyle(form->botaoPower, styleLinkUp);

    const StatusOutcome outcome = beginStatusResponse(panelState, rxBuffer);
    if (outcome.skipped) {
        reportToFollower(); // the operator's fresh selection stays until the next report
        return;
    }
    if (outcome.rxAntennaRestored)
        qCDebug(lcPanel) << "Voltou p 1!!";

    w->paintRxKeys();
    w->atualizaTeclas(reinterpret_cast<qint8 *>(&rxBuffer[StatusField::txPos]));
    w->paintSuperSplitKey();

    const StatusIndicatorStyles styles = decideStatusIndicatorStyles(rxBuffer);
    applyKeyStyles(busyKeys(form), styles.busy);
    // The split flag is taken only now, after the TX keys were painted.
    finishStatusResponse(panelState, rxBuffer);
    applyStyle(form->botaoSplit, styles.split);
    applyStyle(form->botaoSend, styles.send);
    applyKeyStyles(rotorKeys(form), styles.rotors);
    // Last, with the report fully applied: a select the follower queues now is one more
    // press, and it marks the next report to be skipped.
    reportToFollower();
}
