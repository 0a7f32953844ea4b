#include "config/settingsvalues.h"

#include <QSettings>
#include <QStringList>

QString iniText(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

bool iniFlag(const QVariant &value)
{
    // A value written in this run may still be a bool in the shared cache.
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    const QString text = iniText(value).toLower();
    return !(text.isEmpty() || text == QLatin1String("0") || text == QLatin1String("false"));
}

int iniNumber(const QVariant &value)
{
    if (value.userType() == QMetaType::Int)
        return value.toInt();
    bool ok = false;
    const int number = iniText(value).toInt(&ok);
    return ok ? number : 0;
}

qint8 iniSelectionIndex(const QVariant &value)
{
    return qint8(iniNumber(value));
}

bool selectionIndexFits(qint8 index, int count)
{
    return index >= 0 && index < count;
}

bool flushSettings(QSettings &settings)
{
    settings.sync();
    return settings.status() == QSettings::NoError;
}
