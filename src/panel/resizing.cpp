// Proportional resizing of the panel: the geometry through anchorLayout, the texts
// by a pixel size that grows with the window's width.
#include <QResizeEvent>

#include "app/mainwindow.h"
#include "panel/anchorlayout.h"
#include "panel/panelwidgets.h"
#include "panel/scaling.h"
#include "ui_mainwindow.h"

// The base class is not asked: the panel has no layout for it to drive.
void MainWindow::resizeEvent(QResizeEvent *event)
{
    Q_UNUSED(event)
    if (!anchorLayout) // a resize delivered while the form is still being built
        return;
    anchorLayout->relayout();
    resizeAllTexts(textPixelSize(width()));
}

void MainWindow::resizeAllTexts(long size)
{
    // The receive keys and botaoSuperSplit keep the size the form gives them.
    const int panelSize = groupPixelSize(size, TextGroup::Panel);
    forEachWidget([this, panelSize](QWidget *widget) { setWidgetPixelSize(widget, panelSize); },
                  busyKeys(ui), txKeys(ui), rotorKeys(ui), ui->botaoPower, ui->botaoRelease,
                  ui->botaoSend, ui->botaoSplit, rxLabels(ui), antennaLabels(ui));
    setWidgetPixelSize(ui->label, groupPixelSize(size, TextGroup::Orvik));
    setWidgetPixelSize(ui->label_2, groupPixelSize(size, TextGroup::RemoteControl));
    setWidgetPixelSize(ui->labelKorvane, groupPixelSize(size, TextGroup::Korvane));
    setWidgetPixelSize(ui->labelSite, groupPixelSize(size, TextGroup::Site));
}

void MainWindow::setWidgetPixelSize(QWidget *widget, int pixelSize)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    widget->setFont(font);
}

// Each widget scales from its own place in the form, so the order is free.
void MainWindow::registerResizableWidgets()
{
    forEachWidget([this](QWidget *widget) { anchorLayout->addWidget(widget); }, ui->frame,
                  busyKeys(ui), rotorKeys(ui), ui->botaoRelease, txKeys(ui), rxKeys(ui),
                  ui->labelFendril, ui->groupFendril, ui->labelKorvane, ui->labelSite, ui->label,
                  ui->label_2, rxLabels(ui), ui->botaoSplit, ui->botaoSuperSplit, ui->botaoSend,
                  ui->botaoPower, ui->labelID, ui->labelFWVersion, antennaLabels(ui));
}
