#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
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
// used on that band while following, else the table's) once the band has held for the
// dwell time, and holds the change back while the station transmits, while that antenna
// is busy, while the panel is in a split or super-split set-up, or while the switch has
// not reported. One select at a time: the next waits until the switch has confirmed the
// last (or plainly not taken it), so every select is decided on a fresh report. A select
// the switch never confirmed, because the link went down or the switch did not take it,
// is still wanted. An antenna the operator picks holds until the radio reports another
// band; a radio that goes quiet or reports no frequency has not changed band. Widget-free:
// the window feeds it readings and reports and carries out what it answers.
class BandFollower
{
public:
    static constexpr int defaultDwell = 300; // ms a band holds before it is acted on
    // Reports after a select before it counts as not taken.
    static constexpr int reportsToConfirm = 3;
    // Tries of one select on one band before the follower stops asking.
    static constexpr int triesPerBand = 2;

    // The clock in ms; the monotonic clock unless a test drives its own.
    explicit BandFollower(std::function<qint64()> clock = {});

    void setTables(const QMap<QString, int> &bandTx, const QMap<QString, int> &bandRx);
    void setDwell(int ms) { dwell = ms; }
    void setSourceName(const QString &name) { source = name; }
    // A source that cannot run as configured: its status line instead of any following.
    void setSourceProblem(const QString &status) { sourceProblem = status; }
    FollowAction setEnabled(bool on);
    FollowAction radioRead(const RadioReading &reading);
    FollowAction sourceLost(const QString &why);
    FollowAction controllerReported(const ControllerReport &report);
    // The link went down: nothing is known of the switch until it reports again, and a
    // select it never confirmed is wanted again.
    FollowAction controllerLost();
    // The operator pressed TX key (or F-key) n.
    void operatorChoseTx(int antenna);
    // The panel's mode, told the moment it changes: outside the normal mode (a split
    // being set up or on, a super-split selection open) a select would be taken as a
    // partner, so nothing is sent until the panel is back.
    FollowAction setPanelNormal(bool normal);
    // When a held select falls due by time alone (the dwell), the clock time to call
    // timePassed() at; nothing when only a report or a reading can move things on.
    std::optional<qint64> wakeAt() const;
    FollowAction timePassed() { return evaluate(); }

    // The status line: "20m → 3", "20m: 3 busy", "20m: waiting for RX", "Radio: no
    // connection", "Follow off", ...
    QString status() const { return statusText; }
    // The band the radio was last heard on; empty outside the bands or before a reading.
    QString currentBand() const { return band; }
    // What was switched or held back since the last call, for the follow log.
    QStringList takeLog();

private:
    FollowAction evaluate();
    FollowAction decide();
    void hold(const QString &text, const QString &reason);
    void enterBand();
    int wanted() const;
    QString where() const;
    QString settledStatus() const;

    std::function<qint64()> now;
    int dwell = defaultDwell;
    bool enabled = false;
    bool sourceAlive = false;
    QString source;
    QString sourceProblem;
    // The last band the radio reported; kept while the radio is away, since a radio that
    // comes back on it has not changed band.
    QString band;
    qint64 bandSince = 0;
    qint64 txHz = 0;
    Ptt ptt = Ptt::Unknown;
    std::optional<ControllerReport> controller;
    bool panelNormal = true;
    // Wanted on this band and not sent yet.
    std::optional<int> pendingTx;
    std::optional<int> pendingRx;
    // Sent and not yet confirmed by a report: the switch's reports before it may still
    // show what was there.
    std::optional<int> inFlightTx;
    std::optional<int> inFlightRx;
    bool inFlightByOperator = false;
    int reportsSinceSelect = 0;
    int tries = 0;
    QMap<QString, int> tableTx;
    QMap<QString, int> tableRx;
    QHash<QString, int> lastUsed;
    QString statusText = QStringLiteral("Follow off");
    QString heldFor; // the reason last logged for holding, so a hold is logged once
    QStringList log;
};
