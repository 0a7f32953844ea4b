#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// What one N1MM Logger+ "RadioInfo" broadcast says about one radio. Every field is
// optional: the logger (or another program on the same port) may leave any of them out.
struct RadioInfo
{
    std::optional<int> radioNr;
    std::optional<qint64> freqHz;     // receive frequency; the datagram has tens of Hz
    std::optional<qint64> txFreqHz;   // transmit frequency, differs from freqHz in split
    std::optional<int> activeRadioNr; // the radio with transmit focus
    std::optional<bool> transmitting;
    std::optional<QString> stationName; // the computer N1MM runs on, without blanks around it

    // The transmit frequency: TXFreq, or Freq when TXFreq is missing or 0 (a logger that
    // knows no split sends the one frequency), or 0 when neither is known.
    qint64 txHz() const;
};

// A datagram bigger than this is nobody's RadioInfo and is not read.
constexpr int maxRadioInfoSize = 8 * 1024;
// Nor is one nested deeper than this, or with more elements: the logger's own has one
// level under the root and a few dozen elements.
constexpr int maxRadioInfoDepth = 32;
constexpr int maxRadioInfoElements = 256;
// A computer's name is far shorter; a longer StationName counts as missing, and so does one
// with a character that cannot be printed.
constexpr int maxStationNameLength = 64;

// The RadioInfo in a datagram, or nothing when the datagram is too big, too deep or has
// too many elements, is not well-formed XML, or its root element is anything but <RadioInfo> (the
// same port carries contactinfo, appinfo and others). Unknown elements are skipped; a known one
// whose text is not a number or a boolean counts as missing.
std::optional<RadioInfo> parseRadioInfo(const QByteArray &datagram);

// Whether a broadcast is about the radio the panel follows: 1 or 2 is that radio
// number; 0 is whichever radio has transmit focus (RadioNr equal to ActiveRadioNr,
// both present).
bool isFollowedRadio(const RadioInfo &info, int radio);

// Whether a broadcast comes from the station the panel follows: any station when station is
// empty (or blank), else only the one whose StationName is that name in any case, since it
// is a computer's name. A broadcast without a StationName is no station's.
bool isFollowedStation(const RadioInfo &info, const QString &station);
