#pragma once

#include <QLoggingCategory>
#include <QMutex>
#include <QStringList>

// While it lives, the wire trace is on and its lines are kept, as operators and their
// scripts read them ("1234 ms TX 5 49 47 54 33 3b |IGT3;|"). The link writes them from its
// own thread.
class WireTap
{
public:
    WireTap()
    {
        kept().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=true"));
        previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &context, const QString &message) {
                if (QByteArray(context.category) != "orvik.wire")
                    return;
                const QMutexLocker lock(&mutex());
                kept() << message;
            });
    }
    ~WireTap()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }
    WireTap(const WireTap &) = delete;
    WireTap &operator=(const WireTap &) = delete;

    static QStringList lines()
    {
        const QMutexLocker lock(&mutex());
        return kept();
    }

private:
    static QStringList &kept()
    {
        static QStringList lines;
        return lines;
    }
    static QMutex &mutex()
    {
        static QMutex lock;
        return lock;
    }

    QtMessageHandler previous;
};
