// The one painter, and the switch's reports that feed it.
#include "app/mainwindow.h"
#include "panel/panelwidgets.h"
#include "panel/styles.h"
#include "radio/radiofollow.h"
#include "ui_mainwindow.h"

namespace {

// Restyles each key whose look differs from what it shows; a null look leaves the key
// as the form made it.
template<typename Key, std::size_t N>
void restyle(const std::array<Key *, N> &keys, const std::array<KeyStyle, N> &now,
             const std::array<KeyStyle, N> &before)
{
    for (std::size_t i = 0; i < N; ++i)
        if (now[i] != before[i])
            applyStyle(keys[i], now[i]);
}

void restyle(QWidget *key, KeyStyle now, KeyStyle before)
{
    if (now != before)
        applyStyle(key, now);
}

} // namespace

void MainWindow::paint()
{
    const PanelLook look = panel.look();
    if (look == painted)
        return;
    restyle(txKeys(ui), look.tx, painted.tx);
    restyle(busyKeys(ui), look.busy, painted.busy);
    restyle(rotorKeys(ui), look.rotors, painted.rotors);
    restyle(rxKeys(ui), look.rx, painted.rx);
    restyle(ui->botaoSplit, look.split, painted.split);
    restyle(ui->botaoSuperSplit, look.superSplit, painted.superSplit);
    restyle(ui->botaoSend, look.send, painted.send);
    restyle(ui->botaoPower, look.power, painted.power);
    painted = look;
}

void MainWindow::stateChanged()
{
    paint();
    radioFollow->panelModeChanged(panel.normalMode());
}

void MainWindow::processaPDR(const SwitchStatus &status)
{
    // An answer still on its way when the operator closed the port is no news.
    if (!portOpen)
        return;
    panel.statusReceived(status);
    stateChanged();
    // Last, with the report fully applied: a select the follower asks for now is one
    // more press, and it marks the next report to be skipped.
    reportToFollower(status);
}
