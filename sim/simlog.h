#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Time stamps on the system-wide monotonic clock, in milliseconds with microsecond
// detail: the panel measures its intervals on the same clock, so a benchmark can
// set our stamps against its own.
double monotonicNowMs();

// Two logs of the conversation: one line per event for a person on standard error,
// and one JSON object per line for tests and benchmarks (when a file is given):
//   {"ms":<monotonic ms>,"dir":"rx"|"tx"|"event","hex":"4947...","kind":"poll",
//    "text":"..."}
// "rx" stamps are taken when the bytes were read, "tx" stamps right after the last
// byte of an answer was written.
class SimLog
{
public:
    SimLog();

    bool openMachineLog(const QString &path, QString *error);

    void received(const QByteArray &bytes, const QString &kind, const QString &what);
    void sent(const QByteArray &bytes, const QString &kind, const QString &what);
    void event(const QString &kind, const QString &what);

    // Hex and printable forms of a byte string.
    static QString hex(const QByteArray &bytes);
    static QString printable(const QByteArray &bytes);

private:
    void write(const char *dir, const QByteArray *bytes, const QString &kind, const QString &what);

    double startMs;
    QFile machine;
};
