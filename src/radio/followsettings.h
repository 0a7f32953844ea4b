#pragma once

#include <QMap>
#include <QString>

#include "config/settingsvalues.h"

// How the antenna follows the radio, kept in the panel settings file beside the
// captions: [Radio] for the source, [BandTX] and [BandRX] for the band tables.
enum class SourceKind { None, Rigctld, N1mm };

struct FollowSettings
{
    bool follow = false; // Configs › Follow Radio
    SourceKind source = SourceKind::None;
    QString rigctldHost = QStringLiteral("127.0.0.1");
    quint16 rigctldPort = 4532;
    // The Rigctld= text when it names no host and port: nothing is followed then.
    QString badRigctldAddress;
    quint16 n1mmPort = 12060;
    int n1mmRadio = 0;         // 0: the radio with transmit focus
    int dwellMs = 300;         // how long a band holds before it is acted on
    QMap<QString, int> bandTx; // band → TX antenna 1..8
    QMap<QString, int> bandRx; // band → receive index (RX1..RX4: 0..3, RTX: 8)
    // The StationName followed (empty: any station) and the N1mmFrom= text as typed (see
    // readN1mmSenders; empty: the local networks).
    QString n1mmStation;
    QString n1mmFrom;
};

// Reads what is stored; anything a hand edit got wrong reads as its default (an unknown
// source as none, an antenna out of range as no choice).
FollowSettings loadFollowSettings(const QString &path);
// The keys to write for these settings; bands without a choice lose their key.
IniValues followSettingsValues(const FollowSettings &settings);

// "host:port" or "[IPv6]:port", the port 1..65535 in digits alone. A text that names no
// host and port leaves host and port as they were and answers false.
bool readRigctldAddress(const QString &text, QString &host, quint16 &port);
QString rigctldAddress(const QString &host, quint16 port);

// "RX1".."RX4", "RTX" and back; -1 for anything else.
QString receiveKeyName(int index);
int receiveKeyIndex(const QString &name);
QString sourceKindName(SourceKind kind);

// Just the Follow Radio choice, as the menu stores it.
IniValues followChoiceValues(bool follow);
