#include "config/settingspath.h"

#include <QCoreApplication>
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

QString panelSettingsPath()
{
    return settingsFilePath(QCoreApplication::applicationDirPath());
}

QString portSettingsPath()
{
    return settingsFilePath(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}
