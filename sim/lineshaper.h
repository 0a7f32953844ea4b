#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <deque>
#include <limits>

// Turns the controller's answers into the writes a controller behind a USB serial adapter
// makes: late, in pieces, a byte at a time at the line's speed, with stray bytes between
// answers. It knows nothing of the pseudo-terminal or the event loop: the caller passes in
// the time on the monotonic clock and performs the writes it is handed, so the timing can
// be checked without either. Every answer goes the same way: delay, short frames put in
// front, cut into two pieces, paced out a byte at a time; noise fills the idle line.
class LineShaper
{
public:
    struct Settings
    {
        int delayMs = 0;      // from the command to the earliest first byte of its answer
        int baud = 0;         // bytes one at a time, 10 bit-times each; 0: at once
        int chunkBytes = 0;   // first piece of every answer; 0: answers go out whole
        int chunkPauseMs = 0; // between the first piece and the rest
        int noiseBps = 0;     // random bytes a second between answers; 0: none
        int shortLength = 0;  // two "IGT" frames this long before status answers; 0: none
    };

    // A labelled stretch of an answer, logged once its last byte is out.
    struct Part
    {
        QByteArray bytes;
        QString kind;
        QString what;
    };

    // One write() on the line. A write never carries bytes of two parts.
    struct Write
    {
        double dueMs = 0;
        QByteArray bytes;
        bool noise = false;
        Part done; // the part whose last byte this is; empty bytes when none
    };

    // How far an answer got when the line went away under it.
    struct Cut
    {
        QString kind;
        int sent = 0;
        int total = 0;
    };

    static constexpr double never = std::numeric_limits<double>::infinity();

    explicit LineShaper(quint32 noiseSeed = 1) : noiseState(noiseSeed ? noiseSeed : 1) {}

    const Settings &settings() const { return current; }
    void setSettings(const Settings &settings, double nowMs);

    // Queues an answer given at nowMs; a status answer gets the short frames in front.
    void submit(const Part &answer, bool statusAnswer, double nowMs);
    // Every write due by nowMs, in order; each byte at its own time when paced.
    QVector<Write> take(double nowMs);
    // When the next write falls due; never while nothing waits.
    double nextDueMs() const;
    // The line went away: forgets the answers queued and the one going out.
    Cut dropAll(double nowMs);

    // Two "IGT" frames of this length (4..12) whose fields show a plausible, wrong state.
    static QByteArray shortFrames(int length);
    static QString describe(const Settings &settings);

private:
    struct Answer
    {
        QVector<Part> parts;
        QByteArray bytes; // the parts back to back
        double readyMs = 0;
        int sent = 0; // bytes handed out so far; the answer is going out once non-zero
        double startMs = 0;
        double byteMs = 0;
        int chunkBytes = 0;
        double pauseMs = 0;
    };

    bool answerGoingOut() const { return !queue.empty() && queue.front().sent > 0; }
    double byteMs() const;
    double answerDueMs() const;
    double noiseDueMs() const;
    Write nextAnswerWrite();
    Write nextNoiseWrite();
    char randomByte();

    Settings current;
    std::deque<Answer> queue;   // the front one goes out first
    double lineFreeMs = -never; // when the last byte handed out has left the line
    double noiseNextMs = 0;
    quint32 noiseState;
};
