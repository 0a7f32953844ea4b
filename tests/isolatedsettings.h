#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include "config/settingspath.h"

// The panel file lives next to the executable, shared by every test binary. The tag,
// set as the settings suffix, gives each test its own settings<tag>.ini; the port file
// goes to QtTest's data folder.
#define ORVIK_ISOLATED_SETTINGS_MAIN(TestClass, tag) \
    int main(int argc, char **argv) \
    { \
        QStandardPaths::setTestModeEnabled(true); \
        QApplication app(argc, argv); \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        setSettingsSuffix(QStringLiteral(tag)); \
        TestClass test; \
        return QTest::qExec(&test, argc, argv); \
    }

// Removes both settings files (and a directory a failure test put in the panel file's
// place). Looking once at the missing files drops QSettings' cached copy, so a file
// written by hand in the same millisecond is read afresh.
inline void removeSettingsFiles()
{
    QFile::remove(panelSettingsPath());
    QDir().rmdir(panelSettingsPath());
    QFile::remove(portSettingsPath());
    QSettings panel(panelSettingsPath(), QSettings::IniFormat);
    QSettings port(portSettingsPath(), QSettings::IniFormat);
}

// Writes a panel settings file by hand, as an operator with a text editor would.
inline void writePanelFile(const QByteArray &contents)
{
    QFile file(panelSettingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}
