#include "simulator.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// How long a command begun may wait for its remaining bytes before we call it broken.
constexpr int pendingLimitMs = 250;

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// The line settings with one console command's change made.
LineShaper::Settings adjusted(LineShaper::Settings line, const ConsoleCommand &c)
{
    switch (c.verb) {
    case ConsoleCommand::Delay:
        line.delayMs = c.number;
        break;
    case ConsoleCommand::Baud:
        line.baud = c.number;
        break;
    case ConsoleCommand::Chunk:
        line.chunkBytes = c.number;
        line.chunkPauseMs = c.second;
        break;
    case ConsoleCommand::Noise:
        line.noiseBps = c.number;
        break;
    case ConsoleCommand::Short:
        line.shortLength = c.number;
        break;
    default:
        break;
    }
    return line;
}

void say(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

Simulator::Simulator(const ControllerModel &model, const FaultPlan &faults, const Options &options,
                     QObject *parent)
    : QObject(parent), model(model), faults(faults), options(options)
{
    pendingTimer = new QTimer(this);
    pendingTimer->setSingleShot(true);
    pendingTimer->setInterval(pendingLimitMs);
    connect(pendingTimer, &QTimer::timeout, this, &Simulator::giveUpPending);
    // Paced bytes fall due about a millisecond apart; a coarse timer would bunch them.
    lineTimer = new QTimer(this);
    lineTimer->setSingleShot(true);
    lineTimer->setTimerType(Qt::PreciseTimer);
    connect(lineTimer, &QTimer::timeout, this, &Simulator::pumpLine);
    noiseNoteTimer = new QTimer(this);
    noiseNoteTimer->setSingleShot(true);
    noiseNoteTimer->setInterval(1000);
    connect(noiseNoteTimer, &QTimer::timeout, this, &Simulator::noteNoise);
}

Simulator::~Simulator()
{
    closeLine(false);
}

bool Simulator::catchTerminationSignals(QString *error)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = QString("pipe: ") + std::strerror(errno);
        return false;
    }
    struct sigaction action
    {
    };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    return true;
}

bool Simulator::start(QString *error)
{
    if (!options.logPath.isEmpty() && !log.openMachineLog(options.logPath, error))
        return false;
    if (!openLine(error))
        return false;
    changeLine(options.line);

    if (signalPipe[0] >= 0) {
        auto *terminations = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(terminations, &QSocketNotifier::activated, this, [this]() {
            log.event("signal", "terminated by a signal");
            shutdown();
        });
    }
    consoleNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(consoleNotifier, &QSocketNotifier::activated, this, &Simulator::readConsole);

    say(QString::fromUtf8("Type this path into Serial Settings \u203a Custom: ")
        + options.linkPath);
    log.event("start", QString("controller on %1 via %2; %3")
                           .arg(pty.slavePath(), options.linkPath, model.summary()));
    return true;
}

bool Simulator::openLine(QString *error)
{
    if (!pty.open(error) || !pty.pointLink(options.linkPath, error)) {
        pty.close();
        return false;
    }
    masterNotifier = new QSocketNotifier(pty.masterFd(), QSocketNotifier::Read, this);
    connect(masterNotifier, &QSocketNotifier::activated, this, &Simulator::readMaster);
    shaper.dropAll(monotonicNowMs()); // noise owed while the line was away is not paid
    pumpLine();
    return true;
}

void Simulator::closeLine(bool keepLink)
{
    delete masterNotifier;
    masterNotifier = nullptr;
    parser.reset();
    pendingTimer->stop();
    lineTimer->stop();
    noteNoise();
    partWritten.clear();
    partLost = 0;
    partError.clear();
    if (!pty.isOpen())
        return;
    const LineShaper::Cut cut = shaper.dropAll(monotonicNowMs());
    if (cut.total > 0)
        log.event("abandoned", QString("%1 answer cut off after %2 of %3 bytes")
                                   .arg(cut.kind)
                                   .arg(cut.sent)
                                   .arg(cut.total));
    const QString slave = pty.slavePath();
    pty.close();
    if (!keepLink)
        PtyEndpoint::removeLink(options.linkPath, slave);
}

