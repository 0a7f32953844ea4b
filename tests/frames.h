#pragma once

#include <QByteArray>
#include <QtGlobal>

// The switch's 13-byte status answer: "IGT", nine fields, ";". The defaults describe
// a powered switch on TX 2 with every antenna free and the receive mode 1.
inline QByteArray statusFrame(quint8 tx = 2, quint8 split = 0, quint8 freeMask = 0xFF,
                              quint8 rotor = 0, quint8 group = 0, quint8 onAir = 0,
                              quint8 splitTx = 0, quint8 prev = 0, quint8 rxMode = 1)
{
    QByteArray r("IGT");
    for (quint8 b : {tx, split, freeMask, rotor, group, onAir, splitTx, prev, rxMode})
        r.append(char(b));
    return r.append(';');
}
