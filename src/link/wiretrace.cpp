#include "link/wiretrace.h"

#include "link/clock.h"

// Warnings only by default, so the per-frame debug lines cost nothing until asked for.
Q_LOGGING_CATEGORY(lcWire, "orvik.wire", QtWarningMsg)

QString describeFrame(const quint8 *bytes, int n)
{
    QString hex;
    QString text;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            hex += QLatin1Char(' ');
        hex += QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0'));
        text +=
            (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? QLatin1Char(char(bytes[i])) : QLatin1Char('.');
    }
    return hex + QLatin1String(" |") + text + QLatin1Char('|');
}

void traceWrite(const quint8 *bytes, int n)
{
    if (lcWire().isDebugEnabled())
        qCDebug(lcWire).noquote() << monotonicMs() << "ms TX" << n << describeFrame(bytes, n);
}

void traceRead(const quint8 *bytes, int n, bool accepted)
{
    if (lcWire().isDebugEnabled())
        qCDebug(lcWire).noquote() << monotonicMs() << "ms RX" << n
                                  << (accepted ? "accepted" : "dropped") << describeFrame(bytes, n);
}

void traceWriteFailure(const quint8 *bytes, int n, qint64 written, const QString &why)
{
    // A failed write ends the connection, so it is worth saying even with the trace off.
    qCWarning(lcWire).noquote() << monotonicMs() << "ms TX" << n << "failed, written" << written
                                << describeFrame(bytes, n) << why;
}

void traceOverflow(int dropped)
{
    if (lcWire().isDebugEnabled())
        qCDebug(lcWire).noquote() << monotonicMs() << "ms RX overflow, dropped the" << dropped
                                  << "oldest bytes";
}
