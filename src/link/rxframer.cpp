#include "link/rxframer.h"

#include "link/responses.h"

int RxFramer::frameLength(char kind)
{
    switch (kind) {
    case 'T':
        return statusResponseLength;
    case 'W':
        return firmwareResponseLength;
    default:
        return 0;
    }
}

int RxFramer::append(const char *bytes, int n)
{
    if (n <= 0)
        return 0;
    buffer.append(bytes, n);
    const int excess = int(buffer.size()) - capacity;
    if (excess <= 0)
        return 0;
    buffer.remove(0, excess);
    return excess;
}

RxFramer::Taken RxFramer::next()
{
    const auto drop = [this](int n) {
        Taken t{Step::Discarded, buffer.left(n)};
        buffer.remove(0, n);
        return t;
    };

    const int start = int(buffer.indexOf("IG"));
    if (start < 0) {
        // A lone "I" at the end may be the first byte of the next answer.
        const int keep = buffer.endsWith('I') ? 1 : 0;
        return buffer.size() > keep ? drop(int(buffer.size()) - keep) : Taken{};
    }
    if (start > 0)
        return drop(start);
    if (buffer.size() < 3)
        return {};

    const int length = frameLength(buffer.at(2));
    if (length > 0 && buffer.size() < length)
        return {}; // still arriving
    if (length > 0 && buffer.at(length - 1) == ';') {
        Taken t{Step::Frame, buffer.left(length)};
        buffer.remove(0, length);
        return t;
    }
    // Not a frame after all: resynchronise on the next "IG", which may lie inside
    // what we took for this one's fields.
    const int resync = int(buffer.indexOf("IG", 1));
    if (resync > 0)
        return drop(resync);
    const int keep = buffer.endsWith('I') ? 1 : 0;
    return drop(int(buffer.size()) - keep);
}
