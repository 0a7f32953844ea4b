#include "radio/n1mmsenders.h"

#include <QStringList>
#include <algorithm>

namespace {

// ::ffff:a.b.c.d as a.b.c.d, so a dual-stack socket's senders meet the IPv4 networks. A
// network's bits past its prefix are clear, so one that is still mapped has 96 bits or more.
Subnet plainIpv4(const Subnet &net)
{
    const QHostAddress v4(net.first.toIPv4Address());
    const bool mapped = net.first.protocol() == QAbstractSocket::IPv6Protocol
                        && v4.isEqual(net.first, QHostAddress::ConvertV4MappedToIPv4);
    return mapped ? Subnet(v4, net.second - 96) : net;
}

std::optional<Subnet> readEntry(const QString &entry)
{
    const int slash = entry.indexOf(QLatin1Char('/'));
    const QString address = entry.left(slash);
    const QString bits = slash < 0 ? QString() : entry.mid(slash + 1);
    QHostAddress host;
    // Qt reads IPv4 as inet_aton does: 192.168 is 192.0.0.168, 010.0.0.1 is 8.0.0.1. Only the
    // four numbers as they are written name the address the operator meant.
    if (!host.setAddress(address)
        || (host.protocol() == QAbstractSocket::IPv4Protocol && host.toString() != address))
        return std::nullopt;
    bool ok = true;
    if (slash >= 0) {
        const uint prefix = bits.toUInt(&ok);
        ok = ok && QString::number(prefix) == bits; // digits alone: no sign, blank or 0 before
    }
    const Subnet net = QHostAddress::parseSubnet(entry);
    if (!ok || net.second < 0)
        return std::nullopt;
    return plainIpv4(net);
}

const QList<Subnet> &localNetworks()
{
    static const QList<Subnet> networks = [] {
        QList<Subnet> list;
        for (const char *net : {"127.0.0.0/8", "::1/128", "10.0.0.0/8", "172.16.0.0/12",
                                "192.168.0.0/16", "fc00::/7", "169.254.0.0/16", "fe80::/10"})
            list.append(QHostAddress::parseSubnet(QLatin1String(net)));
        return list;
    }();
    return networks;
}

} // namespace

std::optional<QList<Subnet>> readN1mmSenders(const QString &text, QString *badEntry)
{
    if (text.trimmed().isEmpty())
        return localNetworks();
    QList<Subnet> networks;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const std::optional<Subnet> net = readEntry(part.trimmed());
        if (!net) {
            if (badEntry)
                *badEntry = part.trimmed();
            return std::nullopt;
        }
        networks.append(*net);
    }
    return networks;
}

bool isAllowedSender(const QHostAddress &sender, const QList<Subnet> &allowed)
{
    const QHostAddress from = plainIpv4({sender, 128}).first;
    return std::any_of(allowed.cbegin(), allowed.cend(),
                       [&from](const Subnet &net) { return from.isInSubnet(net); });
}
