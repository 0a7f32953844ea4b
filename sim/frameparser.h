#pragma once

#include <QByteArray>
#include <QVector>

// Cuts the byte stream from the panel into command frames. Every command starts with
// "IG", its letter fixes its length (W 4; T, S, Y, X, Q 5; V 6; P 7) and it ends
// with ";". We never search for the ";" itself: the super-split mask is a raw byte
// that may be a ";" too, so only the length tells where a command ends.
class FrameParser
{
public:
    struct Chunk
    {
        enum Kind { Command, Garbage };
        Kind kind;
        QByteArray bytes;
    };

    // Length of the command with this letter, or 0 for a letter we do not know.
    static int commandLength(char letter);

    // Appends bytes and returns every complete command and every stretch of bytes
    // that cannot start or complete one, in stream order. A command that has begun
    // but is not complete stays pending.
    QVector<Chunk> feed(const QByteArray &bytes);

    // Bytes of a command begun but not yet complete.
    const QByteArray &pending() const { return buffer; }

    // Gives up on the pending bytes (the rest never came) and returns them.
    QByteArray takePending();

    void reset() { buffer.clear(); }

private:
    QByteArray buffer;
};
