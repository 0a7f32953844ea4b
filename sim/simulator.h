#pragma once

#include <QObject>
#include <QString>

#include "consolecommand.h"
#include "controllermodel.h"
#include "faultplan.h"
#include "frameparser.h"
#include "ptyendpoint.h"
#include "simlog.h"

class QSocketNotifier;
class QTimer;

// Plays the controller on a pseudo-terminal: reads the panel's commands, answers
// them from the model, and takes orders from a person or a test on standard input.
class Simulator : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString linkPath;
        QString logPath;
        int delayMs = 0;
    };

    Simulator(const ControllerModel &model, const FaultPlan &faults, const Options &options,
              QObject *parent = nullptr);
    ~Simulator() override;

    bool start(QString *error);
    void execute(const ConsoleCommand &command);

    // Leaves the event loop on SIGINT, SIGTERM or SIGHUP, removing the link first.
    static bool catchTerminationSignals(QString *error);

private:
    void readMaster();
    void readConsole();
    void giveUpPending();
    void handleCommandFrame(const QByteArray &frame);
    void answer(const QByteArray &bytes, const QString &kind, const QString &what);
    void writeNow(const QByteArray &bytes, const QString &kind, const QString &what);
    bool openLine(QString *error);
    void closeLine(bool keepLink);
    void hangup(int ms, bool keepLink);
    void comeBack();
    void shutdown();

    ControllerModel model;
    FaultPlan faults;
    Options options;
    FrameParser parser;
    PtyEndpoint pty;
    SimLog log;
    QSocketNotifier *masterNotifier = nullptr;
    QSocketNotifier *consoleNotifier = nullptr;
    QTimer *pendingTimer = nullptr;
    QByteArray consoleBuffer;
    quint64 lineGeneration = 0; // answers scheduled before a hang-up are dropped
};
