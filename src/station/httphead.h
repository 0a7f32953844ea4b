#pragma once

#include <QByteArray>
#include <QMap>

// The request line and the headers of one HTTP request, as far as the station's web side
// uses them.
struct HttpHead
{
    QByteArray method;  // as sent (GET, HEAD, ...)
    QByteArray path;    // percent-decoded, from '/'; never a "." or ".." segment
    QByteArray query;   // what followed '?', as sent
    QByteArray version; // HTTP/1.0 or HTTP/1.1
    // Host, Origin, Upgrade, Connection, Sec-WebSocket-Key and Sec-WebSocket-Version, the
    // names in lower case; every other header is checked and dropped.
    QMap<QByteArray, QByteArray> headers;

    // A kept header's value, its name in any case; null when it was not sent.
    QByteArray header(const QByteArray &name) const;
};

// Reads a request head from a socket's chunks. The head, request line to the empty line
// that ends it, may take maxHead bytes; the reader holds no more than that and answers
// TooLarge (431) on the first byte past it. Anything the station would have to guess at
// is BadRequest (400): a line folded onto the next, a bare CR, a target that is not a
// plain path (absolute form, "*", a "." or ".." segment, a control byte or a backslash,
// encoded or not), a version other than 1.0 and 1.1, a missing Host under 1.1, and Host,
// Origin or a Sec-WebSocket header sent twice. Lines may end in CRLF or a bare LF.
//
// A request has no body here, so bytes after the head are not kept: the server answers
// this one request and closes.
class HttpHeadReader
{
public:
    static constexpr int maxHead = 8 * 1024;

    enum class State { NeedMore, Complete, BadRequest, TooLarge };

    // Once the state is other than NeedMore it stays so, and more bytes change nothing.
    State feed(const QByteArray &chunk);
    State state() const { return current; }
    // Filled once the state is Complete.
    const HttpHead &head() const { return parsed; }

private:
    QByteArray buffer;
    State current = State::NeedMore;
    HttpHead parsed;
};
