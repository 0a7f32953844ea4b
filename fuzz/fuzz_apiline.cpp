// Feeds arbitrary byte streams through what the station does with a client's bytes: the
// line reader, the command parser, and the replies and pushed lines made from what was
// read. The first byte of an input sets how many bytes each read delivers (1 to 64), so
// an ending, a CRLF or a 257th byte falls across reads as often as within one; the rest
// is the stream. Each input is a new connection.
//
// Besides the sanitizers it stops on: a line past 256 bytes or holding an ending, a line
// taken after an overrun, a command whose values are out of their ranges, an answer or a
// pushed line that is not one printable line of the expected parts, and a free text that
// does not decode back to what was written.
#include <QString>
#include <algorithm>
#include <cstdint>

#include "station/apicommand.h"
#include "station/linereader.h"
#include "station/pushlines.h"

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// One printable line with exactly `bars` '|' in it.
void checkLine(const QByteArray &line, int bars)
{
    for (const char c : line)
        check(c >= ' ' && c <= '~');
    check(line.count('|') == bars);
}

void checkCommand(const ParsedLine &parsed, const QByteArray &line)
{
    const ApiCommand &c = parsed.command;
    check(line.startsWith('C' + QByteArray::number(parsed.seq) + '|'));
    switch (c.verb) {
    case Verb::Auth:
        check(!c.token.isEmpty() && c.token.size() <= ApiCommand::maxToken);
        break;
    case Verb::SelectTx:
        check(c.antenna >= 1 && c.antenna <= 8);
        break;
    case Verb::SelectRx:
        check((c.receive >= 0 && c.receive <= 3) || c.receive == 8);
        break;
    case Verb::Split:
        check(c.antenna >= 1 && c.antenna <= 8 && c.splitAntenna >= 1 && c.splitAntenna <= 8);
        check(c.antenna != c.splitAntenna);
        break;
    case Verb::SuperSplit:
        check(c.group.size() >= 2 && c.group.size() <= 8);
        for (const int position : c.group)
            check(position >= 1 && position <= 8 && c.group.count(position) == 1);
        break;
    case Verb::Rotor:
        check(c.rotor >= 0 && c.rotor <= 4);
        break;
    case Verb::Subscribe:
        check(c.topics != 0 && (c.topics & ~TopicAll) == 0);
        break;
    default:
        break;
    }
}

// What the station would send back for this line, and lines carrying its bytes as text.
void answer(const QByteArray &line)
{
    check(line.size() <= LineReader::maxLine && !line.contains('\n') && !line.contains('\r'));
    const ParsedLine parsed = parseLine(line);
    check(parsed.blank == line.isEmpty());
    if (parsed.blank)
        return;
    if (parsed.code == ReplyCode::Ok)
        checkCommand(parsed, line);
    else
        check(!parsed.reason.isEmpty());
    const QByteArray reply = replyLine(parsed.seq, parsed.code, parsed.reason);
    checkLine(reply, 2);
    check(reply.startsWith('R' + QByteArray::number(parsed.seq) + '|'));

    // Every byte value as text, Latin-1 read, so each becomes one or two bytes of UTF-8.
    const QString text = QString::fromLatin1(line);
    const QByteArray field = fieldText(text);
    check(QByteArray::fromPercentEncoding(field) == text.toUtf8());
    for (const QByteArray &item : listReply(parsed.seq, {antennaItem(1, text)}))
        checkLine(item, 2);
    SwitchStatus status;
    if (line.size() >= 9)
        status = {quint8(line[0]), quint8(line[1]), quint8(line[2]),
                  quint8(line[3]), quint8(line[4]), quint8(line[5]),
                  quint8(line[6]), quint8(line[7]), quint8(line[8])};
    const QByteArray pushed = switchLine(status, text);
    checkLine(pushed, 1);
    check(pushed.count(' ') == 10 && pushed.endsWith(" by=" + field));
    checkLine(greeting(text, text, true), 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 64;
    LineReader reader;
    bool overran = false;
    for (std::size_t at = 1; at < size; at += piece) {
        const auto n = int(std::min(piece, size - at));
        const LineReader::Lines got =
            reader.feed(QByteArray(reinterpret_cast<const char *>(data + at), n));
        check(!overran || (got.tooLong && got.lines.isEmpty()));
        for (const QByteArray &line : got.lines)
            answer(line);
        overran = got.tooLong;
    }
    return 0;
}
