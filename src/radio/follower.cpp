#include "radio/follower.h"

#include "link/clock.h"
#include "radio/bands.h"
#include "radio/followsettings.h"

BandFollower::BandFollower(std::function<qint64()> clock)
    : now(clock ? std::move(clock) : std::function<qint64()>(monotonicMs))
{}

void BandFollower::setTables(const QMap<QString, int> &bandTx, const QMap<QString, int> &bandRx)
{
    tableTx = bandTx;
    tableRx = bandRx;
}

FollowAction BandFollower::setEnabled(bool on)
{
    enabled = on;
    // Switched on, the band the radio is on counts as just entered.
    enterBand();
    return evaluate();
}

FollowAction BandFollower::radioRead(const RadioReading &reading)
{
    sourceAlive = true;
    ptt = reading.ptt;
    // No frequency at all says nothing of the band: the radio is where it last was.
    txHz = qMax<qint64>(reading.txHz, 0);
    if (txHz > 0 && bandOf(txHz) != band) {
        band = bandOf(txHz);
        enterBand();
    }
    return evaluate();
}

FollowAction BandFollower::sourceLost(const QString &why)
{
    if (sourceAlive && enabled)
        log << QStringLiteral("%1 lost: %2").arg(source, why);
    sourceAlive = false;
    txHz = 0;
    return evaluate();
}

FollowAction BandFollower::controllerReported(const ControllerReport &report)
{
    controller = report;
    ++reportsSinceSelect;
    if (inFlightTx && report.txAntenna == *inFlightTx) {
        inFlightTx.reset();
    } else if (inFlightTx && reportsSinceSelect >= reportsToConfirm) {
        // Not taken (a frame lost on a noisy line, a key the panel refused): asked again
        // while the band still wants it, then given up with the status saying so.
        const int antenna = *inFlightTx;
        inFlightTx.reset();
        if (!inFlightByOperator && antenna == wanted() && tries < triesPerBand) {
            pendingTx = antenna;
        } else if (!inFlightByOperator) {
            log << QStringLiteral("%1: TX %2 not confirmed by the switch")
                       .arg(where())
                       .arg(antenna);
        }
    }
    // The status carries no receive key to confirm it by: a report taken after the select
    // has to do.
    if (inFlightRx && reportsSinceSelect >= 2)
        inFlightRx.reset();
    return evaluate();
}

FollowAction BandFollower::controllerLost()
{
    controller.reset();
    // Whatever the switch never confirmed may never have reached it.
    if (inFlightTx && !inFlightByOperator && *inFlightTx == wanted())
        pendingTx = *inFlightTx;
    if (inFlightRx)
        pendingRx = *inFlightRx;
    inFlightTx.reset();
    inFlightRx.reset();
    return evaluate();
}

void BandFollower::operatorChoseTx(int antenna)
{
    if (!enabled || band.isEmpty())
        return;
    // The operator's word wins until the band changes, and is what this band restores.
    lastUsed.insert(band, antenna);
    inFlightTx = antenna;
    inFlightByOperator = true;
    reportsSinceSelect = 0;
    if (pendingTx)
        log << QStringLiteral("%1: TX %2 pressed by the operator, holds until the band changes")
                   .arg(where())
                   .arg(antenna);
    pendingTx.reset();
    heldFor.clear();
    statusText = settledStatus();
}

FollowAction BandFollower::setPanelNormal(bool normal)
{
    if (normal == panelNormal)
        return {};
    panelNormal = normal;
    return evaluate();
}

std::optional<qint64> BandFollower::wakeAt() const
{
    if (enabled && (pendingTx || pendingRx) && now() < bandSince + dwell)
        return bandSince + dwell;
    return std::nullopt;
}

QStringList BandFollower::takeLog()
{
    QStringList lines;
    lines.swap(log);
    return lines;
}

void BandFollower::enterBand()
{
    pendingTx.reset();
    pendingRx.reset();
    heldFor.clear();
    bandSince = now();
    tries = 0;
    if (!enabled || band.isEmpty())
        return;
    if (wanted() > 0)
        pendingTx = wanted();
    if (tableRx.contains(band))
        pendingRx = tableRx.value(band);
}

