#include "config/portsettings.h"

#include <QCoreApplication>

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
    const IniFile file(portSettingsPath());
    return {iniText(file.value(portPathKey, QString())), file.value(portIndexKey, QString()),
            file.value(speedIndexKey, QString()), file.value(customRateKey, QString())};
}

bool savePortSelection(int portIndex, const QString &portPath, int speedIndex, int customRate)
{
    // The indexes stay as they always were, for files shared with older versions.
    return writeIniValues(portSettingsPath(),
                          {{portIndexKey, portIndex},
                           {speedIndexKey, speedIndex},
                           {portPathKey, portPath},
                           {customRateKey, customRate > 0 ? QVariant(customRate) : QVariant()}});
}

bool loadReconnectChoice()
{
    const IniFile file(portSettingsPath());
    return iniFlag(file, reconnectKey, false);
}

bool saveReconnectChoice(bool on)
{
    return writeIniValues(portSettingsPath(), {{reconnectKey, on}});
}

QString portSettingsNotSavedMessage()
{
    return QCoreApplication::translate("MainWindow", "Settings could not be saved to %1")
        .arg(portSettingsPath());
}
