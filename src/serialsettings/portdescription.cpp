#include "serialsettings/portdescription.h"

namespace {

const QString notAvailable = QStringLiteral("N/A");

QString orNotAvailable(const QString &text)
{
    return text.isEmpty() ? notAvailable : text;
}

QString identifier(quint16 id, bool present)
{
    return present && id != 0 ? QString::number(id, 16) : notAvailable;
}

} // namespace

QStringList describePort(const QString &name, const QString &description,
                         const QString &manufacturer, const QString &serialNumber,
                         const QString &location, quint16 vendorId, quint16 productId,
                         bool hasVendorId, bool hasProductId)
{
    return {name,
            orNotAvailable(description),
            orNotAvailable(manufacturer),
            orNotAvailable(serialNumber),
            location,
            identifier(vendorId, hasVendorId),
            identifier(productId, hasProductId)};
}
