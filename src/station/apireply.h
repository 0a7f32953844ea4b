#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a client is told: R<seq>|<code>|<text>, the code as two upper-case hex digits and
// 00 for done. A line that carried no usable C<seq>| is answered with seq 0: clients
// count from 1, so that answer is never taken for the answer to one of theirs.
//
// Lines are made here without their ending: over TCP each is followed by "\n", over a
// WebSocket each is one text message.
enum class ReplyCode : quint8 {
    Ok = 0x00,
    UnknownVerb = 0x10,
    BadArguments = 0x20,
    NotAuthenticated = 0x30,
    ReadOnly = 0x31,
    SwitchOffline = 0x40,
    NotConfirmed = 0x41,
    LineTooLong = 0x50,
    RateLimited = 0x60,
    ServerFull = 0x70,
    BadToken = 0xFF,
};

// The words for a code when there is nothing more particular to say.
QByteArray codeText(ReplyCode code);
// The server closes the connection after sending one of these.
bool closesConnection(ReplyCode code);

// The text is the station's own words, never a client's; a byte that would break the
// line or its parts (a control byte, anything not ASCII, '|') is sent as '?' all the same,
// so a client may split every answer at each '|'.
QByteArray replyLine(quint16 seq, ReplyCode code, const QByteArray &text);
QByteArray replyLine(quint16 seq, ReplyCode code);
// A list: one R<seq>|00|<item> per item, then R<seq>|00| with no text to end it.
QList<QByteArray> listReply(quint16 seq, const QList<QByteArray> &items);

// What a new client reads first: V<version> ORVIK name=<name>, and " AUTH" at the end when
// nothing but auth and ping will be answered until it has authenticated.
QByteArray greeting(const QString &version, const QString &name, bool mustAuthenticate);

// Free text inside a message (a station name, a label, a reason) as one word of printable
// ASCII: its UTF-8 bytes are kept, except '%', '|', space and every byte outside '!'..'~',
// which become %XX (upper-case hex). So every message splits the same way, whatever the
// names in it: at '|' into its parts, at spaces into words, each word at its first '='
// into key and value; and the value decodes as a URL component does
// (decodeURIComponent in a page), back to the text as typed, Ørvik and all.
QByteArray fieldText(const QString &text);
