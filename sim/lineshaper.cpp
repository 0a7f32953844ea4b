#include "lineshaper.h"

#include <algorithm>

namespace {

// After a long stall, noise picks up where it is instead of pouring out what it owes.
constexpr double noiseBacklogMs = 100;

} // namespace

void LineShaper::setSettings(const Settings &settings, double nowMs)
{
    if (settings.noiseBps != current.noiseBps && settings.noiseBps > 0)
        noiseNextMs = nowMs + 1000.0 / settings.noiseBps;
    current = settings;
}

double LineShaper::byteMs() const
{
    // 8N1: a start bit, eight data bits and a stop bit.
    return current.baud > 0 ? 10 * 1000.0 / current.baud : 0;
}

void LineShaper::submit(const Part &answer, bool statusAnswer, double nowMs)
{
    Answer a;
    if (statusAnswer && current.shortLength > 0)
        a.parts.append({shortFrames(current.shortLength), "short", "two short frames"});
    a.parts.append(answer);
    for (const Part &p : a.parts)
        a.bytes += p.bytes;
    a.readyMs = nowMs + current.delayMs;
    if (!a.bytes.isEmpty())
        queue.push_back(a);
}

double LineShaper::answerDueMs() const
{
    if (queue.empty())
        return never;
    const Answer &a = queue.front();
    if (a.sent == 0)
        return std::max(a.readyMs, lineFreeMs);
    const bool afterPause = a.chunkBytes > 0 && a.sent >= a.chunkBytes;
    return a.startMs + a.sent * a.byteMs + (afterPause ? a.pauseMs : 0);
}

double LineShaper::noiseDueMs() const
{
    if (current.noiseBps <= 0 || answerGoingOut())
        return never;
    return std::max(noiseNextMs, lineFreeMs);
}

double LineShaper::nextDueMs() const
{
    return std::min(answerDueMs(), noiseDueMs());
}

QVector<LineShaper::Write> LineShaper::take(double nowMs)
{
    noiseNextMs = std::max(noiseNextMs, nowMs - noiseBacklogMs);
    QVector<Write> writes;
    for (;;) {
        const double answerDue = answerDueMs();
        const double noiseDue = noiseDueMs();
        if (std::min(answerDue, noiseDue) > nowMs)
            return writes;
        writes.append(answerDue <= noiseDue ? nextAnswerWrite() : nextNoiseWrite());
    }
}

LineShaper::Write LineShaper::nextAnswerWrite()
{
    Write w;
    w.dueMs = answerDueMs();
    Answer &a = queue.front();
    if (a.sent == 0) {
        // What the line does to an answer is fixed when it begins to go out.
        a.startMs = w.dueMs;
        a.byteMs = byteMs();
        a.chunkBytes = current.chunkBytes;
        a.pauseMs = current.chunkPauseMs;
    }
    int partEnd = 0;
    const Part *part = nullptr;
    for (const Part &p : a.parts) {
        partEnd += p.bytes.size();
        part = &p;
        if (partEnd > a.sent)
            break;
    }
    int end = partEnd;
    if (a.byteMs > 0)
        end = a.sent + 1;
    else if (a.chunkBytes > 0 && a.sent < a.chunkBytes)
        end = std::min(end, a.chunkBytes);
    w.bytes = a.bytes.mid(a.sent, end - a.sent);
    if (end == partEnd)
        w.done = *part;
    a.sent = end;
    if (a.sent == a.bytes.size()) {
        lineFreeMs = w.dueMs + a.byteMs;
        noiseNextMs = std::max(noiseNextMs, lineFreeMs); // noise waited; it does not catch up
        queue.pop_front();
    }
    return w;
}

LineShaper::Write LineShaper::nextNoiseWrite()
{
    Write w;
    w.dueMs = noiseDueMs();
    w.noise = true;
    w.bytes = QByteArray(1, randomByte());
    lineFreeMs = w.dueMs + byteMs();
    noiseNextMs = w.dueMs + std::max(1000.0 / current.noiseBps, byteMs());
    return w;
}

char LineShaper::randomByte()
{
    // xorshift32: reproducible runs, and every byte value from 0 to 255 turns up.
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return static_cast<char>(noiseState >> 24);
}

LineShaper::Cut LineShaper::dropAll(double nowMs)
{
    Cut cut;
    if (answerGoingOut()) {
        const Answer &a = queue.front();
        cut = {a.parts.last().kind, a.sent, int(a.bytes.size())};
    }
    queue.clear();
    lineFreeMs = nowMs;
    noiseNextMs = std::max(noiseNextMs, nowMs);
    return cut;
}

QByteArray LineShaper::shortFrames(int length)
{
    // Read at a full frame's positions these say TX 5, split on, antennas 1 and 3 busy,
    // rotor 2, a super split group of antennas 1 and 6, transmitting: a panel that
    // decodes frames of the wrong length paints a state nobody set. No field is ";", so
    // counting 13 bytes from the first "IG" never lands on a frame end.
    static const char fields[] = {0x04, 0x01, char(0xFA), 0x02, 0x21, 0x01, 0x06, 0x02};
    const int n = std::clamp(length, 4, 12) - 4;
    const QByteArray frame = "IGT" + QByteArray(fields, n) + ';';
    return frame + frame;
}

QString LineShaper::describe(const Settings &s)
{
    auto offOr = [](int value, const QString &text) { return value > 0 ? text : "off"; };
    return QString("delay %1 ms, baud %2, chunk %3, noise %4, short %5")
        .arg(s.delayMs)
        .arg(offOr(s.baud, QString::number(s.baud)))
        .arg(offOr(s.chunkBytes, QString("%1 bytes + %2 ms").arg(s.chunkBytes).arg(s.chunkPauseMs)))
        .arg(offOr(s.noiseBps, QString("%1 B/s").arg(s.noiseBps)))
        .arg(offOr(s.shortLength, QString::number(s.shortLength)));
}
