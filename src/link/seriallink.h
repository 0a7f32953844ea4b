#pragma once

class QSerialPort;

// The one serial port to the controller; a child of the main window.
extern QSerialPort *serialPort;
