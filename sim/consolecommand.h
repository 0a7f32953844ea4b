#pragma once

#include <QString>

// One line typed on the simulator's standard input (or given on its command line),
// turned into what to do. Kept apart from the event loop so the parsing is tested.
struct ConsoleCommand
{
    enum Verb {
        Empty,
        Invalid,
        Busy,        // number = mask of busy antennas, bit n = antenna n+1
        Tx,          // flag
        Firmware,    // number = major, second = minor
        Silent,      // flag
        Garbage,     // number = how many polls
        Truncate,    // number = how many polls, second = length with the ";"
        Hangup,      // number = ms away, flag = keep the link while away
        Delay,       // number = ms before each answer
        Baud,        // number = line speed, 0 = bytes at once
        Chunk,       // number = bytes in the first piece (0 = off), second = ms pause after it
        Noise,       // number = random bytes a second between answers
        Short,       // number = length of the short frames before status answers, 0 = off
        WrongDevice, // flag
        Status,
        Help,
        Quit
    };
    Verb verb = Empty;
    int number = 0;
    int second = 0;
    bool flag = false;
    QString error; // for Invalid: what was wrong
};

ConsoleCommand parseConsoleCommand(const QString &line);

// "none", "all", a list of antenna numbers 1..8 ("1,5" or "1 5") or a mask "0x11"
// with bit n = antenna n+1 busy. Returns -1 when the text is none of these.
int parseBusyAntennas(const QString &text);

// "major.minor" or "major minor", each 0..255; false when malformed.
bool parseFirmware(const QString &text, int *major, int *minor);

extern const char consoleHelp[];
