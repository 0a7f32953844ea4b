#pragma once

#include <QObject>
#include <QString>

#include "consolecommand.h"
#include "controllermodel.h"
#include "faultplan.h"
#include "frameparser.h"
#include "lineshaper.h"
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
        LineShaper::Settings line;
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
    void pumpLine();
    int writeToLine(const QByteArray &bytes, QString *error);
    void noteNoise();
    void changeLine(const LineShaper::Settings &settings);
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
    // Answers wait in the shaper until their bytes fall due; a hang-up drops them all.
    LineShaper shaper;
    QTimer *lineTimer = nullptr;
    QByteArray partWritten; // of the part going out, what the line took so far
    int partLost = 0;
    QString partError;
    int noiseWritten = 0; // since the last note in the log, which comes once a second
    int noiseLost = 0;
    QTimer *noiseNoteTimer = nullptr;
};
