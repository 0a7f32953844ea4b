#pragma once

#include <QByteArray>
#include <QString>

#include "panel/styles.h"

// The panel's looks by name and by letter, so a test row reads like the panel:
// "igab" is idle, group, active, standby.
struct StyleName
{
    const char *sheet;
    char letter;
    const char *name;
};

inline constexpr StyleName styleNames[] = {
    {styleIdle, 'i', "idle"},       {styleSelected, 's', "selected"},
    {styleGroup, 'g', "group"},     {styleActive, 'a', "active"},
    {styleStandby, 'b', "standby"}, {styleRxSelected, 'r', "rxSelected"},
    {styleAlert, 'R', "alert"},     {styleBusy, 'B', "busy"},
    {styleLinkUp, 'G', "linkUp"},   {styleReleaseAll, 'X', "releaseAll"},
};

// The letter of a style sheet: '-' for none (a key left as it is), '?' for a sheet the
// panel never uses.
inline char styleLetter(const char *sheet)
{
    if (!sheet)
        return '-';
    for (const StyleName &s : styleNames)
        if (QByteArray(sheet) == s.sheet)
            return s.letter;
    return '?';
}

// The name of a widget's style sheet, or the sheet itself when it is none of the panel's.
inline QString styleName(const QString &sheet)
{
    for (const StyleName &s : styleNames)
        if (sheet == QLatin1String(s.sheet))
            return s.name;
    return sheet;
}
