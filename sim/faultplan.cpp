#include "faultplan.h"

#include <QString>

QByteArray FaultPlan::shape(const QString &kind, const QByteArray &reply)
{
    if (silent)
        return {};
    if (wrongDevice)
        return wrongDeviceAnswer();
    if (reply.isEmpty())
        return {};
    if (kind != QLatin1String("poll"))
        return reply;
    if (garbageLeft > 0) {
        --garbageLeft;
        return garbage(garbageSeed++);
    }
    if (truncateLeft > 0) {
        --truncateLeft;
        const int keep = qBound(1, truncatedLength, reply.size()) - 1;
        return reply.left(keep) + ';';
    }
    return reply;
}

QByteArray FaultPlan::garbage(quint32 seed)
{
    // A small linear congruential generator: reproducible runs, no global state.
    QByteArray bytes(13, '\0');
    quint32 x = seed * 2654435761u + 1;
    for (char &b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<char>(x >> 24);
    }
    if (bytes.at(0) == 'I')
        bytes[0] = 'i';
    if (bytes.back() == ';')
        bytes.back() = ':';
    return bytes;
}
