#pragma once

#include <QString>

// The path to remember for a listed port: a link in byIdFolder (normally
// /dev/serial/by-id) that resolves to the port's device, which keeps naming the same
// adapter whatever number the kernel gives it; otherwise the system location itself.
QString storedPortPath(const QString &systemLocation, const QString &byIdFolder);

// Where the system keeps those links.
inline const QString serialByIdFolder = QStringLiteral("/dev/serial/by-id");

// Where a path finally leads; empty when nothing is there (an unplugged adapter's link
// dangles), so two missing devices never count as the same one.
QString resolvedPath(const QString &path);
