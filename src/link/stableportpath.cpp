#include "link/stableportpath.h"

#include <QDir>
#include <QFileInfo>

QString resolvedPath(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

QString storedPortPath(const QString &systemLocation, const QString &byIdFolder)
{
    const QString device = resolvedPath(systemLocation);
    if (device.isEmpty())
        return systemLocation;
    // Devices and dangling links are neither files nor folders to QDir, hence System.
    const QFileInfoList links =
        QDir(byIdFolder)
            .entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == device)
            return link.absoluteFilePath();
    }
    return systemLocation;
}
