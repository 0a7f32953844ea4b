#include "station/linereader.h"

LineReader::Lines LineReader::feed(const QByteArray &chunk)
{
    Lines out;
    out.tooLong = overrun;
    if (overrun)
        return out;
    for (const char c : chunk) {
        const bool crBefore = afterCr;
        afterCr = c == '\r';
        if (c == '\n' && crBefore)
            continue;
        if (c == '\r' || c == '\n') {
            out.lines.append(partial);
            partial.clear();
        } else if (partial.size() < maxLine) {
            partial.append(c);
        } else {
            // Whatever the client meant, it is not one of our commands; holding on to
            // more of it would only let it fill our memory.
            partial.clear();
            overrun = out.tooLong = true;
            break;
        }
    }
    return out;
}
