#include "station/pushlines.h"

#include "radio/followsettings.h"
#include "station/apireply.h"

namespace {

QByteArray antenna(quint8 position)
{
    return QByteArray::number(position <= 7 ? position + 1 : 0);
}

QByteArray flag(quint8 value)
{
    return value == 1 ? "1" : "0";
}

// The antennas whose bit in mask is `set`, as "1,3,8".
QByteArray numbers(quint8 mask, bool set)
{
    QByteArray list;
    for (int bit = 0; bit < 8; ++bit) {
        if (((mask >> bit) & 1) == int(set))
            list += (list.isEmpty() ? "" : ",") + QByteArray::number(bit + 1);
    }
    return list;
}

// "1,3,8" as a mask with those antennas' bits set; nothing for anything else.
std::optional<quint8> maskOf(const QString &list)
{
    quint8 mask = 0;
    for (const QString &item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = item.toInt(&ok);
        if (!ok || n < 1 || n > 8)
            return std::nullopt;
        mask |= quint8(1u << (n - 1));
    }
    return mask;
}

} // namespace

QHash<QByteArray, QString> lineFields(const QByteArray &words)
{
    QHash<QByteArray, QString> fields;
    for (const QByteArray &word : words.split(' ')) {
        const int at = word.indexOf('=');
        if (at > 0)
            fields.insert(word.left(at),
                          QString::fromUtf8(QByteArray::fromPercentEncoding(word.mid(at + 1))));
    }
    return fields;
}

std::optional<SwitchStatus> readSwitchLine(const QByteArray &line, QString *by)
{
    const QByteArray start = "S0|switch ";
    if (!line.startsWith(start))
        return std::nullopt;
    const QHash<QByteArray, QString> f = lineFields(line.mid(start.size()));
    bool ok = true;
    const auto number = [&f, &ok](const char *key, int most) {
        bool read = false;
        const int n = f.value(key).toInt(&read);
        ok = ok && read && n >= 0 && n <= most;
        return quint8(n);
    };
    const auto position = [&number](const char *key) {
        const quint8 n = number(key, 8);
        return n == 0 ? quint8(15) : quint8(n - 1);
    };
    SwitchStatus s;
    s.txPos = position("tx");
    s.previousTxPos = position("prev");
    s.splitTxPos = position("splittx");
    s.split = number("split", 1);
    s.transmitting = number("transmitting", 1);
    s.rotor = number("rotor", 4);
    s.rxMode = number("rxmode", 1);
    const std::optional<quint8> busy = maskOf(f.value("busy"));
    const std::optional<quint8> group = maskOf(f.value("group"));
    if (!ok || !busy || !group || !f.contains("busy") || !f.contains("group"))
        return std::nullopt;
    s.freeMask = quint8(~*busy);
    s.group = *group;
    if (by)
        *by = f.value("by");
    return s;
}

QByteArray switchLine(const SwitchStatus &status, const QString &by)
{
    const quint8 rotor = status.rotor >= 1 && status.rotor <= 4 ? status.rotor : 0;
    return "S0|switch tx=" + antenna(status.txPos) + " prev=" + antenna(status.previousTxPos)
           + " split=" + flag(status.split) + " splittx=" + antenna(status.splitTxPos) + " busy="
           + numbers(status.freeMask, false) + " transmitting=" + flag(status.transmitting)
           + " rotor=" + QByteArray::number(rotor) + " group=" + numbers(status.group, true)
           + " rxmode=" + flag(status.rxMode) + " by=" + fieldText(by);
}

QByteArray linkLine(bool up, const QString &reason)
{
    return QByteArray("S0|link state=") + (up ? "up" : "down") + " reason=" + fieldText(reason);
}

QByteArray followLine(const QString &band, const QString &state)
{
    return "S0|follow band=" + fieldText(band) + " state=" + fieldText(state);
}

QByteArray infoText(const StationInfo &info)
{
    const QByteArray firmware = info.firmware ? QByteArray::number(info.firmware->major) + '.'
                                                    + QByteArray::number(info.firmware->minor)
                                              : QByteArray();
    return "station name=" + fieldText(info.name) + " version=" + fieldText(info.version)
           + " firmware=" + firmware + " link=" + (info.linkUp ? "up" : "down")
           + " port=" + fieldText(info.port);
}

QByteArray antennaItem(int antenna, const QString &label)
{
    return "antenna " + QByteArray::number(antenna) + " name=" + fieldText(label);
}

QByteArray receiveItem(int receive, const QString &label)
{
    return "rx " + receiveKeyName(receive).toLatin1() + " name=" + fieldText(label);
}
