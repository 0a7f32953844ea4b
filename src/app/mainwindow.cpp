#include "app/mainwindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include "app/about.h"
#include "app/theme.h"
#include "link/controllerlink.h"
#include "link/linkthread.h"
#include "panel/anchorlayout.h"
#include "panel/keyboard.h"
#include "serialsettings/settingsdialog.h"
#include "ui_mainwindow.h"

// Minimise and close only: the panel is drawn for one size and scales, it never maximises.
MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent, Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui(new Ui::mainWindow), linkThread(std::make_unique<LinkThread>()), link(linkThread->link())
{
    ui->setupUi(this);
    setStyleSheet(darkStyleSheet(ThemeVariant::MainWindow));

    // Lives as long as the window, so the operator's last choices stay put; a child of
    // the window, so closing the window ends the program even while it is open.
    settings = new SettingsDialog(this);
    connect(settings, &SettingsDialog::selectionNotSaved, this,
            [this](const QString &message) { statusBar()->showMessage(message); });

    // The radio buttons sit under the BUSY keys and the receiver group is optional.
    for (QWidget *busy :
         {ui->busy1, ui->busy2, ui->busy3, ui->busy4, ui->busy5, ui->busy6, ui->busy7, ui->busy8})
        busy->hide();
    ui->groupFendril->hide();

    loadSettings();

    anchorLayout = std::make_unique<C4SAnchorLayout>(this);
    registerResizableWidgets();

    connect(ui->actionConfigure, &QAction::triggered, settings, &QWidget::show);
    connect(ui->actionConnect_to_KELMAR, &QAction::triggered, this, &MainWindow::openSerialPort);
    connect(ui->actionDisconnect, &QAction::triggered, this, &MainWindow::closeSerialPort);
    connectLink();
    setUpFollowing();
    setUpStation();
    paint();
}

MainWindow::~MainWindow()
{
    // The link goes first, in its own thread, closing the port; nothing it still says
    // reaches this window after that.
    disconnect(link, nullptr, this, nullptr);
    linkThread.reset();
    delete ui;
}

// The operator's hands stay on the keyboard during a contest: F1..F8 pick the TX
// antenna whatever modifier is held. Nothing else may reach the base class, so no
// other key can trigger a focused button by accident.
void MainWindow::keyPressEvent(QKeyEvent *event)
{
    const int pos = functionKeyPosition(event->key(), event->isAutoRepeat());
    if (pos >= 0)
        pressTxKeyByHand(qint8(pos));
}

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
