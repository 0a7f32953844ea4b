#pragma once

#include <QString>
#include <QStringList>

// Both settings files are named by one rule: settings.ini, or settingsX.ini when the
// program was started with a first argument X (further arguments are ignored).
QString settingsFilePath(const QStringList &arguments, const QString &baseDirectory);
// The same rule over this process's own arguments.
QString settingsFilePath(const QString &baseDirectory);

// The panel file next to the executable: captions, labels, ID, Enable, Release ALL.
QString panelSettingsPath();
// The port file in the per-user data folder: the serial port and speed selection.
QString portSettingsPath();
