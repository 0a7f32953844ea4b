#include "config/settingspath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString settingsFilePath(const QStringList &arguments, const QString &baseDirectory)
{
    if (arguments.size() < 2)
        return baseDirectory + QLatin1String("/settings.ini");
    return baseDirectory + QLatin1String("/settings") + arguments.at(1) + QLatin1String(".ini");
}

QString settingsFilePath(const QString &baseDirectory)
{
    return settingsFilePath(QCoreApplication::arguments(), baseDirectory);
}

QString panelSettingsDirectory(const QString &programDirectory, bool programDirectoryWritable,
                               const QString &userConfigDirectory)
{
    return programDirectoryWritable ? programDirectory : userConfigDirectory;
}

QString panelSettingsPath()
{
    const QString programDirectory = QCoreApplication::applicationDirPath();
    return settingsFilePath(panelSettingsDirectory(programDirectory,
                                                   QFileInfo(programDirectory).isWritable(),
                                                   QStandardPaths::writableLocation(
                                                       QStandardPaths::AppConfigLocation)));
}

QString portSettingsPath()
{
    return settingsFilePath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

bool adoptPanelSettings(const QString &besideProgram, const QString &perUser)
{
    if (besideProgram == perUser || QFileInfo::exists(perUser)
        || !QFileInfo(besideProgram).isFile())
        return false;
    if (!QDir().mkpath(QFileInfo(perUser).absolutePath()) || !QFile::copy(besideProgram, perUser))
        return false;
    // The copy takes the original's permissions; a read-only original (installed files
    // often are) would leave the operator with a per-user file nothing can save to.
    return QFile::setPermissions(perUser, QFile::permissions(perUser) | QFile::WriteOwner);
}

bool adoptPanelSettings()
{
    return adoptPanelSettings(settingsFilePath(QCoreApplication::applicationDirPath()),
                              panelSettingsPath());
}
