#pragma once

#include <QString>
#include <QStringList>

// The seven strings that describe a listed port, in the order the dialog's labels use
// them: system name, description, manufacturer, serial number, system location,
// vendor identifier, product identifier. Empty texts and absent (or 0) identifiers
// read "N/A"; identifiers are lower-case hexadecimal without prefix or leading zeros.
// The location is shown as it is, even when empty.
QStringList describePort(const QString &name, const QString &description,
                         const QString &manufacturer, const QString &serialNumber,
                         const QString &location, quint16 vendorId, quint16 productId,
                         bool hasVendorId, bool hasProductId);
