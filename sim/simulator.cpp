#include "simulator.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
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

void say(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

Simulator::Simulator(const ControllerModel &model, const FaultPlan &faults,
                     const Options &options, QObject *parent)
    : QObject(parent), model(model), faults(faults), options(options)
{
    pendingTimer = new QTimer(this);
    pendingTimer->setSingleShot(true);
    pendingTimer->setInterval(pendingLimitMs);
    connect(pendingTimer, &QTimer::timeout, this, &Simulator::giveUpPending);
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
    struct sigaction action{};
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
    return true;
}

void Simulator::closeLine(bool keepLink)
{
    delete masterNotifier;
    masterNotifier = nullptr;
    ++lineGeneration;
    parser.reset();
    pendingTimer->stop();
    if (!pty.isOpen())
        return;
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
    if (bytes != out.reply)
        kind = bytes.startsWith("IG") ? "truncated" : "garbage";
    answer(bytes, kind, kind == out.kind ? QString("answer") : "answer spoiled: " + kind);
}

void Simulator::answer(const QByteArray &bytes, const QString &kind, const QString &what)
{
    if (options.delayMs <= 0) {
        writeNow(bytes, kind, what);
        return;
    }
    const quint64 generation = lineGeneration;
    QTimer::singleShot(options.delayMs, this, [this, generation, bytes, kind, what]() {
        if (generation == lineGeneration)
            writeNow(bytes, kind, what);
    });
}

void Simulator::writeNow(const QByteArray &bytes, const QString &kind, const QString &what)
{
    int done = 0;
    while (pty.isOpen() && done < bytes.size()) {
        const ssize_t n = ::write(pty.masterFd(), bytes.constData() + done, bytes.size() - done);
        if (n > 0)
            done += int(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    if (done == bytes.size())
        log.sent(bytes, kind, what);
    else
        log.sent(bytes.left(done), kind, QString("only %1 of %2 bytes written: %3")
                                              .arg(done)
                                              .arg(bytes.size())
                                              .arg(std::strerror(errno)));
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
    case ConsoleCommand::Delay:
        options.delayMs = c.number;
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
    log.event("console", QString("%1; silent %2, garbage %3, truncate %4, delay %5 ms")
                             .arg(model.summary(), faults.silent ? "on" : "off")
                             .arg(faults.garbageLeft)
                             .arg(faults.truncateLeft)
                             .arg(options.delayMs));
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
