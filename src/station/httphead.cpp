#include "station/httphead.h"

#include <QList>

namespace {

using State = HttpHeadReader::State;

// RFC 9110's token characters: a method or a header name.
bool isToken(const QByteArray &word)
{
    static const QByteArray others = "!#$%&'*+-.^_`|~";
    for (const char c : word) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum && !others.contains(c))
            return false;
    }
    return !word.isEmpty();
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The path with %XX decoded, or a null array for a stray '%' or a byte that a path to one
// of our files never holds.
QByteArray decodedPath(const QByteArray &raw)
{
    QByteArray path(raw.size(), Qt::Uninitialized);
    path.resize(0);
    for (int i = 0; i < raw.size(); ++i) {
        char c = raw.at(i);
        if (c == '%') {
            const int high = i + 2 < raw.size() ? hexValue(raw.at(i + 1)) : -1;
            const int low = high < 0 ? -1 : hexValue(raw.at(i + 2));
            if (low < 0)
                return {};
            c = char(high * 16 + low);
            i += 2;
        }
        if (quint8(c) < 0x20 || c == 0x7F || c == '\\')
            return {};
        path += c;
    }
    for (const QByteArray &segment : path.split('/')) {
        if (segment == "." || segment == "..")
            return {};
    }
    return path;
}

// "GET /path?query HTTP/1.1"
bool readRequestLine(const QByteArray &line, HttpHead &head)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/'))
        return false;
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        return false;
    for (const char c : parts[1]) {
        if (c <= ' ' || c > '~' || c == '#')
            return false;
    }
    const int mark = int(parts[1].indexOf('?'));
    head.method = parts[0];
    head.path = decodedPath(mark < 0 ? parts[1] : parts[1].left(mark));
    head.query = mark < 0 ? QByteArray() : parts[1].mid(mark + 1);
    head.version = parts[2];
    return !head.path.isNull();
}

bool readHeader(const QByteArray &line, HttpHead &head)
{
    static const QList<QByteArray> kept =
        {"host", "origin", "upgrade", "connection", "sec-websocket-key", "sec-websocket-version"};
    static const QList<QByteArray> listValued = {"upgrade", "connection"};
    const int colon = int(line.indexOf(':'));
    const QByteArray name = line.left(colon).toLower();
    if (colon < 0 || !isToken(name))
        return false; // also a folded line, which starts with white space
    const QByteArray value = line.mid(colon + 1).trimmed();
    for (const char c : value) {
        if ((quint8(c) < 0x20 && c != '\t') || c == 0x7F)
            return false;
    }
    if (!kept.contains(name))
        return true;
    if (!head.headers.contains(name)) {
        head.headers.insert(name, value);
        return true;
    }
    // A list may come in several lines; a single value twice is one too many to choose from.
    head.headers[name] += ", " + value;
    return listValued.contains(name);
}

State parseHead(const QByteArray &text, HttpHead &head)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('\r'))
            return State::BadRequest;
    }
    if (!readRequestLine(lines.takeFirst(), head))
        return State::BadRequest;
    for (const QByteArray &line : lines) {
        if (!readHeader(line, head))
            return State::BadRequest;
    }
    const bool hostMissing = head.version == "HTTP/1.1" && !head.headers.contains("host");
    return hostMissing ? State::BadRequest : State::Complete;
}

} // namespace

QByteArray HttpHead::header(const QByteArray &name) const
{
    return headers.value(name.toLower());
}

HttpHeadReader::State HttpHeadReader::feed(const QByteArray &chunk)
{
    if (current != State::NeedMore)
        return current;
    // The blank line may have begun in the last chunk: look again from its last two bytes.
    const int from = qMax(0, int(buffer.size()) - 2);
    buffer += chunk.left(maxHead - buffer.size());
    for (int i = int(buffer.indexOf('\n', from)); i >= 0; i = int(buffer.indexOf('\n', i + 1))) {
        const bool blankNext = buffer.mid(i + 1, 1) == "\n" || buffer.mid(i + 1, 2) == "\r\n";
        if (blankNext) {
            current = parseHead(buffer.left(i), parsed);
            buffer.clear();
            return current;
        }
    }
    if (buffer.size() >= maxHead) {
        current = State::TooLarge;
        buffer.clear();
    }
    return current;
}
