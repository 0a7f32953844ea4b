#pragma once

#include <QString>

// Both settings files are named by one rule: settings.ini, or settingsX.ini for the
// settings suffix X (orvik-panel X).
QString settingsFilePath(const QString &suffix, const QString &baseDirectory);

// The suffix this process uses, decided once at start-up from the parsed command line.
// It is kept on the application object, which must exist; until it is set, and without
// an application object, the files are the plain settings.ini.
void setSettingsSuffix(const QString &suffix);

// Where the panel file lives: next to the program while its folder can be written (a
// build folder, a portable copy), otherwise, as for an installed program, in the
// per-user configuration folder. A program under /usr or /opt is an installed one even
// when its folder can be written (by root): the panel never writes there.
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
