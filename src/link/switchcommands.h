#pragma once

#include <QtGlobal>

// What an operator's keys ask of a switch, whoever carries it to the switch: the link on
// the serial port, or a station serving the switch over the network. Antennas count from
// 1; receive keys RX1..RX4 are 0..3 and RTX is 8.
class SwitchCommands
{
public:
    virtual ~SwitchCommands() = default;
    virtual void selectTx(int antenna) = 0;
    virtual void selectRx(int key) = 0;
    virtual void setSplit(int first, int second) = 0;
    virtual void clearSplit() = 0;
    virtual void setSuperSplit(quint8 group) = 0; // bit n: antenna n+1
    virtual void setRotor(int rotor, int txAntenna) = 0;
    virtual void release(bool all) = 0;
};
