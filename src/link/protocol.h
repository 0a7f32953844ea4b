#pragma once

#include <QtGlobal>

#include <QByteArray>

// The bytes the panel sends to the switch controller.

// A queued switching command: low byte the ASCII command letter, high byte its argument.
using CommandWord = quint16;

constexpr CommandWord makeCommandWord(char letter, quint8 argument)
{
    return CommandWord((quint16(argument) << 8) | quint8(letter));
}
constexpr char commandLetter(CommandWord word)
{
    return char(word & 0xFF);
}
constexpr quint8 commandArgument(CommandWord word)
{
    return quint8(word >> 8);
}

// The longest command, "IGP" with two positions, a flag and ";".
constexpr int txBufferSize = 7;

// Assemble into buffer (at least txBufferSize bytes) from position 0 and return the
// number of bytes to write, through the ";".
int assemblePoll(quint8 *buffer);          // "IGT3;"  5 bytes
int assembleFirmwareQuery(quint8 *buffer); // "IGW;"   4 bytes
// S, Y, X, Q: 5 bytes; V: 6; P: 7. An unknown letter assembles nothing and returns 0.
int assembleCommand(CommandWord word, quint8 *buffer);

// The same frames, whole; an unknown word gives no bytes.
QByteArray pollFrame();
QByteArray firmwareQueryFrame();
QByteArray commandFrame(CommandWord word);
