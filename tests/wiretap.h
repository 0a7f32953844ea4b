#pragma once

#include <QLoggingCategory>
#include <QStringList>
#include <mutex>

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
                const std::lock_guard<std::mutex> lock(mutex());
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
        const std::lock_guard<std::mutex> lock(mutex());
        return kept();
    }

    // The first frame handed to the port too soon after the one before it, or a third word
    // in a row with no poll between, or nothing: a word goes more than 100 ms after the frame
    // before, a poll more than 150 ms. The firmware query at Connect waits for nobody. The
    // stamps are whole milliseconds: more than 100 reads as 100.
    static QString spacingFault()
    {
        qint64 previous = -1;
        int words = 0;
        for (const QString &line : lines()) {
            const QStringList w = line.split(' '); // "1234 ms TX 5 ... |IGT3;|"
            if (w.value(2) != "TX")
                continue;
            const qint64 ms = w[0].toLongLong();
            const bool firmware = w.last() == "|IGW;|";
            const bool poll = firmware || w.last() == "|IGT3;|";
            words = poll ? 0 : words + 1;
            if (words > 2)
                return w.last() + " third word with no poll between";
            if (previous >= 0 && !firmware && ms - previous < (poll ? 150 : 100))
                return QString("%1 %2 ms after the frame before").arg(w.last()).arg(ms - previous);
            previous = ms;
        }
        return QString();
    }

    // A select on the wire after the switch had reported transmitting and a poll had gone
    // out since: a select decided on a report more than one poll period old. Also said when
    // no select went out before transmitting, as then nothing was tried.
    static QString selectUnderTransmit()
    {
        bool transmitting = false, polledSince = false, selectBefore = false;
        for (const QString &line : lines()) {
            const QStringList w = line.split(' '); // "1234 ms RX 13 accepted 49 47 54 ..."
            if (w.value(2) == "RX" && w.value(4) == "accepted" && w.value(7) == "54") {
                const bool on = w.value(13) == "01";
                polledSince = polledSince && on;
                transmitting = on;
            } else if (w.value(2) == "TX" && w.last() == "|IGT3;|") {
                polledSince = transmitting;
            } else if (w.value(2) == "TX" && w.last().startsWith("|IGS")) {
                if (polledSince)
                    return line + " while the switch reported transmitting";
                selectBefore = selectBefore || !transmitting;
            }
        }
        return selectBefore ? QString() : QString("no select before transmitting");
    }

private:
    static QStringList &kept()
    {
        static QStringList lines;
        return lines;
    }
    // The link traces from its own thread. A plain mutex, which a race detector can see.
    static std::mutex &mutex()
    {
        static std::mutex lock;
        return lock;
    }

    QtMessageHandler previous;
};
