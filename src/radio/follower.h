#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "radio/radioreading.h"

// What the controller said in its last status report, as the follower needs it.
struct ControllerReport
{
    int txAntenna = 0; // 1..8
    bool transmitting = false;
    quint8 freeMask = 0xFF; // bit n set: antenna n+1 free
};

// What the window does now: the same as pressing TX key n, or the receive key.
struct FollowAction
{
    std::optional<int> tx; // antenna 1..8
    std::optional<int> rx; // receive index: RX1..RX4 are 0..3, RTX 8
    bool operator==(const FollowAction &o) const { return tx == o.tx && rx == o.rx; }
};

// Makes the antenna follow the radio's band. It chooses the band's antenna (the one last
// used on that band while following, else the table's) when the band changes, and
// holds the change back while the station transmits, while that antenna is busy, while
// the panel is in a split or super-split set-up, or until the controller has reported;
// an antenna the operator picks holds until the band changes. Widget-free: the window
// feeds it readings and reports and carries out what it answers.
class BandFollower
{
public:
    void setTables(const QMap<QString, int> &bandTx, const QMap<QString, int> &bandRx);
    void setSourceName(const QString &name) { source = name; }
    // A source that cannot run as configured: its status line instead of any following.
    void setSourceProblem(const QString &status) { sourceProblem = status; }
    FollowAction setEnabled(bool on);
    FollowAction radioRead(const RadioReading &reading);
    FollowAction sourceLost(const QString &why);
    FollowAction controllerReported(const ControllerReport &report);
    // The link went down: nothing is known of the switch until it reports again.
    void controllerLost() { controller.reset(); }
    // The operator pressed TX key (or F-key) n.
    void operatorChoseTx(int antenna);
    // The panel's mode, told the moment it changes: outside the normal mode (a split
    // being set up or on, a super-split selection open) a select would be taken as a
    // partner, so nothing is sent until the panel is back.
    FollowAction setPanelNormal(bool normal);

    // The status line: "20m → 3", "20m: 3 busy", "20m: waiting for RX", "Radio: no
    // connection", "Follow off", ...
    QString status() const { return statusText; }
    // What was switched or held back since the last call, for the follow log.
    QStringList takeLog();

private:
    FollowAction evaluate();
    void hold(const QString &text, const QString &reason);
    void enterBand();
    QString where() const;
    // The antenna the switch is on or, just after a select, is going to.
    int antennaInUse() const;
    void commanded(int antenna);

    bool enabled = false;
    bool sourceAlive = false;
    QString source;
    QString sourceProblem;
    QString band;
    qint64 txHz = 0;
    Ptt ptt = Ptt::Unknown;
    std::optional<ControllerReport> controller;
    bool panelNormal = true;
    // A select on its way: the switch's next reports may still show the antenna before
    // it, so until one confirms it (or a few have not), this is the antenna in use.
    std::optional<int> inFlight;
    int reportsSinceSelect = 0;
    std::optional<int> pendingTx;
    std::optional<int> pendingRx;
    QMap<QString, int> tableTx;
    QMap<QString, int> tableRx;
    QHash<QString, int> lastUsed;
    QString statusText = QStringLiteral("Follow off");
    QString heldFor; // the reason last logged for holding, so a hold is logged once
    QStringList log;
};
