#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Who may use the station: a named token with a role. A control token may change the
// switch, a monitor token may only watch it.
enum class TokenRole { Control, Monitor };

struct TokenHolder
{
    QString name;
    TokenRole role = TokenRole::Control;
};

// The station's tokens, kept in a file of one line each, "name role sha256hex", with the
// SHA-256 of each token and never the token itself: whoever reads the file cannot use
// what they read. The file is for its owner alone (mode 0600); one that its group or
// others may read or write is refused, since a hash that can be swapped is as good as a
// token. Blank lines and lines from '#' are the owner's notes and are kept.
//
// No token appears in any text this class gives out; a reason names a line by number.
class TokenStore
{
public:
    explicit TokenStore(const QString &path) : path(path) {}

    // Reads the file, replacing what was known. A file that does not exist is a store
    // with no tokens. On refusal nothing changes and *why says in one line what is wrong.
    bool load(QString *why);
    // A new random token for name, added to the file at once (read afresh, then replaced
    // atomically with mode 0600) and returned this once only. Nothing, and *why, when the
    // name is not 1 to 32 of letters, digits and "-_.", is taken already in any case, or
    // the file cannot be read or written.
    std::optional<QByteArray> create(const QString &name, TokenRole role, QString *why);
    // Who holds this token, if anyone.
    std::optional<TokenHolder> check(const QByteArray &token) const;
    bool isEmpty() const { return entries.isEmpty(); }

private:
    struct Entry
    {
        TokenHolder holder;
        QByteArray hash; // SHA-256, 32 bytes
    };

    bool read(QByteArray &text, QList<Entry> &read, QString *why) const;

    QString path;
    QList<Entry> entries;
};
