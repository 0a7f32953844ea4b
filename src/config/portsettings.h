#pragma once

#include <QString>
#include <QVariant>

// The per-user port settings file (portSettingsPath()): the serial selection the
// settings dialog keeps and the File › Reconnect Automatically choice. Every write is
// flushed and says whether it reached the disk, so the caller can tell the operator.

// The serial selection as stored, raw, for portSelection() and speedSelection() to
// judge: a hand-edited file may hold anything.
struct StoredPortSelection
{
    QString portPath;    // "portpath": by-id link, system location or typed Custom path
    QVariant portIndex;  // "comindex": the port's list position, read by older versions
    QVariant speedIndex; // "speedindex"
    QVariant customRate; // "customrate": the rate typed into the Custom speed item
};
StoredPortSelection loadPortSelection();

// Stores the selection; a customRate of 0 or less (a listed speed, or nothing typed)
// removes the stored rate. Returns whether the file reached the disk.
bool savePortSelection(int portIndex, const QString &portPath, int speedIndex, int customRate);

// File › Reconnect Automatically ("reconnect"), off unless stored as on.
bool loadReconnectChoice();
bool saveReconnectChoice(bool on);

// The status line text for a write of this file that did not reach the disk, the same
// words the panel file's writers use.
QString portSettingsNotSavedMessage();
