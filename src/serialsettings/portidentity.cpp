#include "serialsettings/portidentity.h"

#include "config/settingsvalues.h"

namespace {

bool sameDevice(const QString &path, const QString &location)
{
    if (path == location)
        return true;
    const QString target = resolvedPath(path);
    return !target.isEmpty() && (target == location || target == resolvedPath(location));
}

BoxSelection storedIndexSelection(const QVariant &storedIndex, int count)
{
    const qint8 index = iniSelectionIndex(storedIndex);
    return {selectionIndexFits(index, count) ? index : 0, QString()};
}

} // namespace

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
