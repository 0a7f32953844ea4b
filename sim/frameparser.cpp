#include "frameparser.h"

int FrameParser::commandLength(char letter)
{
    switch (letter) {
    case 'W':
        return 4;
    case 'T':
    case 'S':
    case 'Y':
    case 'X':
    case 'Q':
        return 5;
    case 'V':
        return 6;
    case 'P':
        return 7;
    default:
        return 0;
    }
}

QByteArray FrameParser::takePending()
{
    QByteArray rest;
    rest.swap(buffer);
    return rest;
}

QVector<FrameParser::Chunk> FrameParser::feed(const QByteArray &bytes)
{
    buffer.append(bytes);
    QVector<Chunk> chunks;
    QByteArray garbage;
    auto flushGarbage = [&chunks, &garbage]() {
        if (!garbage.isEmpty())
            chunks.append({Chunk::Garbage, garbage});
        garbage.clear();
    };

    int pos = 0;
    while (pos < buffer.size()) {
        const int left = buffer.size() - pos;
        if (buffer.at(pos) != 'I') {
            garbage.append(buffer.at(pos++));
            continue;
        }
        if (left < 2)
            break; // a lone "I" may be the start of the next command
        if (buffer.at(pos + 1) != 'G') {
            garbage.append(buffer.at(pos++));
            continue;
        }
        if (left < 3)
            break;
        const int length = commandLength(buffer.at(pos + 2));
        if (length == 0) {
            garbage.append(buffer.at(pos++));
            continue;
        }
        if (left < length)
            break;
        if (buffer.at(pos + length - 1) != ';') {
            // Cut short or corrupted: skip the "I" and look for the next start, so
            // a whole command that follows a broken one is still found.
            garbage.append(buffer.at(pos++));
            continue;
        }
        flushGarbage();
        chunks.append({Chunk::Command, buffer.mid(pos, length)});
        pos += length;
    }
    flushGarbage();
    buffer.remove(0, pos);
    return chunks;
}
