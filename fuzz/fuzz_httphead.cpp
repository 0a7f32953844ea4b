// Feeds arbitrary bytes to the station's web side as a browser's request would arrive: the
// head reader, then the route decision for a head read whole. The first byte of an input
// says whether the station serves over TLS (its lowest bit) and how many bytes each read
// delivers (the rest of it, in steps of 16); the rest is the request.
//
// Besides the sanitizers it stops on: a state that changes after it was decided, a head
// called too large before 8 KiB came, a head read whole whose path, version or headers
// break the reader's promises, and a route that is none of the answers the server knows or
// that names a file not bundled.
#include <QSet>
#include <algorithm>
#include <cstdint>

#include "station/httphead.h"
#include "station/httproute.h"
#include "station/origincheck.h"

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkHead(const HttpHead &head)
{
    check(head.path.startsWith('/') && !head.method.isEmpty());
    check(head.version == "HTTP/1.0" || head.version == "HTTP/1.1");
    for (const QByteArray &segment : head.path.split('/'))
        check(segment != "." && segment != "..");
    for (const char c : head.path)
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '\\');
    static const QSet<QByteArray> kept =
        {"host", "origin", "upgrade", "connection", "sec-websocket-key", "sec-websocket-version"};
    for (auto it = head.headers.cbegin(); it != head.headers.cend(); ++it)
        check(kept.contains(it.key()));
    check(head.version == "HTTP/1.0" || head.headers.contains("host"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool tls = data[0] & 1;
    const std::size_t piece = 1 + (data[0] >> 1) * 16;
    HttpHeadReader reader;
    HttpHeadReader::State decided = HttpHeadReader::State::NeedMore;
    std::size_t fed = 0;
    for (std::size_t at = 1; at < size; at += piece) {
        const auto n = int(std::min(piece, size - at));
        const HttpHeadReader::State state =
            reader.feed(QByteArray(reinterpret_cast<const char *>(data + at), n));
        fed += std::size_t(n);
        check(decided == HttpHeadReader::State::NeedMore || state == decided);
        check(state != HttpHeadReader::State::TooLarge || fed >= HttpHeadReader::maxHead);
        decided = state;
    }
    if (decided != HttpHeadReader::State::Complete)
        return 0;
    const HttpHead &head = reader.head();
    checkHead(head);
    static const QSet<QByteArray> files = {"/index.html", "/app.js", "/style.css"};
    const OriginCheck origins(tls, QStringLiteral("https://shack.example.org:4591"));
    const Route route = routeFor(head, files, origins);
    static const QSet<int> statuses = {101, 200, 400, 403, 404, 405};
    check(statuses.contains(route.status));
    check(route.status != 200 || files.contains(route.file));
    check(route.status != 101 || (head.path == "/ws" && head.method == "GET"));
    check(route.status != 405 || !route.allow.isEmpty());
    return 0;
}