void Simulator::readMaster()
{
    char chunk[256];
    for (;;) {
        const ssize_t n = ::read(pty.masterFd(), chunk, sizeof chunk);
        if (n > 0) {
            for (const FrameParser::Chunk &c : parser.feed(QByteArray(chunk, int(n)))) {
                if (c.kind == FrameParser::Chunk::Command)
                    handleCommandFrame(c.bytes);
                else
                    log.received(c.bytes, "garbage", "unrecognised bytes");
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: drained. EIO cannot happen while we hold the other end.
    }
    if (parser.pending().isEmpty())
        pendingTimer->stop();
    else if (!pendingTimer->isActive())
        pendingTimer->start();
}

void Simulator::giveUpPending()
{
    const QByteArray rest = parser.takePending();
    if (!rest.isEmpty())
        log.received(rest, "garbage", "incomplete command, the rest never came");
}

void Simulator::handleCommandFrame(const QByteArray &frame)
{
    const ControllerModel::Outcome out = model.apply(frame);
    log.received(frame, out.recognised ? out.kind : QString("unknown"), out.description);
    const QByteArray bytes = faults.shape(out.kind, out.reply);
    if (bytes.isEmpty()) {
        if (!out.reply.isEmpty())
            log.event("silent", "answer withheld");
        return;
    }
    QString kind = out.kind;
    if (faults.wrongDevice)
        kind = "wrongdevice";
    else if (bytes != out.reply)
        kind = bytes.startsWith("IG") ? "truncated" : "garbage";
    const QString what = kind == out.kind ? QString("answer") : "answer spoiled: " + kind;
    const bool status = out.kind == QLatin1String("poll") && !faults.wrongDevice;
    shaper.submit({bytes, kind, what}, status, monotonicNowMs());
    pumpLine();
}

// Writes what has fallen due and sets the timer for what comes next. Each part of an
// answer is logged once, when its last byte is out.
void Simulator::pumpLine()
{
    if (!pty.isOpen())
        return;
    for (const LineShaper::Write &w : shaper.take(monotonicNowMs())) {
        QString error;
        const int n = writeToLine(w.bytes, &error);
        const int lost = int(w.bytes.size()) - n;
        if (w.noise) {
            noiseWritten += n;
            noiseLost += lost;
            if (!noiseNoteTimer->isActive())
                noiseNoteTimer->start();
            continue;
        }
        partWritten += w.bytes.left(n);
        partLost += lost;
        if (lost > 0 && partError.isEmpty())
            partError = error;
        if (w.done.bytes.isEmpty())
            continue;
        if (partLost == 0)
            log.sent(w.done.bytes, w.done.kind, w.done.what);
        else
            log.sent(partWritten, w.done.kind,
                     QString("only %1 of %2 bytes written: %3")
                         .arg(partWritten.size())
                         .arg(w.done.bytes.size())
                         .arg(partError));
        partWritten.clear();
        partLost = 0;
        partError.clear();
    }
    const double waitMs = std::ceil(shaper.nextDueMs() - monotonicNowMs());
    if (std::isinf(waitMs))
        lineTimer->stop();
    else
        lineTimer->start(int(qBound(0.0, waitMs, 3600000.0)));
}

int Simulator::writeToLine(const QByteArray &bytes, QString *error)
{
    int done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(pty.masterFd(), bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += int(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            *error = std::strerror(errno);
            break;
        }
    }
    return done;
}

void Simulator::noteNoise()
{
    noiseNoteTimer->stop();
    if (noiseWritten == 0 && noiseLost == 0)
        return;
    QString what = QString("%1 random bytes between answers").arg(noiseWritten);
    if (noiseLost > 0)
        what += QString(", %1 more the line would not take").arg(noiseLost);
    log.event("noise", what);
    noiseWritten = 0;
    noiseLost = 0;
}

void Simulator::changeLine(const LineShaper::Settings &settings)
{
    if (settings.noiseBps == 0)
        noteNoise();
    shaper.setSettings(settings, monotonicNowMs());
    pumpLine();
}

void Simulator::readConsole()
{
    char chunk[512];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        // End of input: keep playing the controller, just stop listening.
        consoleNotifier->setEnabled(false);
        return;
    }
    consoleBuffer.append(chunk, int(n));
    int newline;
    while ((newline = consoleBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(consoleBuffer.left(newline));
        consoleBuffer.remove(0, newline + 1);
        execute(parseConsoleCommand(line));
    }
}

void Simulator::execute(const ConsoleCommand &c)
{
    switch (c.verb) {
    case ConsoleCommand::Empty:
        return;
    case ConsoleCommand::Invalid:
        log.event("console", c.error);
        return;
    case ConsoleCommand::Busy:
        model.busyAntennas = static_cast<quint8>(c.number);
        break;
    case ConsoleCommand::Tx:
        model.transmitting = c.flag;
        break;
    case ConsoleCommand::Firmware:
        model.firmwareMajor = static_cast<quint8>(c.number);
        model.firmwareMinor = static_cast<quint8>(c.second);
        break;
    case ConsoleCommand::Silent:
        faults.silent = c.flag;
        break;
    case ConsoleCommand::Garbage:
        faults.garbageLeft = c.number;
        break;
    case ConsoleCommand::Truncate:
        faults.truncateLeft = c.number;
        faults.truncatedLength = c.second;
        break;
    case ConsoleCommand::WrongDevice:
        faults.wrongDevice = c.flag;
        break;
    case ConsoleCommand::Delay:
    case ConsoleCommand::Baud:
    case ConsoleCommand::Chunk:
    case ConsoleCommand::Noise:
    case ConsoleCommand::Short:
        changeLine(adjusted(shaper.settings(), c));
        break;
    case ConsoleCommand::Hangup:
        hangup(c.number, c.flag);
        return;
    case ConsoleCommand::Help:
        log.event("console", QString::fromLatin1(consoleHelp));
        return;
    case ConsoleCommand::Status:
        break;
    case ConsoleCommand::Quit:
        log.event("console", "quit");
        shutdown();
        return;
    }
    log.event("console",
              QString("%1; silent %2, garbage %3, truncate %4, wrong device %5; %6")
                  .arg(model.summary(), faults.silent ? "on" : "off")
                  .arg(faults.garbageLeft)
                  .arg(faults.truncateLeft)
                  .arg(faults.wrongDevice ? "on" : "off", LineShaper::describe(shaper.settings())));
}

void Simulator::hangup(int ms, bool keepLink)
{
    if (!pty.isOpen()) {
        log.event("console", "already hung up");
        return;
    }
    closeLine(keepLink);
    log.event("hangup", QString("line closed for %1 ms, link %2")
                            .arg(ms)
                            .arg(keepLink ? "left dangling" : "removed"));
    QTimer::singleShot(ms, this, &Simulator::comeBack);
}

void Simulator::comeBack()
{
    if (pty.isOpen())
        return;
    QString error;
    if (!openLine(&error)) {
        log.event("error", "cannot come back: " + error);
        QTimer::singleShot(1000, this, &Simulator::comeBack);
        return;
    }
    log.event("back", QString("controller on %1 via %2").arg(pty.slavePath(), options.linkPath));
    say("Back on " + options.linkPath);
}

void Simulator::shutdown()
{
    closeLine(false);
    QCoreApplication::exit(0);
}
