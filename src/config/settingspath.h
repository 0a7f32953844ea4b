#pragma once

#include <QString>
#include <QStringList>

// Both settings files are named by one rule: settings.ini, or settingsX.ini when the
// program was started with a first argument X (further arguments are ignored).
QString settingsFilePath(const QStringList &arguments, const QString &baseDirectory);
// The same rule over this process's own arguments.
QString settingsFilePath(const QString &baseDirectory);

// Where the panel file lives: next to the program while its folder can be written (a
// build folder, a portable copy), otherwise, as for an installed program, in the
// per-user configuration folder.
QString panelSettingsDirectory(const QString &programDirectory, bool programDirectoryWritable,
                               const QString &userConfigDirectory);

// The panel file: captions, labels, ID, Enable, Release ALL.
QString panelSettingsPath();
// The port file in the per-user data folder: the serial port and speed selection.
QString portSettingsPath();

// The panel file a copy of the program kept next to itself before it was installed:
// when the per-user file does not exist yet, a copy of that one becomes its starting
// point. The original is never changed or removed, and an existing per-user file is
// never overwritten. Returns whether a copy was made.
bool adoptPanelSettings(const QString &besideProgram, const QString &perUser);
// The same for this process: the file beside the program, when the panel file now lives
// in the per-user folder.
bool adoptPanelSettings();
