#pragma once

#include <QByteArray>

#include "radio/radioreading.h"
#include "radio/rigctldreply.h"

// One round of questions to rigctld and what its answers make of the radio, one command
// at a time: get_freq, get_split_vfo, get_split_freq only when split is on (the TX
// frequency is then the one that counts), get_ptt. No sockets here: the source sends
// command() and hands each answer to take().
class RigctldCycle
{
public:
    enum class Result {
        Ask,         // send command() next
        Done,        // reading() is complete; the cycle is idle again
        NoFrequency, // rigctld answered get_freq with an error (rig off, not answering)
        OutOfStep,   // not the answer to what was asked: not rigctld, or not in step
    };

    // Begins a round; the first command is get_freq.
    void start();
    // Forgets the round in progress, as when the connection goes.
    void reset() { step = Step::Idle; }
    bool isIdle() const { return step == Step::Idle; }

    // The command in progress, as a line to send ("+\get_freq\n"), and its bare name.
    QByteArray command() const;
    const char *commandName() const;

    // Takes the answer to the command in progress. Anything but Ask leaves the cycle idle.
    Result take(const RigctldReply &reply);
    RadioReading reading() const { return result; }

private:
    enum class Step { Idle, Freq, SplitVfo, SplitFreq, Ptt };
    Result ask(Step next);

    Step step = Step::Idle;
    RadioReading result;
};
