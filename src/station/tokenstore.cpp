#include "station/tokenstore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <array>

namespace {

constexpr qint64 maxFileSize = 1024 * 1024;

QByteArray hashOf(const QByteArray &token)
{
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

bool isName(const QString &name)
{
    for (const QChar c : name) {
        const auto u = c.unicode();
        const bool alnum =
            (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (!alnum && u != '-' && u != '_' && u != '.')
            return false;
    }
    return !name.isEmpty() && name.size() <= 32;
}

bool isHashHex(const QByteArray &hex)
{
    for (const char c : hex) {
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f'))
            return false;
    }
    return hex.size() == 64;
}

bool fail(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace

bool TokenStore::read(QByteArray &text, QList<Entry> &read, QString *why) const
{
    QFile file(path);
    if (!file.exists())
        return true;
#ifdef Q_OS_UNIX
    // Elsewhere the bits are made up from other things; there the folder's access list
    // is what keeps others out.
    auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                  | QFileDevice::WriteOther;
    // A copy systemd hands the service (LoadCredential=) sits in a folder only the
    // service can enter; newer systemd grants the read by an access list, which shows as
    // the group's read bit.
    const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (!credentials.isEmpty()
        && QFileInfo(path).absolutePath() == QFileInfo(credentials).absoluteFilePath())
        others &= ~QFileDevice::Permissions(QFileDevice::ReadGroup);
    if (file.permissions() & others)
        return fail(why, path + ": others than its owner may read or change it (chmod 600)");
#endif
    if (!file.open(QIODevice::ReadOnly))
        return fail(why, path + ": " + file.errorString());
    text = file.read(maxFileSize + 1);
    if (text.size() > maxFileSize)
        return fail(why, path + ": larger than a tokens file can be");
    int number = 0;
    for (const QByteArray &line : text.split('\n')) {
        ++number;
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const QList<QByteArray> fields = trimmed.split(' ');
        const QString name = QString::fromLatin1(fields.value(0));
        const QByteArray role = fields.value(1);
        if (fields.size() != 3 || !isName(name) || (role != "control" && role != "monitor")
            || !isHashHex(fields.value(2)))
            return fail(why,
                        path + QStringLiteral(": line %1 is not name, role and hash").arg(number));
        for (const Entry &entry : read) {
            if (entry.holder.name.compare(name, Qt::CaseInsensitive) == 0)
                return fail(why, path + QStringLiteral(": line %1 repeats a name").arg(number));
        }
        const TokenRole tokenRole = role == "control" ? TokenRole::Control : TokenRole::Monitor;
        read.append({{name, tokenRole}, QByteArray::fromHex(fields.value(2))});
    }
    return true;
}

bool TokenStore::load(QString *why)
{
    QByteArray text;
    QList<Entry> read;
    if (!this->read(text, read, why))
        return false;
    entries = read;
    return true;
}

std::optional<QByteArray> TokenStore::create(const QString &name, TokenRole role, QString *why)
{
    QByteArray text;
    QList<Entry> known;
    if (!isName(name)) {
        fail(why, QStringLiteral("a name is 1 to 32 of letters, digits, '-', '_' and '.'"));
        return std::nullopt;
    }
    if (!read(text, known, why))
        return std::nullopt;
    for (const Entry &entry : known) {
        if (entry.holder.name.compare(name, Qt::CaseInsensitive) == 0) {
            fail(why, QStringLiteral("the name %1 is taken already").arg(name));
            return std::nullopt;
        }
    }
    // 192 bits from the system's generator: past guessing, and 32 characters to paste.
    std::array<quint32, 6> random{};
    QRandomGenerator::system()->fillRange(random.data(), qsizetype(random.size()));
    const QByteArray token =
        QByteArray(reinterpret_cast<const char *>(random.data()), int(sizeof random))
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const QByteArray hash = hashOf(token);

    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += name.toLatin1() + (role == TokenRole::Control ? " control " : " monitor ")
            + hash.toHex() + '\n';
    QSaveFile file(path);
    // The mode is set before a byte is written, so the hashes are never open to others.
    const bool written = file.open(QIODevice::WriteOnly)
                         && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                         && file.write(text) == text.size() && file.commit();
    if (!written) {
        fail(why, path + ": " + file.errorString());
        return std::nullopt;
    }
    known.append({{name, role}, hash});
    entries = known;
    return token;
}

std::optional<TokenHolder> TokenStore::check(const QByteArray &token) const
{
    const QByteArray hash = hashOf(token);
    std::optional<TokenHolder> found;
    for (const Entry &entry : entries) {
        // Every byte of every entry is compared, so the time taken tells nothing of how
        // near a guess came or which entry it was nearest.
        quint8 difference = 0;
        for (int i = 0; i < hash.size(); ++i)
            difference |= quint8(hash.at(i) ^ entry.hash.at(i));
        if (difference == 0)
            found = entry.holder;
    }
    return found;
}
