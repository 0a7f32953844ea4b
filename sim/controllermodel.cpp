#include "controllermodel.h"

#include "frameparser.h"

namespace {

ControllerModel::Outcome refused(const QString &kind, const QString &why)
{
    ControllerModel::Outcome out;
    out.kind = kind;
    out.description = why;
    return out;
}

ControllerModel::Outcome done(const QString &kind, const QString &what)
{
    ControllerModel::Outcome out;
    out.recognised = true;
    out.kind = kind;
    out.description = what;
    return out;
}

// Digits of S, Y, X and V are "0" + value; anything else is out of range.
int digit(char c)
{
    return static_cast<quint8>(c) - '0';
}

} // namespace

ControllerModel::Outcome ControllerModel::apply(const QByteArray &frame)
{
    if (frame.size() < 4 || !frame.startsWith("IG") || !frame.endsWith(';'))
        return refused("unknown", "not a command frame");
    const char letter = frame.at(2);
    const int expected = FrameParser::commandLength(letter);
    if (expected > 0 && frame.size() != expected)
        return refused("unknown", QString("wrong length %1 for %2").arg(frame.size()).arg(letter));

    switch (letter) {
    case 'T': {
        if (frame.at(3) != '3')
            return refused("unknown", "status query with an argument other than 3");
        Outcome out = done("poll", "status query");
        out.reply = statusResponse();
        return out;
    }
    case 'W': {
        Outcome out = done("firmware", "firmware query");
        out.reply = firmwareResponse();
        return out;
    }
    case 'S':
        return selectTx(digit(frame.at(3)));
    case 'Y':
        return selectRx(digit(frame.at(3)));
    case 'X':
        return release(digit(frame.at(3)));
    case 'Q':
        superSplitMask = static_cast<quint8>(frame.at(3));
        return done("supersplit",
                    QString("super split group 0x%1").arg(superSplitMask, 2, 16, QChar('0')));
    case 'V':
        return rotor(digit(frame.at(3)), digit(frame.at(4)));
    case 'P':
        return split(frame);
    default:
        return refused("unknown", QString("unknown command letter 0x%1")
                                      .arg(static_cast<quint8>(letter), 2, 16, QChar('0')));
    }
}

ControllerModel::Outcome ControllerModel::selectTx(int p)
{
    if (p < 0 || p > 7)
        return refused("select", QString("select TX: position %1 out of range").arg(p));
    if (busyAntennas & (1u << p))
        return done("select", QString("select TX %1 refused: antenna busy").arg(p + 1));
    if (splitOn && p != txPos) {
        // With split on the panel keeps its TX antenna and moves the partner.
        splitTxPos = static_cast<quint8>(p);
        return done("select", QString("split partner now TX %1").arg(p + 1));
    }
    if (p != txPos) {
        previousTxPos = txPos;
        txPos = static_cast<quint8>(p);
    }
    return done("select", QString("select TX %1").arg(p + 1));
}

ControllerModel::Outcome ControllerModel::selectRx(int index)
{
    if (index >= 0 && index <= 3) {
        separateRxAntenna = true;
        rxAntenna = static_cast<quint8>(index);
        return done("receive", QString("receive on RX %1").arg(index + 1));
    }
    if (index == 8) {
        separateRxAntenna = false;
        return done("receive", "receive on the TX antenna (RTX)");
    }
    return refused("receive", QString("receive: index %1 out of range").arg(index));
}

ControllerModel::Outcome ControllerModel::release(int all)
{
    if (all != 0 && all != 1)
        return refused("release", QString("release: argument %1 out of range").arg(all));
    if (txPos <= 7)
        previousTxPos = txPos;
    txPos = noPosition;
    splitOn = false;
    if (all == 0)
        return done("release", "release");
    superSplitMask = 0;
    activeRotor = 0;
    separateRxAntenna = false;
    return done("release", "release ALL");
}

ControllerModel::Outcome ControllerModel::rotor(int tx, int r)
{
    if (tx < 1 || tx > 8 || r < 0 || r > 4)
        return refused("rotor", QString("rotor: TX %1 rotor %2 out of range").arg(tx).arg(r));
    activeRotor = static_cast<quint8>(r);
    if (r == 0)
        return done("rotor", QString("rotor off (TX %1)").arg(tx));
    return done("rotor", QString("rotor %1 on (TX %2)").arg(r).arg(tx));
}

ControllerModel::Outcome ControllerModel::split(const QByteArray &frame)
{
    // Positions travel as 0x2F + (position + 1); 0x2F ("/") itself means none.
    const int high = static_cast<quint8>(frame.at(3)) - 0x2F;
    const int low = static_cast<quint8>(frame.at(4)) - 0x2F;
    const char onOff = frame.at(5);
    if ((onOff != '0' && onOff != '1') || high < 0 || high > 15 || low < 0 || low > 15)
        return refused("split", "split: arguments out of range");
    if (onOff == '0' || low == 0) {
        splitOn = false;
        return done("split", "split off");
    }
    if (low > 8)
        return refused("split", QString("split: position %1 out of range").arg(low));
    splitOn = true;
    splitTxPos = static_cast<quint8>(low - 1);
    return done("split", QString("split on, TX %1 with TX %2").arg(high).arg(low));
}

QByteArray ControllerModel::statusResponse() const
{
    QByteArray r("IGT");
    r.append(static_cast<char>(txPos));
    r.append(static_cast<char>(splitOn ? 1 : 0));
    r.append(static_cast<char>(~busyAntennas)); // on the wire 1 = free, 0 = busy
    r.append(static_cast<char>(activeRotor));
    r.append(static_cast<char>(superSplitMask));
    r.append(static_cast<char>(transmitting ? 1 : 0));
    r.append(static_cast<char>(splitTxPos));
    r.append(static_cast<char>(previousTxPos));
    r.append(static_cast<char>(separateRxAntenna ? 1 : 0));
    r.append(';');
    return r;
}

QByteArray ControllerModel::firmwareResponse() const
{
    QByteArray r("IGW");
    r.append(static_cast<char>(firmwareMajor));
    r.append(static_cast<char>(firmwareMinor));
    r.append(';');
    return r;
}

QString ControllerModel::summary() const
{
    auto pos = [](quint8 p) { return p <= 7 ? QString::number(p + 1) : QString("none"); };
    QString rx = separateRxAntenna ? QString("RX %1").arg(rxAntenna + 1) : QString("RTX");
    return QString("TX %1, previous %2, split %3 (partner %4), busy 0x%5, rotor %6, "
                   "super split 0x%7, transmitting %8, receive %9, firmware %10.%11")
        .arg(pos(txPos), pos(previousTxPos), splitOn ? "on" : "off", pos(splitTxPos))
        .arg(busyAntennas, 2, 16, QChar('0'))
        .arg(activeRotor)
        .arg(superSplitMask, 2, 16, QChar('0'))
        .arg(transmitting ? "on" : "off", rx)
        .arg(firmwareMajor)
        .arg(firmwareMinor);
}
