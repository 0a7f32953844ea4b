#include "config/portsettings.h"

#include <QCoreApplication>
#include <QSettings>

#include "config/settingspath.h"
#include "config/settingsvalues.h"

namespace {
const QString portPathKey = QStringLiteral("portpath");
const QString portIndexKey = QStringLiteral("comindex");
const QString speedIndexKey = QStringLiteral("speedindex");
const QString customRateKey = QStringLiteral("customrate");
const QString reconnectKey = QStringLiteral("reconnect");
} // namespace

StoredPortSelection loadPortSelection()
{
    const QSettings file(portSettingsPath(), QSettings::IniFormat);
    return {iniText(file.value(portPathKey, QString())), file.value(portIndexKey, QString()),
            file.value(speedIndexKey, QString()), file.value(customRateKey, QString())};
}

bool savePortSelection(int portIndex, const QString &portPath, int speedIndex,
                       int customRate)
{
    QSettings file(portSettingsPath(), QSettings::IniFormat);
    // The indexes stay as they always were, for files shared with older versions.
    file.setValue(portIndexKey, portIndex);
    file.setValue(speedIndexKey, speedIndex);
    file.setValue(portPathKey, portPath);
    if (customRate > 0)
        file.setValue(customRateKey, customRate);
    else
        file.remove(customRateKey);
    return flushSettings(file);
}

bool loadReconnectChoice()
{
    const QSettings file(portSettingsPath(), QSettings::IniFormat);
    return iniFlag(file.value(reconnectKey, QString()));
}

bool saveReconnectChoice(bool on)
{
    QSettings file(portSettingsPath(), QSettings::IniFormat);
    file.setValue(reconnectKey, on);
    return flushSettings(file);
}

QString portSettingsNotSavedMessage()
{
    return QCoreApplication::translate("MainWindow", "Settings could not be saved to %1")
        .arg(portSettingsPath());
}
