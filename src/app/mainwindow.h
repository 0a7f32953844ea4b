#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

#include "link/lineparameters.h"
#include "link/switchstatus.h"
#include "panel/panelmodel.h"

class C4SAnchorLayout;
class ControllerLink;
class LinkThread;
class QMessageBox;
class RadioFollow;
class about;
class SettingsDialog;
class StationLink;
class SwitchCommands;
class QKeyEvent;
class QResizeEvent;

QT_BEGIN_NAMESPACE
namespace Ui {
class mainWindow;
}
QT_END_NAMESPACE

// The one window of the panel: a view of one PanelModel and the operator's hands on the
// switch. Keys go to the model, which says what to send, and the words go to the
// ControllerLink; what the link hears comes back as signals, goes into the model, and the
// window paints the model's look. The window never touches the port.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Applies the stored captions, ID, labels and the Enable / Release ALL states.
    void loadSettings();

    SettingsDialog *settingsDialog() const { return settings; }
    ControllerLink *controllerLink() const { return link; }
    PanelModel &panelModel() { return panel; }

public slots:
    void openSerialPort();
    void closeSerialPort();
    // A status answer from the switch.
    void processaPDR(const SwitchStatus &status);
    // TX key for position pos (0..7), by hand or by the follower.
    void enviaComutacao(qint8 pos);
    // Receive key: RX1..RX4 as 0..3, RTX as 8.
    void insereComutacaoRXFila(qint8 pos);
    void resizeAllTexts(long size);
    void on_actionAbout_triggered();
    void on_actionAbout_Korvane_triggered();
    void on_botaoRelease_clicked();
    void on_actionLabels_triggered();
    void on_botaoTecla1_pressed();
    void on_botaoTecla2_pressed();
    void on_botaoTecla3_pressed();
    void on_botaoTecla4_pressed();
    void on_botaoTecla5_pressed();
    void on_botaoTecla6_pressed();
    void on_botaoTecla7_pressed();
    void on_botaoTecla8_pressed();
    void on_actionRelease_ALL_triggered();
    void on_botaoTeclaRX1_pressed();
    void on_botaoTeclaRX2_pressed();
    void on_botaoTeclaRX3_pressed();
    void on_botaoTeclaRX4_pressed();
    void on_botaoTeclaRTX_pressed();
    void on_actionEnable_triggered();
    void on_botaoRotor1_clicked();
    void on_botaoRotor2_clicked();
    void on_botaoRotor3_clicked();
    void on_botaoRotor4_clicked();
    void on_botaoSplit_clicked();
    void on_botaoSuperSplit_clicked();
    void on_actionFollow_Radio_triggered();
    void on_actionRadio_and_Bands_triggered();
    void on_actionConnect_to_Station_triggered();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // What the link says (src/app/linkview.cpp).
    void connectLink();
    void linkOpened(const PortSettings &settings);
    void firmwareReceived(const FirmwareRevision &revision);
    void showFirmware(const FirmwareRevision &revision);
    void linkLost(const QString &reason);
    void showBox(const QString &title, const QString &text);
    void waitForPort(const QString &path);
    // Back to the look of a panel with no port: Configure and Connect offered.
    void showDisconnected(const QString &message);
    void sendWord(CommandWord word);

    // The switch served by an orvik-station (src/app/stationview.cpp).
    void setUpStation();
    void stationOpened(const QString &name);
    void leaveStation();
    // Where the keys go: the station while connected to one, else the serial link.
    SwitchCommands &switchCommands();

    // The one painter (src/panel/painters.cpp): the model's look onto the keys, restyling
    // only the keys whose look changed.
    void paint();
    // After any change of the panel state: paint it, and tell the follower whether the
    // panel is in its normal mode now.
    void stateChanged();

    // Resizing (src/panel/resizing.cpp): the scaled widgets go to anchorLayout once.
    void registerResizableWidgets();
    void setWidgetPixelSize(QWidget *widget, int pixelSize);

    // Operating modes (src/panel/modes.cpp).
    void toggleSplit();
    void toggleSuperSplit();
    void pressRotor(int rotor);
    void applyModeOutcome(const ModeOutcome &outcome);

    // Follow Radio (src/radio/followslots.cpp).
    void setUpFollowing();
    void reportToFollower(const SwitchStatus &status);
    // A TX key or F-key pressed by the operator.
    void pressTxKeyByHand(qint8 pos);

    Ui::mainWindow *ui = nullptr;
    std::unique_ptr<C4SAnchorLayout> anchorLayout;
    std::unique_ptr<LinkThread> linkThread;
    ControllerLink *link = nullptr;
    PanelModel panel;
    // What the keys show now; the painter compares against it.
    PanelLook painted;
    // A port is open as far as the window knows: answers for a connection the operator
    // has already closed are not painted.
    bool portOpen = false;
    RadioFollow *radioFollow = nullptr;
    StationLink *station = nullptr;
    bool stationMode = false;
    QString stationName;
    SettingsDialog *settings = nullptr;
    QPointer<about> aboutBox;
    QPointer<QMessageBox> failureBox;
};
