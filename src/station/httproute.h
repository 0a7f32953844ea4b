#pragma once

#include <QByteArray>
#include <QSet>

struct HttpHead;
class OriginCheck;

// What the station's web side does with a request whose head was read whole.
struct Route
{
    int status = 404; // 200 a file, 101 the WebSocket, else an error to send and close
    QByteArray file;  // for 200: the bundled file to send
    QByteArray allow; // for 405: the Allow header's value
};

// /ws takes a WebSocket handshake by GET under HTTP/1.1 (405 for another method, 400 for a
// handshake that is not whole: Upgrade websocket, Connection upgrade, version 13 and a
// key of 16 bytes in base64), from an origin the check allows (403 otherwise). Any other
// path names one of the bundled files ("/" is "/index.html") for GET, and for HEAD too,
// which costs the station nothing and lets "curl -I" look; any other method is 405.
Route routeFor(const HttpHead &head, const QSet<QByteArray> &files, const OriginCheck &origins);

// The Sec-WebSocket-Accept value that answers a handshake's Sec-WebSocket-Key.
QByteArray webSocketAccept(const QByteArray &key);