int BandFollower::wanted() const
{
    return lastUsed.value(band, tableTx.value(band, 0));
}

QString BandFollower::where() const
{
    return QStringLiteral("%1 %2 MHz from %3")
        .arg(band, QString::number(double(txHz) / 1e6, 'f', 3), source);
}

QString BandFollower::settledStatus() const
{
    if (inFlightTx)
        return QStringLiteral("%1: switching to %2").arg(band).arg(*inFlightTx);
    const int antenna = wanted();
    if (antenna == 0)
        return band + QStringLiteral(": no antenna");
    // Said only once the switch has said so.
    if (!controller || controller->txAntenna == antenna)
        return QStringLiteral("%1 → %2").arg(band).arg(antenna);
    return QStringLiteral("%1: on %2, not %3").arg(band).arg(controller->txAntenna).arg(antenna);
}

void BandFollower::hold(const QString &text, const QString &reason)
{
    statusText = text;
    if (heldFor == reason || !(pendingTx || pendingRx))
        return;
    heldFor = reason;
    QStringList what;
    if (pendingTx)
        what << QStringLiteral("TX %1").arg(*pendingTx);
    if (pendingRx)
        what << receiveKeyName(*pendingRx);
    log << QStringLiteral("%1: %2 held back: %3")
               .arg(where(), what.join(QLatin1String(", ")), reason);
}

FollowAction BandFollower::evaluate()
{
    if (!enabled) {
        statusText = QStringLiteral("Follow off");
        return {};
    }
    if (source.isEmpty()) {
        statusText = QStringLiteral("Radio: no source");
        return {};
    }
    if (!sourceProblem.isEmpty()) {
        statusText = sourceProblem;
        return {};
    }
    if (!sourceAlive) {
        statusText = QStringLiteral("Radio: no connection");
        return {};
    }
    if (txHz == 0) {
        statusText = QStringLiteral("Radio: no frequency");
        return {};
    }
    if (band.isEmpty()) {
        statusText =
            QStringLiteral("%1 MHz: no band").arg(QString::number(double(txHz) / 1e6, 'f', 3));
        return {};
    }
    // A band the radio only passes through is never acted on.
    if ((pendingTx || pendingRx) && now() < bandSince + dwell) {
        statusText = band + QStringLiteral(": settling");
        return {};
    }
    if (!controller) {
        hold(band + QStringLiteral(": waiting for the switch"),
             QStringLiteral("the switch has not reported"));
        return {};
    }
    if (pendingTx || pendingRx) {
        if (!panelNormal) {
            hold(band + QStringLiteral(": split in use"),
                 QStringLiteral("a split or super split is set up"));
            return {};
        }
        if (controller->transmitting || ptt == Ptt::On) {
            hold(band + QStringLiteral(": waiting for RX"),
                 controller->transmitting ? QStringLiteral("the switch reports transmitting")
                                          : QStringLiteral("the radio reports PTT"));
            return {};
        }
        // One select at a time, each decided on a report taken after the last.
        if (inFlightTx || inFlightRx) {
            statusText = settledStatus();
            return {};
        }
    }
    return decide();
}

FollowAction BandFollower::decide()
{
    FollowAction action;
    if (pendingTx && controller->txAntenna != *pendingTx) {
        const int antenna = *pendingTx;
        if (!((controller->freeMask >> (antenna - 1)) & 1)) {
            hold(QStringLiteral("%1: %2 busy").arg(band).arg(antenna),
                 QStringLiteral("antenna %1 is busy").arg(antenna));
            return action;
        }
        action.tx = antenna;
        inFlightTx = antenna;
        inFlightByOperator = false;
        ++tries;
        log << QStringLiteral("%1: TX %2 sent").arg(where()).arg(antenna);
    }
    if (pendingTx)
        lastUsed.insert(band, *pendingTx);
    pendingTx.reset();
    if (pendingRx) {
        action.rx = *pendingRx;
        inFlightRx = *pendingRx;
        log << QStringLiteral("%1: %2 sent").arg(where(), receiveKeyName(*pendingRx));
        pendingRx.reset();
    }
    if (action.tx || action.rx)
        reportsSinceSelect = 0;
    heldFor.clear();
    statusText = settledStatus();
    return action;
}
