#pragma once

#include <QLoggingCategory>
#include <QString>

// Every frame that crosses the serial line, for the station engineer chasing a link
// that misbehaves. Off by default; switch it on with
//   QT_LOGGING_RULES="orvik.wire.debug=true"
Q_DECLARE_LOGGING_CATEGORY(lcWire)

// "49 47 54 33 3b |IGT3;|": the bytes in hex, then the printable ones (others as ".").
QString describeFrame(const quint8 *bytes, int n);

// A frame handed to the port for writing.
void traceWrite(const quint8 *bytes, int n);
// A read from the port, and whether it was taken as a response or dropped.
void traceRead(const quint8 *bytes, int n, bool accepted);
