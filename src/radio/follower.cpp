#include "radio/follower.h"

#include "radio/bands.h"
#include "radio/followsettings.h"

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
    txHz = reading.txHz;
    ptt = reading.ptt;
    const QString now = txHz > 0 ? bandOf(txHz) : QString();
    if (now != band) {
        band = now;
        enterBand();
    }
    return evaluate();
}

FollowAction BandFollower::sourceLost(const QString &why)
{
    if (sourceAlive && enabled)
        log << QStringLiteral("%1 lost: %2").arg(source, why);
    sourceAlive = false;
    band.clear();
    txHz = 0;
    enterBand();
    return evaluate();
}

FollowAction BandFollower::controllerReported(const ControllerReport &report)
{
    controller = report;
    // Three reports cover the one the panel skips after a press and a refusal.
    if (inFlight && (report.txAntenna == *inFlight || ++reportsSinceSelect > 3))
        inFlight.reset();
    return evaluate();
}

void BandFollower::operatorChoseTx(int antenna)
{
    if (!enabled || band.isEmpty())
        return;
    // The operator's word wins until the band changes, and is what this band restores.
    lastUsed.insert(band, antenna);
    commanded(antenna);
    if (pendingTx)
        log << QStringLiteral("%1: TX %2 pressed by the operator, holds until the band changes")
                   .arg(where())
                   .arg(antenna);
    pendingTx.reset();
    heldFor.clear();
    statusText = QStringLiteral("%1 → %2").arg(band).arg(antenna);
}

FollowAction BandFollower::setPanelNormal(bool normal)
{
    if (normal == panelNormal)
        return {};
    panelNormal = normal;
    return evaluate();
}

void BandFollower::commanded(int antenna)
{
    inFlight = antenna;
    reportsSinceSelect = 0;
}

int BandFollower::antennaInUse() const
{
    return inFlight ? *inFlight : controller->txAntenna;
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
    if (!enabled || band.isEmpty())
        return;
    const int antenna = lastUsed.value(band, tableTx.value(band, 0));
    if (antenna > 0)
        pendingTx = antenna;
    if (tableRx.contains(band))
        pendingRx = tableRx.value(band);
}

QString BandFollower::where() const
{
    return QStringLiteral("%1 %2 MHz from %3")
        .arg(band, QString::number(double(txHz) / 1e6, 'f', 3), source);
}

void BandFollower::hold(const QString &text, const QString &reason)
{
    statusText = text;
    if (heldFor == reason)
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
    FollowAction action;
    if (!enabled) {
        statusText = QStringLiteral("Follow off");
        return action;
    }
    if (source.isEmpty()) {
        statusText = QStringLiteral("Radio: no source");
        return action;
    }
    if (!sourceProblem.isEmpty()) {
        statusText = sourceProblem;
        return action;
    }
    if (!sourceAlive) {
        statusText = QStringLiteral("Radio: no connection");
        return action;
    }
    if (band.isEmpty()) {
        statusText =
            txHz > 0
                ? QStringLiteral("%1 MHz: no band").arg(QString::number(double(txHz) / 1e6, 'f', 3))
                : QStringLiteral("Radio: no frequency");
        return action;
    }
    if (pendingTx || pendingRx) {
        if (!controller) {
            hold(band + QStringLiteral(": waiting for the switch"),
                 QStringLiteral("the switch has not reported"));
            return action;
        }
        if (!panelNormal) {
            hold(band + QStringLiteral(": split in use"),
                 QStringLiteral("a split or super split is set up"));
            return action;
        }
        if (controller->transmitting || ptt == Ptt::On) {
            hold(band + QStringLiteral(": waiting for RX"),
                 controller->transmitting ? QStringLiteral("the switch reports transmitting")
                                          : QStringLiteral("the radio reports PTT"));
            return action;
        }
    }
    if (pendingRx) {
        action.rx = *pendingRx;
        log << QStringLiteral("%1: %2 selected").arg(where(), receiveKeyName(*pendingRx));
        pendingRx.reset();
    }
    if (pendingTx) {
        const int antenna = *pendingTx;
        if (antennaInUse() != antenna && !((controller->freeMask >> (antenna - 1)) & 1)) {
            hold(QStringLiteral("%1: %2 busy").arg(band).arg(antenna),
                 QStringLiteral("antenna %1 is busy").arg(antenna));
            return action;
        }
        if (antennaInUse() != antenna) {
            action.tx = antenna;
            commanded(antenna);
            log << QStringLiteral("%1: TX %2 selected").arg(where()).arg(antenna);
        }
        lastUsed.insert(band, antenna);
        pendingTx.reset();
    }
    heldFor.clear();
    const int antenna = lastUsed.value(band, tableTx.value(band, 0));
    statusText = antenna > 0 ? QStringLiteral("%1 → %2").arg(band).arg(antenna)
                             : band + QStringLiteral(": no antenna");
    return action;
}
