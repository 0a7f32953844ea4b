#pragma once

#include <QtGlobal>

class MainWindow;
class QSerialPort;
class LinkSession;

// The one serial port to the controller; a child of the main window.
extern QSerialPort *serialPort;

// What the current connection has heard; GUI thread only.
extern LinkSession linkSession;

enum class WriteResult {
    Skipped, // no port open: nothing to do
    Written,
    Failed, // the port refused the frame or took only part of it
};

// Writes a frame to the port when it is open, and to the wire trace.
WriteResult writeFrame(const quint8 *bytes, int n);

// Hands bytes read from the port to the framing and every whole response among them
// to the decoder and the painters. callReceber passes every read through it, and so
// does the read-path fuzzer.
void acceptBytes(MainWindow *w, const char *bytes, int n);
