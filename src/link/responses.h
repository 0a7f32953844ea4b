#pragma once

#include <QtGlobal>

// The two responses the panel understands. Fields are raw byte values at fixed
// positions, counted from the "I".
namespace StatusField {
enum : int {
    txPos = 3,        // 0..7 = antenna 1..8
    split = 4,        // 1 = split on
    busyMask = 5,     // bit n = antenna n+1; 0 busy, 1 free
    rotor = 6,        // 1..4, anything else: none
    group = 7,        // super-split group, bit n = position n
    transmitting = 8, // 1 = on the air
    splitTxPos = 9,   // second position of the split pair
    previousTxPos = 10,
    rxMode = 11, // 1 = a separate receive antenna; 0 = RTX
};
}
namespace FirmwareField {
enum : int { major = 3, minor = 4 };
}

// "IGT" + 9 fields + ";"
constexpr int statusResponseLength = 13;
// "IGW", major, minor, ";"
constexpr int firmwareResponseLength = 6;

// Whether the n bytes form a whole response of a kind we decode: "IG", the kind, that
// kind's exact length and the closing ";". Only such a frame is decoded and counts as a
// sign of life; anything else, a transceiver answering on the wrong port included,
// changes nothing.
bool isCompleteResponse(const quint8 *bytes, int n);
