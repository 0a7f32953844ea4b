#include "config/settingsvalues.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#else
#include <QStringDecoder>
#endif

#include "config/settingslog.h"

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

// Whether the bytes are valid UTF-8 throughout, with no sequence cut off at the end.
bool isUtf8(const QByteArray &bytes)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
#else
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The text is decoded as it is converted; only whether that met an error counts.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
#endif
}

// Rewrites a file an older version left in Latin-1 as UTF-8, the way QSettings saves:
// through a new file that replaces the old one whole, so a failed write loses nothing.
// Answers whether the file is still Latin-1 (it could not be rewritten).
bool keptAsLatin1(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    if (isUtf8(bytes))
        return false;
    const QByteArray converted = QString::fromLatin1(bytes).toUtf8();
    QSaveFile utf8(path);
    const bool rewritten = canSave(path) && utf8.open(QIODevice::WriteOnly)
                           && utf8.write(converted) == converted.size() && utf8.commit();
    return !rewritten;
}
} // namespace

IniFile::IniFile(const QString &path) : IniFile(path, keptAsLatin1(path)) {}

IniFile::IniFile(const QString &path, bool latin1) : QSettings(path, QSettings::IniFormat)
{
    // Qt 5 parses a file's sections only when they are first read, so the codec set here
    // still applies to this file.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    setIniCodec(latin1 ? "ISO-8859-1" : "UTF-8");
#else
    Q_UNUSED(latin1)
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
