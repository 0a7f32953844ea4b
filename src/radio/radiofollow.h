#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "radio/follower.h"
#include "radio/followsettings.h"

// Follow Radio at work: runs the chosen frequency source while following is on, feeds
// the follower with its readings and the switch's reports, asks the window for the
// selects the follower decides on, keeps the status-bar text and writes the follow log
// (QT_LOGGING_RULES="orvik.follow.debug=true").
class RadioFollow : public QObject
{
    Q_OBJECT

public:
    explicit RadioFollow(QObject *parent);

    // Takes new settings: the source is started afresh, the tables replaced.
    void apply(const FollowSettings &settings);
    void setFollowing(bool on);
    const FollowSettings &settings() const { return current; }
    // What following is doing, as the status bar says it, and the band it follows.
    QString status() const { return follower.status(); }
    QString band() const { return follower.currentBand(); }

    void controllerReported(const ControllerReport &report);
    void controllerLost();
    // The panel's mode now: a split being set up or on, or a super-split selection open,
    // holds every select until the panel is back to normal.
    void panelModeChanged(bool normal);
    // TX key n (1..8) pressed by the operator in normal mode.
    void operatorChoseTx(int antenna);

signals:
    void statusChanged(const QString &status);
    void selectTx(int antenna);    // as if TX key n were pressed
    void selectReceive(int index); // as if that receive key were pressed

private:
    void startSource();
    void carryOut(const FollowAction &action);

    FollowSettings current;
    BandFollower follower;
    QPointer<QObject> source;
    // Wakes the follower when a band has held for the dwell time.
    QTimer dwellTimer;
    QString statusSaid;
};
