#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "consolecommand.h"
#include "simulator.h"

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "orvik-sim: %s\n", message.toLocal8Bit().constData());
    return 2;
}

// Options that are console commands too take the same values, checked the same way:
// "--chunk 11,30" is "chunk 11,30" typed at the start.
bool lineOption(const QCommandLineParser &cli, const QCommandLineOption &option, int *number,
                int *second, QString *error)
{
    if (!cli.isSet(option))
        return true;
    const ConsoleCommand c = parseConsoleCommand(option.names().first() + ' ' + cli.value(option));
    if (c.verb == ConsoleCommand::Invalid) {
        *error = "--" + c.error;
        return false;
    }
    *number = c.number;
    if (second)
        *second = c.second;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("orvik-sim");

    QCommandLineParser cli;
    cli.setApplicationDescription(
        "Plays the antenna switch controller on a pseudo-terminal for the panel.\n"
        "Once running, type commands on standard input (help lists them).");
    cli.addHelpOption();
    const QCommandLineOption link("link", "Stable path to the panel's end.", "PATH",
                                  "/tmp/orvik-sim/ttyORVIK");
    const QCommandLineOption busy("busy", "Busy antennas: none, all, 1,5 or 0xMASK.", "LIST",
                                  "none");
    const QCommandLineOption tx("tx", "Report the station as transmitting.");
    const QCommandLineOption fw("fw", "Firmware revision MAJOR.MINOR.", "REV", "1.0");
    const QCommandLineOption silent("silent", "Start silent: read but never answer.");
    const QCommandLineOption logFile("log", "Machine-readable log, one JSON object a line.",
                                     "FILE");
    const QCommandLineOption delay("delay", "Answer latency in ms.", "MS", "0");
    const QCommandLineOption baud("baud",
                                  "Send answers a byte at a time at this line speed, "
                                  "10 bit-times a byte; 0 = at once.",
                                  "RATE", "0");
    const QCommandLineOption chunk("chunk",
                                   "Send each answer as its first N bytes, a pause "
                                   "of MS, then the rest (or off).",
                                   "N,MS", "off");
    const QCommandLineOption noise("noise", "Random bytes a second between answers; 0 = off.",
                                   "BPS", "0");
    const QCommandLineOption shortFrames("short",
                                         "Two IGT frames N bytes long (4..12) before "
                                         "each status answer; 0 = off.",
                                         "N", "0");
    const QCommandLineOption wrongDevice("wrong-device", "Answer every command like a "
                                                         "transceiver: FA00014074000;");
    cli.addOptions(
        {link, busy, tx, fw, silent, logFile, delay, baud, chunk, noise, shortFrames, wrongDevice});
    cli.process(app);

    ControllerModel model;
    const int busyMask = parseBusyAntennas(cli.value(busy));
    if (busyMask < 0)
        return fail("--busy: give none, all, antennas 1..8 or 0xMASK");
    model.busyAntennas = static_cast<quint8>(busyMask);
    model.transmitting = cli.isSet(tx);
    int major = 0;
    int minor = 0;
    if (!parseFirmware(cli.value(fw), &major, &minor))
        return fail("--fw: give MAJOR.MINOR, 0..255 each");
    model.firmwareMajor = static_cast<quint8>(major);
    model.firmwareMinor = static_cast<quint8>(minor);

    FaultPlan faults;
    faults.silent = cli.isSet(silent);
    faults.wrongDevice = cli.isSet(wrongDevice);

    Simulator::Options options;
    options.linkPath = cli.value(link);
    options.logPath = cli.value(logFile);
    LineShaper::Settings &line = options.line;
    QString error;
    if (!lineOption(cli, delay, &line.delayMs, nullptr, &error)
        || !lineOption(cli, baud, &line.baud, nullptr, &error)
        || !lineOption(cli, chunk, &line.chunkBytes, &line.chunkPauseMs, &error)
        || !lineOption(cli, noise, &line.noiseBps, nullptr, &error)
        || !lineOption(cli, shortFrames, &line.shortLength, nullptr, &error))
        return fail(error);

    if (!Simulator::catchTerminationSignals(&error))
        return fail(error);
    Simulator simulator(model, faults, options);
    if (!simulator.start(&error))
        return fail(error);
    return app.exec();
}
