#include "config/settingspath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVariant>

namespace {
// A dynamic property of the application object: the suffix belongs to this run of the
// program, not to any one window, and the object outlives every reader.
constexpr char settingsSuffixProperty[] = "orvikSettingsSuffix";

QString settingsSuffix()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application ? application->property(settingsSuffixProperty).toString() : QString();
}

QString settingsFilePath(const QString &baseDirectory)
{
    return settingsFilePath(settingsSuffix(), baseDirectory);
}

// Folders that belong to the system's package manager or to a vendor's installer.
bool isSystemDirectory(const QString &directory)
{
    // The slash keeps /usrlocal out of /usr.
    const QString path = QDir::cleanPath(directory) + QLatin1Char('/');
    for (const char *root : {"/usr/", "/opt/"})
        if (path.startsWith(QLatin1String(root)))
            return true;
    return false;
}
} // namespace

QString settingsFilePath(const QString &suffix, const QString &baseDirectory)
{
    return baseDirectory + QLatin1String("/settings") + suffix + QLatin1String(".ini");
}

void setSettingsSuffix(const QString &suffix)
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->setProperty(settingsSuffixProperty, suffix);
}

QString panelSettingsDirectory(const QString &programDirectory, bool programDirectoryWritable,
                               const QString &userConfigDirectory)
{
    return programDirectoryWritable && !isSystemDirectory(programDirectory) ? programDirectory
                                                                            : userConfigDirectory;
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
