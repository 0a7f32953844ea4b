#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSerialPort>
#include <QString>

#include "panel/commandqueue.h"
#include "serialsettings/serialsettings.h"

class C4SAnchorLayout;
class RadioFollow;
class about;
class SettingsDialog;
class QKeyEvent;
class QResizeEvent;
class QTimer;

QT_BEGIN_NAMESPACE
namespace Ui {
class mainWindow;
}
QT_END_NAMESPACE

// The one window of the panel. Its slots are spread over the units of the
// application shell (src/app), the device link (src/link), the switch panel
// (src/panel) and the configuration (src/config); the pacing thread reaches the
// first three by name, the form wires the on_ slots by object name.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    C4SAnchorLayout *anchorLayout = nullptr;
    CommandQueue switchQueue;

    // Applies the stored captions, ID, labels and the Enable / Release ALL states.
    void loadSettings();
    // Logs the two legacy port keys of the panel settings file.
    void loadPortSettings();

    SettingsDialog *settingsDialog() const { return settings; }

public slots:
    void callEnviar();
    void callReceber(MainWindow *w);
    void callEnvioFila();
    void openSerialPort();
    void closeSerialPort();
    void readData();
    void handleError(QSerialPort::SerialPortError error);
    void processaPacoteRecebido(MainWindow *w);
    void processaPDR(MainWindow *w);
    void enviaComutacao(qint8 pos);
    void atualizaTeclas(qint8 *pos);
    void clearUI(MainWindow *w);
    void insereComutacaoRXFila(qint8 pos);
    void resizeAllTexts(long size);
    void on_power_clicked();
    void on_rotor1_clicked();
    void on_rotor2_clicked();
    void on_rotor3_clicked();
    void on_rotor4_clicked();
    void on_split_clicked();
    void on_superSplit_clicked();
    void on_actionAbout_triggered();
    void on_actionAbout_Korvane_triggered();
    void on_pushButton_clicked();
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

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The serial link (src/link/seriallink.cpp, src/link/reconnect.cpp).
    bool openPort(const SerialSettings &p);
    // Writes a frame; a write that fails ends the connection like a lost device.
    bool sendFrame(const quint8 *bytes, int n);
    void setUpReconnecting();
    bool reconnectsAutomatically() const;
    void startReconnecting();
    void stopReconnecting();
    void tryReconnect();

    // Painters (src/panel/painters.cpp).
    void paintSuperSplitKey();
    void paintRxKeys();

    // Resizing (src/panel/resizing.cpp): the scaled widgets go to anchorLayout once.
    void registerResizableWidgets();
    void setWidgetPixelSize(QWidget *widget, int pixelSize);

    // Operating modes (src/panel/modes.cpp).
    void toggleSplit();
    void toggleSuperSplit();
    void pressRotor(int rotor);

    // Follow Radio (src/radio/followslots.cpp).
    void setUpFollowing();
    void reportToFollower();
    // A TX key or F-key pressed by the operator.
    void pressTxKeyByHand(qint8 pos);

    Ui::mainWindow *ui = nullptr;
    RadioFollow *radioFollow = nullptr;
    SettingsDialog *settings = nullptr;
    QPointer<about> aboutBox;
    QString settingsPath;
    // The parameters of the last connection that opened, for reconnecting to it.
    SerialSettings connectedSettings;
    QTimer *reconnectTimer = nullptr;
};

Q_DECLARE_METATYPE(MainWindow *)
