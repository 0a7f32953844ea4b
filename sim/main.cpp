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
    cli.addOptions({link, busy, tx, fw, silent, logFile, delay});
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

    Simulator::Options options;
    options.linkPath = cli.value(link);
    options.logPath = cli.value(logFile);
    bool delayOk = false;
    options.delayMs = cli.value(delay).toInt(&delayOk);
    if (!delayOk || options.delayMs < 0 || options.delayMs > 10000)
        return fail("--delay: give the answer latency in ms, 0..10000");

    QString error;
    if (!Simulator::catchTerminationSignals(&error))
        return fail(error);
    Simulator simulator(model, faults, options);
    if (!simulator.start(&error))
        return fail(error);
    return app.exec();
}
