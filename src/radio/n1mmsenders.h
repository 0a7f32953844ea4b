#pragma once

#include <QHostAddress>
#include <QList>
#include <optional>

// Who may drive the switch through N1MM broadcasts: the networks a datagram's sender must be
// in. These need QtNetwork, so they live beside the N1MM source and not in the core.
using Subnet = QPair<QHostAddress, int>;

// The networks [Radio] N1mmFrom= allows: addresses (IPv4 or IPv6) and subnets in CIDR form
// (192.168.1.0/24), separated by commas. Empty: loopback, private and link-local networks
// only, never a public address. An entry that is neither, an empty one or an IPv4 address not
// written as its four numbers (192.168 would be 192.0.0.168) refuses the whole text: nothing,
// and *badEntry says which entry.
std::optional<QList<Subnet>> readN1mmSenders(const QString &text, QString *badEntry = nullptr);

// Whether sender is in one of the networks; an IPv4-mapped IPv6 sender (::ffff:a.b.c.d) is
// its IPv4 address.
bool isAllowedSender(const QHostAddress &sender, const QList<Subnet> &allowed);
