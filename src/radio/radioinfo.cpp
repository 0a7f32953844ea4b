#include "radio/radioinfo.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace {

// Radio numbers are small; a frequency of 1e12 tens of Hz is far past any radio's.
std::optional<qint64> number(const QString &text, qint64 max)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < 0 || v > max)
        return std::nullopt;
    return v;
}

std::optional<bool> boolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<int> radioNumber(const QString &text)
{
    const auto v = number(text, 1000);
    return v ? std::optional<int>(int(*v)) : std::nullopt;
}

std::optional<qint64> hertz(const QString &text)
{
    const auto v = number(text, qint64(1e12));
    return v ? std::optional<qint64>(*v * 10) : std::nullopt;
}

std::optional<QString> stationName(const QString &text)
{
    // A name with a line break in it would write lines of its own into the follow log.
    const QString name = text.trimmed();
    const bool printable =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.isPrint(); });
    if (name.size() > maxStationNameLength || !printable)
        return std::nullopt;
    return name;
}

} // namespace

qint64 RadioInfo::txHz() const
{
    if (txFreqHz && *txFreqHz > 0)
        return *txFreqHz;
    return freqHz.value_or(0);
}

std::optional<RadioInfo> parseRadioInfo(const QByteArray &datagram)
{
    if (datagram.size() > maxRadioInfoSize)
        return std::nullopt;
    QXmlStreamReader xml(datagram);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("RadioInfo"))
        return std::nullopt;

    // One pass over the whole datagram, counting: a datagram broken after </RadioInfo> is
    // refused too, and however it nests, the work stays bounded by its size.
    RadioInfo info;
    int depth = 1, elements = 1;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth > maxRadioInfoDepth || ++elements > maxRadioInfoElements)
            return std::nullopt;
        if (depth != 2) // only the root's own children say anything
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("RadioNr"))
            info.radioNr = radioNumber(xml.readElementText());
        else if (name == QLatin1String("ActiveRadioNr"))
            info.activeRadioNr = radioNumber(xml.readElementText());
        else if (name == QLatin1String("Freq"))
            info.freqHz = hertz(xml.readElementText());
        else if (name == QLatin1String("TXFreq"))
            info.txFreqHz = hertz(xml.readElementText());
        else if (name == QLatin1String("IsTransmitting"))
            info.transmitting = boolean(xml.readElementText());
        else if (name == QLatin1String("StationName"))
            info.stationName = stationName(xml.readElementText());
        else
            continue;
        --depth; // readElementText ended on the element's end
    }
    if (xml.hasError())
        return std::nullopt;
    return info;
}

bool isFollowedRadio(const RadioInfo &info, int radio)
{
    if (!info.radioNr)
        return false;
    if (radio == 0)
        return info.activeRadioNr && *info.radioNr == *info.activeRadioNr;
    return *info.radioNr == radio;
}

bool isFollowedStation(const RadioInfo &info, const QString &station)
{
    const QString wanted = station.trimmed();
    return wanted.isEmpty()
           || (info.stationName && info.stationName->compare(wanted, Qt::CaseInsensitive) == 0);
}
