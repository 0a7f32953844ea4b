#include "station/addressguard.h"

namespace {

QByteArray keyOf(const QHostAddress &address)
{
    bool isIPv4 = false;
    const quint32 v4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        return '4' + QByteArray::number(v4);
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    return '6' + QByteArray(reinterpret_cast<const char *>(v6.c), 8);
}

} // namespace

AddressGuard::Record *AddressGuard::recordFor(const QHostAddress &address, qint64 nowMs)
{
    const QByteArray key = keyOf(address);
    if (!records.contains(key) && records.size() >= maxAddresses) {
        // Room is made by forgetting what no longer matters: nothing open, nothing refused,
        // no bad token that still counts.
        for (auto it = records.begin(); it != records.end();) {
            const Record &r = it.value();
            const bool idle = r.unauthenticated == 0 && nowMs >= r.refusedUntil
                              && (r.badTokens == 0 || nowMs - r.countSince >= refuseMs);
            if (idle)
                it = records.erase(it);
            else
                ++it;
        }
        if (records.size() >= maxAddresses)
            return nullptr;
    }
    return &records[key];
}

bool AddressGuard::admit(const QHostAddress &address, qint64 nowMs)
{
    if (refused(address, nowMs))
        return false;
    Record *record = recordFor(address, nowMs);
    if (!record || record->unauthenticated >= maxUnauthenticated)
        return false;
    ++record->unauthenticated;
    return true;
}

void AddressGuard::left(const QHostAddress &address)
{
    const auto it = records.find(keyOf(address));
    if (it != records.end() && it->unauthenticated > 0)
        --it->unauthenticated;
}

bool AddressGuard::badToken(const QHostAddress &address, qint64 nowMs)
{
    Record *record = recordFor(address, nowMs);
    if (!record)
        return true; // with no room to count, the only safe answer is no
    if (record->badTokens == 0 || nowMs - record->countSince >= refuseMs) {
        record->badTokens = 0;
        record->countSince = nowMs;
    }
    if (++record->badTokens < badTokenLimit)
        return false;
    record->badTokens = 0;
    record->refusedUntil = nowMs + refuseMs;
    return true;
}

bool AddressGuard::refused(const QHostAddress &address, qint64 nowMs) const
{
    const auto it = records.constFind(keyOf(address));
    return it != records.constEnd() && nowMs < it->refusedUntil;
}
