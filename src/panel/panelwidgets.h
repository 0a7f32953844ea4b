#pragma once

#include <array>
#include <cstddef>

#include "panel/keystyles.h"
#include "panel/styles.h"

class QLabel;
class QPushButton;
class QWidget;
namespace Ui {
class mainWindow;
}

// The form's keys and labels in the groups the painters, the settings and the resizing
// walk; each group is named here and nowhere else.
std::array<QPushButton *, txKeyCount> txKeys(const Ui::mainWindow *ui);    // botaoTecla1..8
std::array<QPushButton *, rxKeyCount> rxKeys(const Ui::mainWindow *ui);    // RTX, RX1..RX4
std::array<QPushButton *, txKeyCount> busyKeys(const Ui::mainWindow *ui);  // botaoBusy1..8
std::array<QPushButton *, rotorCount> rotorKeys(const Ui::mainWindow *ui); // botaoRotor1..4
std::array<QLabel *, txKeyCount> antennaLabels(const Ui::mainWindow *ui);  // labelAnt1..8
std::array<QLabel *, rxKeyCount> rxLabels(const Ui::mainWindow *ui);       // RTX, RX1..RX4

// Calls f on each widget of the groups and single widgets given, in order. Nothing is
// collected on the way: the silent-link painter walks the panel forty times a second.
template<typename F> void visitWidgets(const F &f, QWidget *widget)
{
    f(widget);
}
template<typename F, typename W, std::size_t N>
void visitWidgets(const F &f, const std::array<W *, N> &group)
{
    for (W *widget : group)
        f(widget);
}
template<typename F, typename... Parts> void forEachWidget(const F &f, const Parts &...parts)
{
    (visitWidgets(f, parts), ...);
}

// Gives each key of a group its style, in order.
template<std::size_t N>
void applyKeyStyles(const std::array<QPushButton *, N> &keys, const std::array<KeyStyle, N> &styles)
{
    for (std::size_t i = 0; i < N; ++i)
        applyStyle(keys[i], styles[i]);
}
