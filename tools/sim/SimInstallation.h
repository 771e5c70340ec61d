#pragma once

#include "DeviceModels.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// A small installation: LAN adapters and radio/LAN gateways, each a node on
// its own address, and the radio devices behind the gateways. It decides what
// each device answers and sends; the server moves the bytes and keeps the time.
class SimInstallation
{
public:
    // A frame a device sends on a connection of its own.
    struct Outgoing
    {
        int node = 0;
        QByteArray frame;
        Ipv4 destination{};
        quint16 port = 0;
        QString what; // for the log: who sends what
    };

    // What a node does with one frame.
    struct Handling
    {
        QString request; // what the frame asks of whom, for the log
        QString note; // what the device did, or why it ignored the frame
        bool ignored = false;
        QByteArray reply; // written on the caller's connection, or, when relayed, delivered by the call-back
        bool relayed = false; // gateway: the caller is dropped and the reply comes by calling back
        bool moved = false; // the node now belongs on a new address or port
    };

    struct CommandResult
    {
        QStringList lines;
        QList<Outgoing> outgoing;
    };

    SimInstallation(QList<SimNode> nodes, SimTiming timing);

    const QList<SimNode> &nodes() const { return m_nodes; }
    const SimTiming &timing() const { return m_timing; }
    QString nodeName(int node) const;

    // One frame as FrameReader cut it from the node's connection.
    Handling receive(int node, QByteArrayView wire);
    // The node could not take the address it was programmed to and stays where it was.
    void restoreAddress(int node, const Ipv4 &address, quint16 port);

    QList<Outgoing> changeScheduledInputs();
    QList<Outgoing> weatherReports();
    void drift();

    // A technician's command: "input <device> <channel> on|off", "weather", "list", "help".
    CommandResult runCommand(const QString &line);
    QStringList describe() const;

private:
    Outgoing reportOf(int node, int radio) const;
    Outgoing weatherOf(int node, int radio) const;

    QList<SimNode> m_nodes;
    SimTiming m_timing;
};
