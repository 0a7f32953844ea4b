#pragma once

#include <QByteArray>

// Serial input is a stream, not a sequence of answers: bytes arrive late, in pieces,
// and mixed with noise. RxFramer keeps what has arrived in one bounded buffer and
// takes the controller's answers out of it by their known lengths.
class RxFramer
{
public:
    // Room for a few seconds of a noisy line. What overflows is the oldest: an answer
    // that old is no use to anyone.
    static constexpr int capacity = 4096;

    // Appends what a read delivered and returns how many of the oldest bytes had to go
    // to stay within the capacity.
    int append(const char *bytes, int n);

    enum class Step {
        Frame,     // `bytes` is a whole frame of a kind we know
        Discarded, // `bytes` cannot be part of any frame and were dropped
        Waiting,   // nothing more until more bytes arrive
    };
    struct Taken
    {
        Step step = Step::Waiting;
        QByteArray bytes;
    };

    // The next thing the buffer yields, in stream order. A frame is "IG", its kind, the
    // kind's exact length and a closing ";": status "T" 13 bytes, firmware "W" 6. A
    // candidate that does not fit is dropped up to the next "IG", so one bad answer
    // never shifts the ones after it. A frame still arriving waits, whole.
    Taken next();

    int size() const { return int(buffer.size()); }
    void clear() { buffer.clear(); }

    // The frame length of a response kind, or 0 for a kind we do not know.
    static int frameLength(char kind);

private:
    QByteArray buffer;
};
