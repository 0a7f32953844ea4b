#include "station/origincheck.h"

#include "station/httphead.h"

namespace {

bool allOf(const QByteArray &text, const char *allowed)
{
    for (const char c : text) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum && !QByteArray(allowed).contains(c))
            return false;
    }
    return !text.isEmpty();
}

// "host" or "host:port": fills in host (lower case) and port (the default when left out).
bool readHostPort(const QByteArray &text, int defaultPort, WebOrigin &origin)
{
    const int close = int(text.lastIndexOf(']'));
    const int colon = int(text.indexOf(':', close < 0 ? 0 : close));
    origin.host = (colon < 0 ? text : text.left(colon)).toLower();
    const QByteArray port = colon < 0 ? QByteArray() : text.mid(colon + 1);
    const bool bracketed = origin.host.startsWith('[') && origin.host.endsWith(']');
    if (bracketed ? !allOf(origin.host.mid(1, origin.host.size() - 2), ":.")
                  : !allOf(origin.host, "-._"))
        return false;
    if (colon < 0) {
        origin.port = defaultPort;
        return true;
    }
    bool ok = port.size() <= 5 && allOf(port, "") && !port.startsWith('0');
    origin.port = ok ? port.toInt(&ok) : 0;
    return ok && origin.port <= 65535;
}

} // namespace

std::optional<WebOrigin> WebOrigin::parse(const QByteArray &text)
{
    WebOrigin origin;
    const int mark = int(text.indexOf("://"));
    origin.scheme = text.left(mark).toLower();
    if (mark < 0 || (origin.scheme != "http" && origin.scheme != "https"))
        return std::nullopt;
    const int defaultPort = origin.scheme == "https" ? 443 : 80;
    if (!readHostPort(text.mid(mark + 3), defaultPort, origin))
        return std::nullopt;
    return origin;
}

std::optional<WebOrigin> WebOrigin::served(const QByteArray &host, bool tls)
{
    return parse((tls ? "https://" : "http://") + host);
}

OriginCheck::OriginCheck(bool tls, const QString &allowed, QStringList *refused) : tls(tls)
{
    for (const QString &entry : allowed.split(',', Qt::SkipEmptyParts)) {
        const std::optional<WebOrigin> origin = WebOrigin::parse(entry.trimmed().toLatin1());
        if (origin)
            allowedOrigins.append(*origin);
        else if (refused)
            refused->append(entry.trimmed());
    }
}

bool OriginCheck::allows(const HttpHead &head) const
{
    const QByteArray text = head.header("origin");
    if (text.isNull())
        return true;
    const std::optional<WebOrigin> origin = WebOrigin::parse(text);
    if (!origin)
        return false;
    return origin == WebOrigin::served(head.header("host"), tls)
           || allowedOrigins.contains(*origin);
}
