#pragma once

#include <QByteArray>
#include <QList>

// Cuts a client's byte stream into command lines, whatever pieces the socket delivers. A
// line ends at LF, CR or CRLF; the LF of a CRLF split between two reads ends nothing. An
// empty line is handed out like any other: the parser calls it blank and nothing answers
// it, so a person typing into a terminal may press Enter freely.
//
// What waits for its ending is bounded: a line with more than maxLine bytes before its
// ending makes the reader give up on the 257th byte, keep nothing, and take nothing more;
// the server answers code 50 and closes. Bytes are passed on as they came: whether they
// are printable is the parser's question, so that its answer can still carry the seq.
class LineReader
{
public:
    static constexpr int maxLine = 256;

    struct Lines
    {
        QList<QByteArray> lines; // complete lines, without their endings, in order
        bool tooLong = false;    // after these lines, one ran past maxLine
    };

    Lines feed(const QByteArray &chunk);

private:
    QByteArray partial;   // the line still arriving, at most maxLine bytes
    bool afterCr = false; // the last line ended with CR: an LF now is the rest of it
    bool overrun = false;
};
