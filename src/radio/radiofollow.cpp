#include "radio/radiofollow.h"

#include <QLoggingCategory>

#include "link/clock.h"
#include "radio/n1mmsource.h"
#include "radio/rigctldsource.h"

Q_LOGGING_CATEGORY(lcFollow, "orvik.follow", QtWarningMsg)

namespace {

N1mmSource *newN1mmSource(const FollowSettings &settings, const QList<Subnet> &senders,
                          QObject *parent)
{
    auto *source = new N1mmSource(settings.n1mmPort, settings.n1mmRadio, parent);
    source->setAllowed(senders, settings.n1mmStation);
    // Seen without asking, since someone else is talking to the switch, and at most once a
    // minute, since a flood must not become a flood of log lines.
    QObject::connect(source, &N1mmSource::refusals, parent,
                     [](const QString &summary) { qCWarning(lcFollow).noquote() << summary; });
    return source;
}

} // namespace

RadioFollow::RadioFollow(QObject *parent) : QObject(parent)
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
    QString badEntry;
    const std::optional<QList<Subnet>> senders = readN1mmSenders(current.n1mmFrom, &badEntry);
    const bool badAddress =
        current.source == SourceKind::Rigctld && !current.badRigctldAddress.isEmpty();
    // A sender list that does not read is no guess either: some other list than the one the
    // operator wrote could let a stranger drive the switch.
    const bool badSenders = current.source == SourceKind::N1mm && !senders;
    follower.setSourceProblem(
        badAddress || badSenders ? QStringLiteral("Radio: bad address in settings") : QString());
    if (badAddress && current.follow)
        qCWarning(lcFollow).noquote() << "Rigctld=" + current.badRigctldAddress
                                      << "names no host:port (or [IPv6]:port, port 1-65535);"
                                      << "nothing is followed";
    if (badSenders && current.follow)
        qCWarning(lcFollow).noquote()
            << QStringLiteral("N1mmFrom=%1: \"%2\" is neither an address nor a subnet "
                              "(address/bits); nothing is followed")
                   .arg(current.n1mmFrom, badEntry);
    if (current.follow && current.source == SourceKind::Rigctld && !badAddress)
        started = new RigctldSource(current.rigctldHost, current.rigctldPort, this);
    else if (current.follow && current.source == SourceKind::N1mm && !badSenders)
        started = newN1mmSource(current, *senders, this);
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
    if (statusSaid != follower.status()) {
        statusSaid = follower.status();
        emit statusChanged(statusSaid);
    }
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
