#pragma once

#include "FrameReader.h"
#include "SimInstallation.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

// Puts the installation on the network: a listening socket per device on its
// address and port, the gateway's call-backs, the frames devices send unasked,
// the timers of time-based behaviour, and the technician's commands on
// standard input. Every frame in and out becomes a line on standard output.
class SimServer : public QObject
{
    Q_OBJECT

public:
    explicit SimServer(SimInstallation installation, QObject *parent = nullptr);

    // Listens for every device and starts the timers; false with the reason
    // when a device cannot have its address.
    bool start(QString &error);

private:
    static constexpr int DeliveryAttempts = 3;
    static constexpr int RetryDelayMs = 250;
    // How long a device keeps a connection of its own open for the tool to close.
    static constexpr int HoldConnectionMs = 5000;

    QTcpServer *listenFor(int node, QString &error);
    void serve(int node, QTcpSocket *socket);
    void handle(int node, QTcpSocket *socket, const QString &caller, const FrameReader::Piece &piece);
    void move(int node);
    void deliver(const SimInstallation::Outgoing &outgoing, const QHostAddress &to, quint16 port,
                 const QString &what, int attemptsLeft);
    void deliverAll(const QList<SimInstallation::Outgoing> &outgoing);
    void readCommands();
    QString who(int node) const;
    static void log(const QString &line);

    SimInstallation m_installation;
    struct Serving
    {
        Ipv4 address{};
        quint16 port = 0;
    };
    QList<QTcpServer *> m_servers; // by node
    QList<Serving> m_serving; // where each node's server listens
    QTimer m_weather;
    QTimer m_drift;
    QTimer m_inputs;
    QSocketNotifier *m_stdin = nullptr;
    QByteArray m_commandLine;
};
