// orvik-station: the antenna switch served to many clients, headless.
//   orvik-station [--config FILE]
//   orvik-station [--config FILE] --add-token NAME --role control|monitor
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

#include "station/stationconfig.h"
#include "station/stationserver.h"
#include "station/tokenstore.h"

namespace {

int fail(const QString &why)
{
    std::fprintf(stderr, "orvik-station: %s\n", qPrintable(why));
    return 1;
}

bool listensBeyondLoopback(const StationConfig &config)
{
    return !config.listenHost.isLoopback() || !config.webHost.isLoopback();
}

} // namespace

int main(int argc, char *argv[])
{
    // SIGTERM (systemctl stop) and SIGINT end the event loop, so the link closes the port
    // and every client sees its connection end: blocked here, before any thread starts,
    // and read as an event.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvik-station"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVIK_VERSION));
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral(
        "Serves an Orvik antenna switch to loggers, scripts, web pages and panels."));
    cli.addHelpOption();
    cli.addVersionOption();
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("The configuration file."),
                                    QStringLiteral("FILE"),
                                    QStringLiteral("/etc/orvik-station/station.ini"));
    const QCommandLineOption addToken(QStringLiteral("add-token"),
                                      QStringLiteral("Makes a new token, prints it once, exits."),
                                      QStringLiteral("NAME"));
    const QCommandLineOption role(QStringLiteral("role"),
                                  QStringLiteral("What the new token may do: control or monitor."),
                                  QStringLiteral("ROLE"), QStringLiteral("control"));
    cli.addOptions({config, addToken, role});
    cli.process(app);

    QString why;
    const std::optional<StationConfig> settings = loadStationConfig(cli.value(config), &why);
    if (!settings)
        return fail(cli.value(config) + ": " + why);
    TokenStore tokens(settings->tokensPath);

    if (cli.isSet(addToken)) {
        const QString roleName = cli.value(role);
        if (roleName != QLatin1String("control") && roleName != QLatin1String("monitor"))
            return fail(QStringLiteral("--role is control or monitor, not %1").arg(roleName));
        const std::optional<QByteArray> token =
            tokens.create(cli.value(addToken),
                          roleName == QLatin1String("control") ? TokenRole::Control
                                                               : TokenRole::Monitor,
                          &why);
        if (!token)
            return fail(why);
        // Alone on its line, so that a script can take it: it is shown this once only.
        std::printf("%s\n", token->constData());
        return 0;
    }

    if (!tokens.load(&why))
        return fail(why);
    if (listensBeyondLoopback(*settings) && tokens.isEmpty())
        return fail(QStringLiteral("listens beyond this machine with no token defined: add one "
                                   "with --add-token NAME --role control"));
    StationServer server(*settings, &tokens, QCoreApplication::applicationVersion());
    if (!server.start(&why))
        return fail(why);
    QSocketNotifier stop(stopFd, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, [&app, stopFd] {
        signalfd_siginfo received;
        if (::read(stopFd, &received, sizeof received) == sizeof received)
            app.quit();
    });
    return app.exec();
}
