#include "simlog.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <ctime>

double monotonicNowMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

SimLog::SimLog() : startMs(monotonicNowMs()) {}

bool SimLog::openMachineLog(const QString &path, QString *error)
{
    machine.setFileName(path);
    if (!machine.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = "cannot write the log " + path + ": " + machine.errorString();
        return false;
    }
    return true;
}

QString SimLog::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

QString SimLog::printable(const QByteArray &bytes)
{
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            text += QChar(b);
        else
            text += QString("\\x%1").arg(b, 2, 16, QChar('0'));
    }
    return text;
}

void SimLog::received(const QByteArray &bytes, const QString &kind, const QString &what)
{
    write("rx", &bytes, kind, what);
}

void SimLog::sent(const QByteArray &bytes, const QString &kind, const QString &what)
{
    write("tx", &bytes, kind, what);
}

void SimLog::event(const QString &kind, const QString &what)
{
    write("event", nullptr, kind, what);
}

void SimLog::write(const char *dir, const QByteArray *bytes, const QString &kind,
                   const QString &what)
{
    const double now = monotonicNowMs();
    const QString shown = bytes ? printable(*bytes) + "  " + what : what;
    const QByteArray line = QString("%1 s  %2 %3\n")
                                .arg((now - startMs) / 1000.0, 9, 'f', 3)
                                .arg(QLatin1String(dir), -5)
                                .arg(shown)
                                .toLocal8Bit();
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);

    if (!machine.isOpen())
        return;
    QJsonObject entry{{"ms", now}, {"dir", QLatin1String(dir)}, {"kind", kind}, {"text", what}};
    if (bytes)
        entry.insert("hex", hex(*bytes));
    machine.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
    machine.flush();
}
