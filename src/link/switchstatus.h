#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QtGlobal>
#include <optional>

// Everything the switch says in its 13-byte status answer, field by field, as the raw
// byte values it sends: a value out of its range is passed on as it came, and whoever
// paints or decides says what it means.
struct SwitchStatus
{
    quint8 txPos = 0;         // 0..7 = antenna 1..8
    quint8 split = 0;         // 1 = split on
    quint8 freeMask = 0xFF;   // bit n = antenna n+1; 0 busy, 1 free
    quint8 rotor = 0;         // 1..4, anything else: none
    quint8 group = 0;         // super-split group, bit n = position n
    quint8 transmitting = 0;  // 1 = on the air
    quint8 splitTxPos = 0;    // second position of the split pair
    quint8 previousTxPos = 0; // the position selected before the current one
    quint8 rxMode = 0;        // 1 = a separate receive antenna; 0 = RTX

    // A whole status frame ("IGT", nine fields, ";"), or nothing for any other bytes.
    static std::optional<SwitchStatus> decode(const QByteArray &frame);
};

// The firmware revision the switch gives in its "IGW" answer.
struct FirmwareRevision
{
    int major = 0;
    int minor = 0;

    static std::optional<FirmwareRevision> decode(const QByteArray &frame);
};

Q_DECLARE_METATYPE(SwitchStatus)
Q_DECLARE_METATYPE(FirmwareRevision)
