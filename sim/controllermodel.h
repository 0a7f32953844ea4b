#pragma once

#include <QByteArray>
#include <QString>

// Our stand-in for the switch controller: what it holds about the switch and how
// each command changes it. Busy antennas, transmitting and the firmware revision
// are set by whoever drives the simulator; the rest follows the panel's commands.
class ControllerModel
{
public:
    static constexpr quint8 noPosition = 0x0F; // lights no TX key on the panel

    quint8 txPos = 0;
    quint8 previousTxPos = 0;
    bool splitOn = false;
    quint8 splitTxPos = 0;
    quint8 busyAntennas = 0; // bit n = antenna n+1 is held by another station
    quint8 activeRotor = 0;  // 1..4, 0 = none
    quint8 superSplitMask = 0;
    bool transmitting = false;
    bool separateRxAntenna = false; // false = receive on the TX antenna (RTX)
    quint8 rxAntenna = 0;           // 0..3 while separateRxAntenna
    quint8 firmwareMajor = 1;
    quint8 firmwareMinor = 0;

    struct Outcome
    {
        bool recognised = false; // false: a frame we cannot make sense of
        QString kind;            // short name for the logs: "poll", "select", ...
        QString description;     // what it did, for a person reading the log
        QByteArray reply;        // bytes to answer with; empty for no answer
    };

    // Applies one complete command frame ("IG", letter, arguments, ";").
    Outcome apply(const QByteArray &frame);

    QByteArray statusResponse() const;   // 13 bytes
    QByteArray firmwareResponse() const; // I G W major minor ;

    // One line summary for the "status" console command.
    QString summary() const;

private:
    Outcome selectTx(int p);
    Outcome selectRx(int index);
    Outcome release(int all);
    Outcome rotor(int tx, int r);
    Outcome split(const QByteArray &frame);
};
