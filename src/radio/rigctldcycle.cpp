#include "radio/rigctldcycle.h"

namespace {

// rigctld prints frequencies as whole Hz; a fraction is taken to the nearest Hz.
qint64 hertz(const QByteArray &text)
{
    bool ok = false;
    const double hz = text.toDouble(&ok);
    return ok && hz > 0 && hz < 1e13 ? qRound64(hz) : 0;
}

} // namespace

void RigctldCycle::start()
{
    result = RadioReading();
    step = Step::Freq;
}

const char *RigctldCycle::commandName() const
{
    static const char *const names[] = {"", "get_freq", "get_split_vfo", "get_split_freq",
                                        "get_ptt"};
    return names[int(step)];
}

QByteArray RigctldCycle::command() const
{
    return QByteArray("+\\") + commandName() + '\n';
}

RigctldCycle::Result RigctldCycle::ask(Step next)
{
    step = next;
    return Result::Ask;
}

RigctldCycle::Result RigctldCycle::take(const RigctldReply &reply)
{
    // An answer whose header names another command (or that comes unasked) is out of
    // step; one with no header at all is taken as the answer it should be.
    if (step == Step::Idle || (!reply.command.isEmpty() && reply.command != commandName())) {
        step = Step::Idle;
        return Result::OutOfStep;
    }
    const bool ok = reply.code == 0;
    switch (step) {
    case Step::Idle:
        break;
    case Step::Freq:
        result.txHz = ok ? hertz(reply.value("Frequency")) : 0;
        if (result.txHz == 0) {
            step = Step::Idle;
            return Result::NoFrequency;
        }
        return ask(Step::SplitVfo);
    case Step::SplitVfo:
        // A rig without split (RPRT -4, -11) transmits where it receives.
        return ask(ok && reply.value("Split") == "1" ? Step::SplitFreq : Step::Ptt);
    case Step::SplitFreq:
        // If the rig will not tell the TX frequency in split, the receive frequency is the
        // best guess left: a split is nearly always within the band.
        if (const qint64 tx = ok ? hertz(reply.value("TX Frequency")) : 0)
            result.txHz = tx;
        return ask(Step::Ptt);
    case Step::Ptt: {
        // RPRT -11 (not available) is the usual answer where rigctld cannot see PTT.
        const QByteArray ptt = reply.value("PTT");
        if (ok && ptt == "0")
            result.ptt = Ptt::Off;
        else if (ok && (ptt == "1" || ptt == "2" || ptt == "3"))
            result.ptt = Ptt::On;
        break;
    }
    }
    step = Step::Idle;
    return Result::Done;
}
