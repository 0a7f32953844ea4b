#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>

// What the station remembers of each client address, to keep one address from guessing
// tokens or from holding the server with connections that never authenticate:
// badTokenLimit bad tokens within refuseMs refuse the address for refuseMs, and it may
// have at most maxUnauthenticated connections that have not authenticated yet.
//
// An IPv6 address counts by its /64, as one host is commonly handed a whole /64 to pick
// from; an IPv4 address mapped into IPv6 counts as that IPv4 address. A good token does
// not clear the count of bad ones, or a holder of any token could guess on for ever by
// authenticating between guesses. At most maxAddresses are remembered: when that many
// are in use, a connection from any other address is not admitted. The clock is the
// caller's, in milliseconds.
class AddressGuard
{
public:
    static constexpr int defaultBadTokenLimit = 5;
    static constexpr qint64 defaultRefuseMs = 60 * 1000;
    static constexpr int defaultMaxUnauthenticated = 2;

    explicit AddressGuard(int maxAddresses = 4096, int badTokenLimit = defaultBadTokenLimit,
                          qint64 refuseMs = defaultRefuseMs,
                          int maxUnauthenticated = defaultMaxUnauthenticated)
        : maxAddresses(maxAddresses), badTokenLimit(badTokenLimit), refuseMs(refuseMs),
          maxUnauthenticated(maxUnauthenticated)
    {}

    // Whether a new connection from address may go on. If so, it counts as unauthenticated
    // until left() is called for it.
    bool admit(const QHostAddress &address, qint64 nowMs);
    // One connection counted by admit() authenticated or closed.
    void left(const QHostAddress &address);
    // A bad token came from address: true when the address is refused from now on (the
    // server then closes every unauthenticated connection from it).
    bool badToken(const QHostAddress &address, qint64 nowMs);
    bool refused(const QHostAddress &address, qint64 nowMs) const;

private:
    struct Record
    {
        int unauthenticated = 0;
        int badTokens = 0;
        qint64 countSince = 0;   // the first bad token that still counts
        qint64 refusedUntil = 0; // refused while nowMs is before this
    };

    // The record for an address, made if there is room for one; nullptr when there is not.
    Record *recordFor(const QHostAddress &address, qint64 nowMs);

    int maxAddresses;
    int badTokenLimit;
    qint64 refuseMs;
    int maxUnauthenticated;
    QHash<QByteArray, Record> records;
};
