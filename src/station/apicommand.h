#pragma once

#include <QByteArray>
#include <QList>

#include "station/apireply.h"

// What a client asks, one line each: C<seq>|<verb> <arguments>.
//
// The seq is 1..65535 in decimal, with no sign and no leading zero: the answer carries it
// back as the same text, so a client that matches answers by their text never waits in
// vain for its "007". A line without a usable seq is answered R0|20|.
//
// A line is printable ASCII, space to '~'. Anything else in it (a control byte, a tab, a
// byte of UTF-8) is bad arguments: no verb, position, key or token is made of them, and a
// line that holds one was not typed for us. Words are split at runs of spaces; verbs and
// keywords are lower case, receive keys are read in any case as the settings read them.
enum class Verb {
    Auth, // token
    Ping,
    Keepalive, // enable
    Info,
    AntennaList,
    Status,
    SelectTx, // antenna
    SelectRx, // receive
    Split,    // antenna, splitAntenna
    SplitOff,
    SuperSplit, // group
    Rotor,      // rotor
    Release,
    ReleaseAll,
    Subscribe, // topics
    UnsubscribeAll,
};

// What "sub" takes, as bits; "all" is every one of them.
enum Topic : quint8 { TopicSwitch = 1, TopicLink = 2, TopicFollow = 4, TopicAll = 7 };

struct ApiCommand
{
    Verb verb = Verb::Ping;
    QByteArray token; // base64url characters, at most maxToken of them
    bool enable = false;
    int antenna = 0;      // 1..8
    int splitAntenna = 0; // 1..8, not antenna
    int receive = 0;      // RX1..RX4 as 0..3, RTX as 8, as the link takes it
    QList<int> group;     // 2..8 different positions 1..8, in the order given
    int rotor = 0;        // 1..4, 0 for none
    quint8 topics = 0;

    static constexpr int maxToken = 128;
};

struct ParsedLine
{
    quint16 seq = 0;                // 0: the line had no usable C<seq>|
    ReplyCode code = ReplyCode::Ok; // Ok: do `command`; else answer with this code
    QByteArray reason;              // the answer's text when code is not Ok
    ApiCommand command;
    bool blank = false; // an empty line: nothing to do and nothing to answer
};

ParsedLine parseLine(const QByteArray &line);

// The verbs that change the switch, which only a control token may send.
bool changesSwitch(Verb verb);
