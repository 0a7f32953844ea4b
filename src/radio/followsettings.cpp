#include "radio/followsettings.h"

#include "panel/panelstate.h"
#include "radio/bands.h"

namespace {
// Other tools and operators edit these by name: never rename them.
constexpr char followKey[] = "Radio/Follow";
constexpr char sourceKey[] = "Radio/Source";
constexpr char rigctldKey[] = "Radio/Rigctld";
constexpr char n1mmPortKey[] = "Radio/N1mmPort";
constexpr char n1mmRadioKey[] = "Radio/N1mmRadio";
constexpr char dwellKey[] = "Radio/Dwell";
constexpr char n1mmStationKey[] = "Radio/N1mmStation";
constexpr char n1mmFromKey[] = "Radio/N1mmFrom";
QString txKey(const QString &band)
{
    return QStringLiteral("BandTX/") + band;
}
QString rxKey(const QString &band)
{
    return QStringLiteral("BandRX/") + band;
}

} // namespace

bool readRigctldAddress(const QString &text, QString &host, quint16 &port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    const QString digits = text.mid(colon + 1);
    bool ok = colon > 0 && !digits.isEmpty();
    for (const QChar c : digits)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int number = ok ? digits.toInt(&ok) : 0;
    if (!ok || number < 1 || number > 65535)
        return false;
    QString name = text.left(colon);
    // An IPv6 address only in brackets: without them its own colons would make the port
    // a guess.
    const bool bracketed = name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'));
    if (bracketed)
        name = name.mid(1, name.size() - 2);
    if (name.isEmpty() || name.contains(QLatin1Char(' ')) || name.contains(QLatin1Char('['))
        || name.contains(QLatin1Char(']')) || (!bracketed && name.contains(QLatin1Char(':'))))
        return false;
    host = name;
    port = quint16(number);
    return true;
}

QString rigctldAddress(const QString &host, quint16 port)
{
    const QString name =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return name + QLatin1Char(':') + QString::number(port);
}

QString receiveKeyName(int index)
{
    if (index >= 0 && index < 4)
        return QStringLiteral("RX%1").arg(index + 1);
    return index == rtxIndex ? QStringLiteral("RTX") : QString();
}

int receiveKeyIndex(const QString &name)
{
    for (int index : {0, 1, 2, 3, int(rtxIndex)})
        if (name.compare(receiveKeyName(index), Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}

QString sourceKindName(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Rigctld:
        return QStringLiteral("rigctld");
    case SourceKind::N1mm:
        return QStringLiteral("n1mm");
    case SourceKind::None:
        break;
    }
    return QStringLiteral("none");
}

FollowSettings loadFollowSettings(const QString &path)
{
    const IniFile file(path);
    const auto text = [&file](const QString &key) {
        return iniText(file.value(key, QString())).trimmed();
    };
    FollowSettings settings;
    settings.follow = iniFlag(file, followKey, false);
    for (SourceKind kind : {SourceKind::Rigctld, SourceKind::N1mm})
        if (text(sourceKey).compare(sourceKindName(kind), Qt::CaseInsensitive) == 0)
            settings.source = kind;
    // A stored address that does not read is kept as it was typed, and said: following
    // from some other rigctld than the one the operator named would be a silent guess.
    const QString address = text(rigctldKey);
    if (!address.isEmpty()
        && !readRigctldAddress(address, settings.rigctldHost, settings.rigctldPort))
        settings.badRigctldAddress = address;
    const int udpPort = iniNumber(file.value(n1mmPortKey, QString()));
    if (udpPort >= 1 && udpPort <= 65535)
        settings.n1mmPort = quint16(udpPort);
    const int radio = iniNumber(file.value(n1mmRadioKey, QString()));
    if (radio >= 0 && radio <= 2)
        settings.n1mmRadio = radio;
    // Up to a minute: longer would look like following that does nothing.
    bool dwellRead = false;
    const int dwellMs = text(dwellKey).toInt(&dwellRead);
    if (dwellRead && dwellMs >= 0 && dwellMs <= 60000)
        settings.dwellMs = dwellMs;
    settings.n1mmStation = text(n1mmStationKey);
    // Read where the source starts, with the network library: kept as typed until then.
    settings.n1mmFrom = text(n1mmFromKey);
    for (const BandWindow &band : bandWindows()) {
        const int antenna = iniNumber(file.value(txKey(band.name), QString()));
        if (antenna >= 1 && antenna <= txKeyCount)
            settings.bandTx.insert(band.name, antenna);
        const int receive = receiveKeyIndex(text(rxKey(band.name)));
        if (receive >= 0)
            settings.bandRx.insert(band.name, receive);
    }
    return settings;
}

IniValues followSettingsValues(const FollowSettings &settings)
{
    IniValues values = {
        {followKey, settings.follow},
        {sourceKey, sourceKindName(settings.source)},
        {rigctldKey, settings.badRigctldAddress.isEmpty()
                         ? rigctldAddress(settings.rigctldHost, settings.rigctldPort)
                         : settings.badRigctldAddress},
        {n1mmPortKey, int(settings.n1mmPort)},
        {n1mmRadioKey, settings.n1mmRadio},
        {dwellKey, settings.dwellMs},
        {n1mmStationKey, settings.n1mmStation},
        {n1mmFromKey, settings.n1mmFrom},
    };
    for (const BandWindow &band : bandWindows()) {
        const int antenna = settings.bandTx.value(band.name, 0);
        values.append({txKey(band.name), antenna > 0 ? QVariant(antenna) : QVariant()});
        const QString receive = receiveKeyName(settings.bandRx.value(band.name, -1));
        values.append({rxKey(band.name), receive.isEmpty() ? QVariant() : QVariant(receive)});
    }
    return values;
}

IniValues followChoiceValues(bool follow)
{
    return {{followKey, follow}};
}
