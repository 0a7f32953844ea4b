#pragma once

#include <QtGlobal>

class QSerialPort;

// The one serial port to the controller; a child of the main window.
extern QSerialPort *serialPort;

// Writes a frame to the port when it is open, and to the wire trace.
void writeFrame(const quint8 *bytes, int n);
