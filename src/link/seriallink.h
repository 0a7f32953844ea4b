#pragma once

#include <QtGlobal>

class MainWindow;
class QSerialPort;

// The one serial port to the controller; a child of the main window.
extern QSerialPort *serialPort;

// Writes a frame to the port when it is open, and to the wire trace.
void writeFrame(const quint8 *bytes, int n);

// Hands the n bytes that one read put into rxBuffer to the framing decision and, when
// they form a complete response, to the decoder and the painters. callReceber passes
// every read through it, and so does the read-path fuzzer.
void acceptRead(MainWindow *w, int n);
