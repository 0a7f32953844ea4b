#include "app/mainwindow.h"

#include <QKeyEvent>

#include "ui_mainwindow.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent, Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , ui(new Ui::mainWindow)
{
    ui->setupUi(this);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    Q_UNUSED(event)
}

void MainWindow::on_power_clicked() {}
void MainWindow::on_pushButton_clicked() {}
void MainWindow::on_actionAbout_triggered() {}
void MainWindow::on_actionAbout_Korvane_triggered() {}
