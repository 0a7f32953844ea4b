#pragma once

#include <QRect>
#include <QSize>

// The arithmetic of proportional resizing. The panel has no Qt layouts; every widget
// is scaled from the geometry it had when the window was built, by the ratio of the
// window's size now to its size then, so resizing back never leaves a trace.

// Proportional placement: every corner of the form rectangle scaled by W / RW and
// H / RH in double precision and truncated toward zero.
QRect scaleRect(const QRect &origRect, int width, int height, int referenceWidth,
                int referenceHeight);

// Pixel size of the panel's texts for a window width: (W / 140) + 5, narrowed to 16 bits.
qint16 textPixelSize(int windowWidth);

// Panel: the keys, indicators and antenna labels; then label ("ORVIK"), label_2
// ("Remote Control"), labelKorvane and labelSite, each a little larger.
enum class TextGroup { Panel, Orvik, RemoteControl, Korvane, Site };
// Pixel size for one group at a given base size, narrowed to 16 bits.
qint16 groupPixelSize(long size, TextGroup group);
