#include "panel/panelwidgets.h"

#include "ui_mainwindow.h"

std::array<QPushButton *, txKeyCount> txKeys(const Ui::mainWindow *ui)
{
    return {ui->botaoTecla1, ui->botaoTecla2, ui->botaoTecla3, ui->botaoTecla4,
            ui->botaoTecla5, ui->botaoTecla6, ui->botaoTecla7, ui->botaoTecla8};
}

std::array<QPushButton *, rxKeyCount> rxKeys(const Ui::mainWindow *ui)
{
    return {ui->botaoTeclaRTX, ui->botaoTeclaRX1, ui->botaoTeclaRX2, ui->botaoTeclaRX3,
            ui->botaoTeclaRX4};
}

std::array<QPushButton *, txKeyCount> busyKeys(const Ui::mainWindow *ui)
{
    return {ui->botaoBusy1, ui->botaoBusy2, ui->botaoBusy3, ui->botaoBusy4,
            ui->botaoBusy5, ui->botaoBusy6, ui->botaoBusy7, ui->botaoBusy8};
}

std::array<QPushButton *, rotorCount> rotorKeys(const Ui::mainWindow *ui)
{
    return {ui->botaoRotor1, ui->botaoRotor2, ui->botaoRotor3, ui->botaoRotor4};
}

std::array<QLabel *, txKeyCount> antennaLabels(const Ui::mainWindow *ui)
{
    return {ui->labelAnt1, ui->labelAnt2, ui->labelAnt3, ui->labelAnt4,
            ui->labelAnt5, ui->labelAnt6, ui->labelAnt7, ui->labelAnt8};
}

std::array<QLabel *, rxKeyCount> rxLabels(const Ui::mainWindow *ui)
{
    return {ui->labelRTX, ui->labelRX1, ui->labelRX2, ui->labelRX3, ui->labelRX4};
}
