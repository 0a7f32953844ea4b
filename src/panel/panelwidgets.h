#pragma once

#include <array>
#include <cstddef>

#include "panel/keystyles.h"

class QPushButton;
namespace Ui {
class mainWindow;
}

// The form's keys grouped the way the painters walk them.
std::array<QPushButton *, txKeyCount> txKeys(const Ui::mainWindow *ui);    // botaoTecla1..8
std::array<QPushButton *, rxKeyCount> rxKeys(const Ui::mainWindow *ui);    // RTX, RX1..RX4
std::array<QPushButton *, txKeyCount> busyKeys(const Ui::mainWindow *ui);  // botaoBusy1..8
std::array<QPushButton *, rotorCount> rotorKeys(const Ui::mainWindow *ui); // botaoRotor1..4

// Gives the key its style unless it already shows it; a null style leaves it alone.
void applyKeyStyle(QPushButton *key, KeyStyle style);

// The same over a group of keys, in order.
template<std::size_t N>
void applyKeyStyles(const std::array<QPushButton *, N> &keys,
                    const std::array<KeyStyle, N> &styles)
{
    for (std::size_t i = 0; i < N; ++i)
        applyKeyStyle(keys[i], styles[i]);
}
