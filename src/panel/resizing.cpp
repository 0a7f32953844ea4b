// Proportional resizing of the panel: the geometry through anchorLayout, the texts
// by a pixel size that grows with the window's width.
#include <QResizeEvent>

#include "app/mainwindow.h"
#include "panel/anchorlayout.h"
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
    QWidget *const panel[] = {
        ui->botaoBusy1,  ui->botaoBusy2,  ui->botaoBusy3,  ui->botaoBusy4,  ui->botaoBusy5,
        ui->botaoBusy6,  ui->botaoBusy7,  ui->botaoBusy8,  ui->botaoTecla1, ui->botaoTecla2,
        ui->botaoTecla3, ui->botaoTecla4, ui->botaoTecla5, ui->botaoTecla6, ui->botaoTecla7,
        ui->botaoTecla8, ui->botaoRotor1, ui->botaoRotor2, ui->botaoRotor3, ui->botaoRotor4,
        ui->botaoPower,  ui->botaoRelease, ui->botaoSend, ui->botaoSplit,  ui->labelRTX,
        ui->labelRX1,    ui->labelRX2,    ui->labelRX3,    ui->labelRX4,    ui->labelAnt1,
        ui->labelAnt2,   ui->labelAnt3,   ui->labelAnt4,   ui->labelAnt5,   ui->labelAnt6,
        ui->labelAnt7,   ui->labelAnt8,
    };
    for (QWidget *widget : panel)
        setWidgetPixelSize(widget, groupPixelSize(size, TextGroup::Panel));
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

void MainWindow::registerResizableWidgets()
{
    QWidget *const scaled[] = {
        ui->frame,         ui->botaoBusy1,    ui->botaoBusy2,    ui->botaoBusy3,
        ui->botaoBusy4,    ui->botaoBusy5,    ui->botaoBusy6,    ui->botaoBusy7,
        ui->botaoBusy8,    ui->botaoRotor1,   ui->botaoRotor2,   ui->botaoRotor3,
        ui->botaoRotor4,   ui->botaoRelease,  ui->botaoTecla1,   ui->botaoTecla2,
        ui->botaoTecla3,   ui->botaoTecla4,   ui->botaoTecla5,   ui->botaoTecla6,
        ui->botaoTecla7,   ui->botaoTecla8,   ui->botaoTeclaRTX, ui->botaoTeclaRX1,
        ui->botaoTeclaRX2, ui->botaoTeclaRX3, ui->botaoTeclaRX4, ui->labelFendril,
        ui->groupFendril,  ui->labelKorvane,  ui->labelSite,     ui->label,
        ui->label_2,       ui->labelRTX,      ui->labelRX1,      ui->labelRX2,
        ui->labelRX3,      ui->labelRX4,      ui->botaoSplit,    ui->botaoSuperSplit,
        ui->botaoSend,     ui->botaoPower,    ui->labelID,       ui->labelFWVersion,
        ui->labelAnt1,     ui->labelAnt2,     ui->labelAnt3,     ui->labelAnt4,
        ui->labelAnt5,     ui->labelAnt6,     ui->labelAnt7,     ui->labelAnt8,
    };
    static_assert(sizeof(scaled) / sizeof(scaled[0]) == 52, "the panel scales 52 widgets");
    for (QWidget *widget : scaled)
        anchorLayout->addWidget(AnchorProportional, AnchorProportional, AnchorProportional,
                                AnchorProportional, widget);
}
