#pragma once

#include <QVector>
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

// Groups and single widgets, one after another, as one list.
inline void appendWidgets(QVector<QWidget *> &list, QWidget *widget)
{
    list.append(widget);
}
template<typename W, std::size_t N>
void appendWidgets(QVector<QWidget *> &list, const std::array<W *, N> &group)
{
    for (W *widget : group)
        list.append(widget);
}
template<typename... Parts> QVector<QWidget *> widgetList(const Parts &...parts)
{
    QVector<QWidget *> list;
    (appendWidgets(list, parts), ...);
    return list;
}

// Gives each key of a group its style, in order.
template<std::size_t N>
void applyKeyStyles(const std::array<QPushButton *, N> &keys, const std::array<KeyStyle, N> &styles)
{
    for (std::size_t i = 0; i < N; ++i)
        applyStyle(keys[i], styles[i]);
}
