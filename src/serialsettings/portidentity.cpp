#include "serialsettings/portidentity.h"

#include <QDir>
#include <QFileInfo>

#include "config/settingsvalues.h"

namespace {

// Where a path finally leads; empty when nothing is there (an unplugged adapter's link
// dangles), so two missing devices never count as the same one.
QString resolved(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

bool sameDevice(const QString &path, const QString &location)
{
    if (path == location)
        return true;
    const QString target = resolved(path);
    return !target.isEmpty() && (target == location || target == resolved(location));
}

BoxSelection storedIndexSelection(const QVariant &storedIndex, int count)
{
    const qint8 index = iniSelectionIndex(storedIndex);
    return {selectionIndexFits(index, count) ? index : 0, QString()};
}

} // namespace

QString storedPortPath(const QString &systemLocation, const QString &byIdFolder)
{
    const QString device = resolved(systemLocation);
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

BoxSelection portSelection(const QString &storedPath, const QVariant &storedIndex,
                           const QStringList &listedLocations)
{
    const int customIndex = listedLocations.size();
    if (storedPath.trimmed().isEmpty())
        return storedIndexSelection(storedIndex, customIndex + 1);
    for (int i = 0; i < listedLocations.size(); ++i) {
        if (sameDevice(storedPath, listedLocations.at(i)))
            return {i, QString()};
    }
    return {customIndex, storedPath};
}

BoxSelection speedSelection(const QVariant &storedIndex, const QVariant &storedRate, int count,
                            int maximumRate)
{
    BoxSelection selection = storedIndexSelection(storedIndex, count);
    const int rate = iniNumber(storedRate);
    if (selection.index == count - 1 && rate > 0 && rate <= maximumRate)
        selection.customText = QString::number(rate);
    return selection;
}
