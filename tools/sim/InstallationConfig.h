#pragma once

#include "DeviceModels.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The installation as a JSON file describes it. Devices have no address in
// the file: the first one serves on the address given at start, the others
// on the addresses that follow, all on one port.
struct InstallationConfig
{
    QList<SimNode> nodes;
    SimTiming timing;
    quint16 port = 0;

    // Reads the file's text; on failure nodes is empty and errors says why,
    // naming the place ("devices[1].radioDevices[0].flags: ...").
    static InstallationConfig fromJson(const QByteArray &json, QStringList &errors);

    // Puts the first device on first and the others on the addresses that
    // follow, all on port; a destination given replaces every device's
    // standard destination. False when the addresses run out.
    bool place(const Ipv4 &first, quint16 port, const std::optional<Ipv4> &destination, QString &error);
};

// "192.168.28.1"; no value for anything else.
std::optional<Ipv4> parseIpv4(const QString &text);
// The address count places after first; no value past 255.255.255.255.
std::optional<Ipv4> addressAfter(const Ipv4 &first, int count);
