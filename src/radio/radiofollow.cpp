#include "radio/radiofollow.h"

#include <QLabel>
#include <QLoggingCategory>

#include "link/clock.h"
#include "radio/n1mmsource.h"
#include "radio/rigctldsource.h"

Q_LOGGING_CATEGORY(lcFollow, "orvik.follow", QtWarningMsg)

RadioFollow::RadioFollow(QLabel *statusLabel, QObject *parent) : QObject(parent), label(statusLabel)
{
    dwellTimer.setSingleShot(true);
    dwellTimer.setTimerType(Qt::PreciseTimer);
    connect(&dwellTimer, &QTimer::timeout, this, [this] { carryOut(follower.timePassed()); });
}

void RadioFollow::apply(const FollowSettings &settings)
{
    current = settings;
    follower.setTables(settings.bandTx, settings.bandRx);
    follower.setDwell(settings.dwellMs);
    startSource();
    carryOut(follower.setEnabled(current.follow));
}

void RadioFollow::setFollowing(bool on)
{
    current.follow = on;
    startSource();
    carryOut(follower.setEnabled(on));
}

void RadioFollow::startSource()
{
    delete source.data();
    // The source runs only while following: nothing polls rigctld for a panel that does
    // not use what it says. A fresh source knows nothing of the radio yet.
    FrequencySource *started = nullptr;
    const bool badAddress =
        current.source == SourceKind::Rigctld && !current.badRigctldAddress.isEmpty();
    follower.setSourceProblem(badAddress ? QStringLiteral("Radio: bad address in settings")
                                         : QString());
    if (badAddress && current.follow)
        qCWarning(lcFollow).noquote() << "Rigctld=" + current.badRigctldAddress
                                      << "names no host:port (or [IPv6]:port, port 1-65535);"
                                      << "nothing is followed";
    if (current.follow && current.source == SourceKind::Rigctld && !badAddress)
        started = new RigctldSource(current.rigctldHost, current.rigctldPort, this);
    else if (current.follow && current.source == SourceKind::N1mm)
        started = new N1mmSource(current.n1mmPort, current.n1mmRadio, this);
    follower.setSourceName(current.source == SourceKind::None ? QString()
                                                              : sourceKindName(current.source));
    carryOut(follower.sourceLost(tr("source restarted")));
    source = started;
    if (!started)
        return;
    connect(started, &FrequencySource::reading, this,
            [this](const RadioReading &reading) { carryOut(follower.radioRead(reading)); });
    connect(started, &FrequencySource::lost, this,
            [this](const QString &why) { carryOut(follower.sourceLost(why)); });
    started->start();
}

void RadioFollow::controllerReported(const ControllerReport &report)
{
    carryOut(follower.controllerReported(report));
}

void RadioFollow::controllerLost()
{
    carryOut(follower.controllerLost());
}

void RadioFollow::panelModeChanged(bool normal)
{
    carryOut(follower.setPanelNormal(normal));
}

void RadioFollow::operatorChoseTx(int antenna)
{
    follower.operatorChoseTx(antenna);
    carryOut({});
}

void RadioFollow::carryOut(const FollowAction &action)
{
    for (const QString &line : follower.takeLog())
        qCDebug(lcFollow).noquote() << line;
    if (label && label->text() != follower.status())
        label->setText(follower.status());
    // Timed to the millisecond the band has held long enough; stopped when nothing waits.
    if (const std::optional<qint64> wake = follower.wakeAt())
        dwellTimer.start(int(qMax<qint64>(*wake - monotonicMs(), 0)));
    else
        dwellTimer.stop();
    if (action.rx)
        emit selectReceive(*action.rx);
    if (action.tx)
        emit selectTx(*action.tx);
}
