#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// The amateur bands as a radio's band decoder sees them: wide windows, so that a radio
// tuned anywhere near a band counts as on it.
struct BandWindow
{
    QString name; // "20m", the key in the band tables
    qint64 lowHz;
    qint64 highHz; // both ends belong to the band
};

const QVector<BandWindow> &bandWindows();

// The band a frequency belongs to, or the empty text outside every window.
QString bandOf(qint64 hz);
