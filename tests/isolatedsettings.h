#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>
#include <vector>

#include "config/settingspath.h"

// The panel settings file lives next to the executable, which for a test is the test
// binary's folder, shared by every test. Each test that writes settings starts its
// application with one extra argument, so the file rule itself gives it a file of its
// own (settings<tag>.ini) and parallel test runs never share one. QtTest sees the
// original arguments. The port file goes to QtTest's own data folder.
#define ORVIK_ISOLATED_SETTINGS_MAIN(TestClass, tag)                                            \
    int main(int argc, char **argv)                                                           \
    {                                                                                          \
        QStandardPaths::setTestModeEnabled(true);                                              \
        std::vector<char *> appArgs(argv, argv + argc);                                        \
        char extra[] = tag;                                                                    \
        appArgs.insert(appArgs.begin() + 1, extra);                                            \
        appArgs.push_back(nullptr);                                                            \
        int appArgc = argc + 1;                                                                \
        QApplication app(appArgc, appArgs.data());                                             \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                               \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }

// Removes both settings files this process uses (and a directory put in the panel
// file's place by a failure test).
inline void removeSettingsFiles()
{
    QFile::remove(panelSettingsPath());
    QDir().rmdir(panelSettingsPath());
    QFile::remove(portSettingsPath());
    // QSettings keeps a parsed copy of each file per process and re-reads it only when
    // the size or time stamp changed; looking once at the missing files drops that copy,
    // so a file written by hand in the same millisecond is read afresh.
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
