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

// The frames, whole: "IGT3;", "IGW;", and S, Y, X, Q in 5 bytes, V in 6, P in 7. An
// unknown word gives no bytes.
QByteArray pollFrame();
QByteArray firmwareQueryFrame();
QByteArray commandFrame(CommandWord word);
