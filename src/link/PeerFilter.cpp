#include "link/PeerFilter.h"

#include <QNetworkInterface>

namespace PeerFilter {

QList<LocalNetwork> localNetworks()
{
    QList<LocalNetwork> networks;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!interface.flags().testFlag(QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            networks.append({entry.ip(), entry.prefixLength()});
    }
    return networks;
}

QHostAddress plain(const QHostAddress &peer)
{
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : peer;
}

bool accepts(const QHostAddress &peer, const QString &lanHost, const QString &gatewayHost,
             const QList<LocalNetwork> &localNetworks)
{
    const QHostAddress caller = plain(peer);
    if (caller.isNull())
        return false;
    if (caller.isLoopback())
        return true;
    for (const QString &host : {lanHost, gatewayHost}) {
        const QHostAddress configured(host);
        if (!configured.isNull() && plain(configured) == caller)
            return true;
    }
    for (const LocalNetwork &network : localNetworks) {
        // A network without its mask says nothing about who is on it.
        if (network.prefixLength < 0 || network.address.isNull())
            continue;
        if (caller.isInSubnet(plain(network.address), network.prefixLength))
            return true;
    }
    return false;
}

} // namespace PeerFilter
