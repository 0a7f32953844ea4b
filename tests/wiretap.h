#pragma once

#include <QLoggingCategory>
#include <QStringList>

// While it lives, the wire trace is on and its lines are kept, as operators and their
// scripts read them ("1234 ms TX 5 49 47 54 33 3b |IGT3;|").
class WireTap
{
public:
    WireTap()
    {
        lines().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("orvik.wire.debug=true"));
        previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &context, const QString &message) {
                if (QByteArray(context.category) == "orvik.wire")
                    lines() << message;
            });
    }
    ~WireTap()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }
    WireTap(const WireTap &) = delete;
    WireTap &operator=(const WireTap &) = delete;

    static QStringList &lines()
    {
        static QStringList kept;
        return kept;
    }

private:
    QtMessageHandler previous;
};
