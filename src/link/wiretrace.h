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
// A frame that the port refused or took only in part.
void traceWriteFailure(const quint8 *bytes, int n, qint64 written, const QString &why);
// Bytes taken from the input: a whole response (accepted), or bytes that belong to no
// response and were dropped.
void traceRead(const quint8 *bytes, int n, bool accepted);
// The input buffer overflowed and its oldest bytes were let go.
void traceOverflow(int dropped);
