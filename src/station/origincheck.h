#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct HttpHead;

// An origin as a browser names one: scheme, host and port. Scheme and host are kept in
// lower case and a port left out is the scheme's own, so "https://Shack.example.org" and
// "https://shack.example.org:443" are the same origin.
struct WebOrigin
{
    QByteArray scheme; // http or https
    QByteArray host;   // a name, an IPv4 address or [an IPv6 address]
    int port = 0;

    bool operator==(const WebOrigin &o) const
    {
        return scheme == o.scheme && host == o.host && port == o.port;
    }

    // "scheme://host[:port]" and nothing more (no path, no user, not "null").
    static std::optional<WebOrigin> parse(const QByteArray &text);
    // The origin of a page served to a request with this Host header.
    static std::optional<WebOrigin> served(const QByteArray &host, bool tls);
};

// Whether a WebSocket handshake comes from a page the station trusts: its own pages
// (the origin the Host header and TLS make), or one of the AllowedOrigins. Any other
// Origin is refused (403), and so is an Origin that is empty or malformed.
//
// A handshake without an Origin is let through: only browsers send one, a browser always
// does, and any other client could write whatever it liked there; what such a client may
// do is decided by its token, as for a TCP client.
class OriginCheck
{
public:
    // allowed: exact origins separated by commas. An entry that is not an origin is left
    // out and named in *refused, for the log.
    OriginCheck(bool tls, const QString &allowed, QStringList *refused = nullptr);

    bool allows(const HttpHead &head) const;

private:
    bool tls = false;
    QList<WebOrigin> allowedOrigins;
};
