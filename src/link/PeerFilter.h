#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// Which callers the tool serves on its listening socket: the installation, not
// whoever can reach the port. A frame from anywhere else would rewrite the
// address and port fields and send the next request elsewhere.
namespace PeerFilter {

// A network one of this machine's interfaces is directly on.
struct LocalNetwork
{
    QHostAddress address;
    int prefixLength = -1;
};

// True for loopback, the LAN device and the gateway as their address fields
// name them now, and hosts on a local network (devices report AutoSend changes
// and weather data from there).
bool accepts(const QHostAddress &peer, const QString &lanHost, const QString &gatewayHost,
             const QList<LocalNetwork> &localNetworks);

// The networks that this machine's running interfaces are directly on; read at each call, so that an interface that
// came up since start-up counts.
QList<LocalNetwork> localNetworks();

// The address as the log names it: an IPv4 caller seen on a dual-stack socket as itself.
QHostAddress plain(const QHostAddress &peer);

} // namespace PeerFilter
