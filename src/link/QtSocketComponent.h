#pragma once

#include "link/SocketComponent.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

// The socket component on Qt Network: asynchronous, on the thread that owns it,
// without blocking waits. One connection at a time: while it serves a connection
// it does not listen. It listens on the address given at construction (every
// interface in the program, a loopback address in tests).
class QtSocketComponent final : public SocketComponent
{
    Q_OBJECT

public:
    explicit QtSocketComponent(const QHostAddress &listenAddress, QObject *parent = nullptr);
    ~QtSocketComponent() override;

    bool setBlocking(bool blocking) override;
    bool setProtocol(int protocol) override;
    bool setLocalPort(int port) override;
    bool setRemotePort(int port) override;
    bool setHostName(const QString &host) override;

    bool connectToHost(const QString &host) override;
    bool write(const QByteArray &bytes) override;
    QByteArray read() override;
    bool disconnectSocket() override;
    bool closeSocket() override;
    int listen() override;
    bool accept(qintptr handle) override;
    QHostAddress callerOf(qintptr handle) const override;
    bool reject(qintptr handle) override;
    int state() const override;
    QHostAddress peerAddress() const override { return m_peerAddress; }
    quint16 peerPort() const override { return m_peerPort; }

    int localPort() const { return m_localPort; }

private:
    class Server;

    void offerConnection(qintptr handle);
    void dropPendingConnection();
    // Calls the device at m_hostName, from the port it listens on when fromOwnPort and that port can be bound.
    void call(bool fromOwnPort);
    // Starts the call again from any port when the system would not let it out from the own one; false otherwise.
    bool callAgainFromAnyPort(QTcpSocket *socket, QAbstractSocket::SocketError error);
    void adopt(QTcpSocket *socket, bool accepted);
    void releaseConnection();
    void stopListening();
    // Runs one event of the current connection; a connection given up while
    // its own event runs is deleted only after that event.
    template <typename Event>
    void dispatch(Event &&event);
    void bury(QTcpSocket *socket);
    // Tells stateChanged() when state() differs from what was told last.
    void noteState();

    const QHostAddress m_listenAddress;
    Server *m_server = nullptr;
    QPointer<QTcpSocket> m_socket;
    qintptr m_pending = -1;
    int m_localPort = 0;
    int m_remotePort = 0;
    QString m_hostName;
    bool m_used = false;
    bool m_accepted = false;
    bool m_callingFromOwnPort = false;
    bool m_failed = false;
    int m_dispatching = 0;
    int m_toldState = Unused;
    QList<QTcpSocket *> m_released;
    QHostAddress m_peerAddress;
    quint16 m_peerPort = 0;

    void notePeer();
};
