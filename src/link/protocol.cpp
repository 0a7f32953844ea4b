#include "link/protocol.h"

// Every byte the panel writes to the controller is laid out here, and only here.

namespace {

// The longest command, "IGP" with two positions, a flag and ";".
constexpr int txBufferSize = 7;

// Digits are formed by adding to a base character; the controller expects the
// 8-bit wrap-around, not a clamp.
quint8 digit(quint8 base, quint8 value)
{
    return quint8(base + value);
}

int assembleHeader(quint8 *buffer, char letter)
{
    buffer[0] = 'I';
    buffer[1] = 'G';
    buffer[2] = quint8(letter);
    return 3;
}

int assemblePoll(quint8 *buffer)
{
    int n = assembleHeader(buffer, 'T');
    buffer[n++] = '3'; // fixed by the controller's firmware
    buffer[n++] = ';';
    return n;
}

int assembleFirmwareQuery(quint8 *buffer)
{
    int n = assembleHeader(buffer, 'W');
    buffer[n++] = ';';
    return n;
}

int assembleCommand(CommandWord word, quint8 *buffer)
{
    const char letter = commandLetter(word);
    const quint8 argument = commandArgument(word);
    const quint8 high = argument >> 4;
    const quint8 low = argument & 0x0F;

    switch (letter) {
    case 'S': // select TX antenna 0..7
    case 'Y': // receive antenna 0..3, 8 for RTX
    case 'X': // release, 1 for "Release ALL"
    {
        int n = assembleHeader(buffer, letter);
        buffer[n++] = digit('0', argument);
        buffer[n++] = ';';
        return n;
    }
    case 'Q': // super split: the group mask goes out as a raw byte, even when it is ';'
    {
        int n = assembleHeader(buffer, letter);
        buffer[n++] = argument;
        buffer[n++] = ';';
        return n;
    }
    case 'V': // rotor: TX position + 1, then the rotor (0 when it was already active)
    {
        int n = assembleHeader(buffer, letter);
        buffer[n++] = digit('0', high);
        buffer[n++] = digit('0', low);
        buffer[n++] = ';';
        return n;
    }
    case 'P': // split: positions counted from "/" so that 0 reads "no position"
    {
        int n = assembleHeader(buffer, letter);
        buffer[n++] = digit(0x2F, high);
        buffer[n++] = digit(0x2F, low);
        buffer[n++] = low != 0 ? '1' : '0';
        buffer[n++] = ';';
        return n;
    }
    default:
        return 0;
    }
}

template<typename Assemble> QByteArray frameOf(Assemble assemble)
{
    quint8 buffer[txBufferSize] = {};
    const int n = assemble(buffer);
    return QByteArray(reinterpret_cast<const char *>(buffer), n);
}
} // namespace

QByteArray pollFrame()
{
    return frameOf(assemblePoll);
}

QByteArray firmwareQueryFrame()
{
    return frameOf(assembleFirmwareQuery);
}

QByteArray commandFrame(CommandWord word)
{
    return frameOf([word](quint8 *buffer) { return assembleCommand(word, buffer); });
}
