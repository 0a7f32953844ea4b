#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include "link/stableportpath.h"

// How the chosen port and speed outlive a restart. A list position alone names another
// device once USB adapters enumerate in a different order, so the port is remembered by
// a path that follows the adapter, and the position is only the fallback for files
// written before paths were stored.

// What a box should show: the item to make current and, when that item is the editable
// "Custom" one, the text to put into it.
struct BoxSelection
{
    int index = 0;
    QString customText;
};

// The port box holds the listed system locations and then "Custom". A stored path
// selects the listed port it resolves to; a path that names none of them (adapter
// unplugged, or typed into Custom) goes into Custom as it is, so the operator sees it
// rather than being silently connected to another device. A blank path counts as none
// and the stored index decides, under the old rules: out of range keeps the first item.
BoxSelection portSelection(const QString &storedPath, const QVariant &storedIndex,
                           const QStringList &listedLocations);

// The speed box holds count items, the last being "Custom". A stored rate only comes
// back with the custom item, and only when it is a whole number from 1 to maximumRate,
// the values the custom field itself accepts.
BoxSelection speedSelection(const QVariant &storedIndex, const QVariant &storedRate, int count,
                            int maximumRate);
