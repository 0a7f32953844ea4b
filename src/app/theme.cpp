#include "app/theme.h"

#include <QFile>

// The theme's bundle is registered here rather than by whoever builds a window, so every
// caller, the tests' dialogs included, gets the same sheet without an extra step, and a
// build that leaves the bundle out fails to link. Outside any namespace: the macro
// declares the bundle's registration function where it stands.
static QString readThemeTemplate()
{
    Q_INIT_RESOURCE(theme);
    QFile file(QStringLiteral(":/theme.qss"));
    // The sheet is compiled into the program, so a failed read means a broken build; a
    // panel that started unstyled would hide that behind a window that merely looks odd.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("theme: cannot read %s from the program's resources", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll());
}

QString darkStyleSheet(ThemeVariant variant)
{
    static const QString themeTemplate = readThemeTemplate();
    const bool dialog = variant == ThemeVariant::Dialog;
    QString sheet = themeTemplate;
    sheet.replace(QLatin1String("@TEXT@"),
                  dialog ? QLatin1String("#b1b1b1") : QLatin1String("white"));
    sheet.replace(QLatin1String("@BUTTON_FONT@"),
                  dialog ? QLatin1String("\n    font-size: 12px;") : QLatin1String(""));
    return sheet;
}
