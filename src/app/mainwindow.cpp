#include "app/mainwindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include "app/about.h"
#include "app/theme.h"
#include "config/settingspath.h"
#include "link/seriallink.h"
#include "panel/anchorlayout.h"
#include "serialsettings/settingsdialog.h"
#include "ui_mainwindow.h"

// Minimise and close only: the panel is drawn for one size and scales, it never maximises.
MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent, Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui(new Ui::mainWindow)
{
    ui->setupUi(this);
    setStyleSheet(darkStyleSheet(ThemeVariant::MainWindow));

    serialPort = new QSerialPort(this);
    // Lives as long as the window, so the operator's last choices stay put; a child of
    // the window, so closing the window ends the program even while it is open.
    settings = new SettingsDialog(this);
    connect(settings, &SettingsDialog::selectionNotSaved, this,
            [this](const QString &message) { statusBar()->showMessage(message); });

    settingsPath = panelSettingsPath();
    loadPortSettings();

    // The radio buttons sit under the BUSY keys and the receiver group is optional.
    for (QWidget *busy :
         {ui->busy1, ui->busy2, ui->busy3, ui->busy4, ui->busy5, ui->busy6, ui->busy7, ui->busy8})
        busy->hide();
    ui->groupFendril->hide();

    loadSettings();

    anchorLayout = new C4SAnchorLayout(this);
    registerResizableWidgets();

    setEnabled(true);

    connect(ui->actionConfigure, SIGNAL(triggered()), settings, SLOT(show()));
    connect(ui->actionConnect_to_KELMAR, SIGNAL(triggered()), this, SLOT(openSerialPort()));
    connect(ui->actionDisconnect, SIGNAL(triggered()), this, SLOT(closeSerialPort()));
    setUpReconnecting();
    setUpFollowing();
}

MainWindow::~MainWindow()
{
    closeSerialPort();
    // The port goes with the window as its child; nothing may reach it after that.
    if (serialPort && serialPort->parent() == this)
        serialPort = nullptr;
    delete ui;
    delete anchorLayout;
}

// The operator's hands stay on the keyboard during a contest: F1..F8 pick the TX
// antenna whatever modifier is held. Nothing else may reach the base class, so no
// other key can trigger a focused button by accident. A held key acts once, as a
// held mouse button does: its auto-repeat would queue a select every 50 ms.
void MainWindow::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F8 && !event->isAutoRepeat())
        pressTxKeyByHand(qint8(key - Qt::Key_F1));
}

void MainWindow::on_power_clicked() {}
void MainWindow::on_pushButton_clicked() {}

void MainWindow::on_actionAbout_triggered()
{
    QMessageBox::aboutQt(this, tr("About Qt"));
}

void MainWindow::on_actionAbout_Korvane_triggered()
{
    // One about box: asked for again, the open one comes to the front. A child of the
    // window, so it takes the theme and is destroyed with the window.
    if (!aboutBox)
        aboutBox = new about(this);
    aboutBox->show();
    aboutBox->raise();
    aboutBox->activateWindow();
}
