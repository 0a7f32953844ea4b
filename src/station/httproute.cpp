#include "station/httproute.h"

#include <QCryptographicHash>
#include <QList>

#include "station/httphead.h"
#include "station/origincheck.h"

namespace {

// Whether a comma-separated header value holds the word, in any case.
bool listHas(const QByteArray &value, const QByteArray &word)
{
    for (const QByteArray &item : value.split(',')) {
        if (item.trimmed().toLower() == word)
            return true;
    }
    return false;
}

bool isHandshake(const HttpHead &head)
{
    const auto key = QByteArray::fromBase64Encoding(head.header("sec-websocket-key"),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    return head.version == "HTTP/1.1" && listHas(head.header("upgrade"), "websocket")
           && listHas(head.header("connection"), "upgrade")
           && head.header("sec-websocket-version") == "13" && key && (*key).size() == 16;
}

Route refusal(int status, const QByteArray &allow = {})
{
    return Route{status, {}, allow};
}

} // namespace

Route routeFor(const HttpHead &head, const QSet<QByteArray> &files, const OriginCheck &origins)
{
    if (head.path == "/ws") {
        if (head.method != "GET")
            return refusal(405, "GET");
        if (!isHandshake(head))
            return refusal(400);
        return origins.allows(head) ? Route{101, {}, {}} : refusal(403);
    }
    if (head.method != "GET" && head.method != "HEAD")
        return refusal(405, "GET, HEAD");
    const QByteArray file = head.path == "/" ? QByteArray("/index.html") : head.path;
    return files.contains(file) ? Route{200, file, {}} : refusal(404);
}

QByteArray webSocketAccept(const QByteArray &key)
{
    return QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                    QCryptographicHash::Sha1)
        .toBase64();
}
