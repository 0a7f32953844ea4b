#include "radio/bands.h"

namespace {
constexpr qint64 kHz(double megahertz)
{
    return qint64(megahertz * 1000.0 + 0.5) * 1000;
}
} // namespace

const QVector<BandWindow> &bandWindows()
{
    static const QVector<BandWindow> windows = {
        {QStringLiteral("160m"), kHz(1.6), kHz(2.2)},
        {QStringLiteral("80m"), kHz(3.3), kHz(4.0)},
        {QStringLiteral("60m"), kHz(5.0), kHz(6.0)},
        {QStringLiteral("40m"), kHz(6.8), kHz(7.4)},
        {QStringLiteral("30m"), kHz(9.9), kHz(10.35)},
        {QStringLiteral("20m"), kHz(13.8), kHz(14.55)},
        {QStringLiteral("17m"), kHz(17.868), kHz(18.368)},
        {QStringLiteral("15m"), kHz(20.8), kHz(21.65)},
        {QStringLiteral("12m"), kHz(24.69), kHz(25.19)},
        {QStringLiteral("10m"), kHz(27.8), kHz(29.9)},
        {QStringLiteral("6m"), kHz(49.8), kHz(54.0)},
    };
    return windows;
}

QString bandOf(qint64 hz)
{
    for (const BandWindow &band : bandWindows())
        if (hz >= band.lowHz && hz <= band.highHz)
            return band.name;
    return QString();
}
