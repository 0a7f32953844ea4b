#include "config/settingsvalues.h"

#include <QFileInfo>
#include <QStringList>

#include "config/settingslog.h"

IniFile::IniFile(const QString &path) : QSettings(path, QSettings::IniFormat)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    setIniCodec("UTF-8");
#endif
}

QString iniText(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

namespace {
struct FlagWord
{
    const char *text;
    bool value;
};
constexpr FlagWord flagWords[] = {{"true", true},   {"1", true},  {"yes", true}, {"on", true},
                                  {"false", false}, {"0", false}, {"no", false}, {"off", false}};
} // namespace

bool iniFlag(const QSettings &settings, const QString &key, bool defaultValue)
{
    const QVariant value = settings.value(key, QString());
    // A value written in this run may still be a bool in the shared cache.
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    const QString stored = iniText(value);
    const QString text = stored.trimmed();
    if (text.isEmpty())
        return defaultValue;
    for (const FlagWord &word : flagWords)
        if (text.compare(QLatin1String(word.text), Qt::CaseInsensitive) == 0)
            return word.value;
    qCDebug(lcPanel).noquote()
        << QStringLiteral(
               "%1: %2=\"%3\" is not a flag (true/false, 1/0, yes/no, on/off); read as %4")
               .arg(settings.fileName(), key, stored,
                    defaultValue ? QStringLiteral("true") : QStringLiteral("false"));
    return defaultValue;
}

int iniNumber(const QVariant &value)
{
    if (value.userType() == QMetaType::Int)
        return value.toInt();
    bool ok = false;
    const int number = iniText(value).toInt(&ok);
    return ok ? number : 0;
}

qint8 iniSelectionIndex(const QVariant &value)
{
    return qint8(iniNumber(value));
}

bool selectionIndexFits(qint8 index, int count)
{
    return index >= 0 && index < count;
}

bool flushSettings(QSettings &settings)
{
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString wholeCharacters(const QString &text, int maxLength)
{
    QString whole;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (c.isSurrogate() && !pair)
            continue;
        const int units = pair ? 2 : 1;
        if (whole.size() + units > maxLength)
            break;
        whole += text.mid(i, units);
        i += units - 1;
    }
    return whole;
}

namespace {
// Whether a save can reach the file: QSettings replaces it through a new file in the
// same folder (creating the folders on its path), so the folder must take a new file
// and an existing file must be writable itself.
bool canSave(const QString &path)
{
    const QFileInfo file(path);
    if (file.exists() && !(file.isFile() && file.isWritable()))
        return false;
    QFileInfo folder(file.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setFile(folder.absolutePath());
    return folder.isDir() && folder.isWritable();
}
} // namespace

bool writeIniValues(const QString &path, const IniValues &values)
{
    // Nothing is handed to QSettings that cannot be saved: its handles on one file share
    // what they have not written yet, and would write it with the next save that works.
    if (!canSave(path))
        return false;
    IniFile file(path);
    IniValues before;
    for (const auto &entry : values)
        before.append(
            {entry.first, file.contains(entry.first) ? file.value(entry.first) : QVariant()});
    const auto store = [&file](const IniValues &entries) {
        for (const auto &entry : entries) {
            if (entry.second.isValid())
                file.setValue(entry.first, entry.second);
            else
                file.remove(entry.first);
        }
    };
    store(values);
    if (flushSettings(file))
        return true;
    store(before);
    file.sync();
    return false;
}
