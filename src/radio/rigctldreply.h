#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One answer of rigctld's extended protocol (a command sent with a leading "+"):
//   get_split_vfo:
//   Split: 1
//   TX VFO: VFOB
//   RPRT 0
struct RigctldReply
{
    QByteArray command; // the header without its colon ("get_split_vfo"); empty if none came
    QList<QPair<QByteArray, QByteArray>> values; // "Key: value" lines, in order
    int code = 0; // the RPRT code: 0 done, -11 not available, other negatives errors

    // The value of the first line with that key, or a null array when there is none.
    QByteArray value(const QByteArray &key) const;
};

// Takes rigctld's answers out of a TCP stream, whatever pieces the reads deliver. The
// peer on that port may not be rigctld at all, so everything held is bounded: a line
// that runs past maxLine is thrown away up to its newline, and an answer that goes past
// maxLines without its RPRT line is given up. Either way the rest of that answer, up to
// and including its RPRT line, goes too, and overran() says so from then on: a peer that
// talks like that is not worth listening to any longer.
class RigctldReplyReader
{
public:
    static constexpr int maxLine = 1024;
    static constexpr int maxLines = 16;

    // Every answer completed by these bytes, in order.
    QList<RigctldReply> feed(const QByteArray &bytes);

    // Forgets any partial line and answer, as after a new connection.
    void reset();
    // A line or an answer went past its limit since the last reset.
    bool overran() const { return overrun; }

private:
    void takeLine(const QByteArray &line, QList<RigctldReply> &done);
    void drop();

    QByteArray partial;      // the line still arriving
    bool skipping = false;   // inside an overlong line: drop up to its newline
    bool discarding = false; // inside a dropped answer: drop up to its RPRT line
    RigctldReply current;
    int lines = 0; // lines of `current` so far
    bool overrun = false;
};
