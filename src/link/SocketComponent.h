#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

// The program's one TCP socket, as the window uses it: a handful of settings,
// the operations below and six events, all delivered on the window's thread.
// Operations return at once; completion is reported by an event.
class SocketComponent : public QObject
{
    Q_OBJECT

public:
    // Activity numbers that the status line shows.
    enum State {
        Unused = 0,
        Idle = 1,
        Listen = 2,
        Connect = 3,
        Accept = 4,
        Read = 5,
        Write = 6,
        Flush = 7,
        Disconnect = 8,
        Error = 9,
    };

    static constexpr int ProtocolTcp = 6;
    static constexpr int ListenOk = 0;

    using QObject::QObject;
    ~SocketComponent() override = default;

    // Settings; each returns false when the value is not taken.
    virtual bool setBlocking(bool blocking) = 0;
    virtual bool setProtocol(int protocol) = 0;
    virtual bool setLocalPort(int port) = 0;
    virtual bool setRemotePort(int port) = 0;
    virtual bool setHostName(const QString &host) = 0;

    // Operations; each returns false when it could not be done.
    virtual bool connectToHost(const QString &host) = 0;
    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray read() = 0;
    virtual bool disconnectSocket() = 0;
    virtual bool closeSocket() = 0;
    // 0 when the socket now waits for incoming connections, any other number on failure.
    virtual int listen() = 0;
    virtual bool accept(qintptr handle) = 0;
    // Who is calling on the pending connection, before anything of it is read.
    virtual QHostAddress callerOf(qintptr handle) const = 0;
    // Closes the pending connection unread; the socket goes on listening.
    virtual bool reject(qintptr handle) = 0;
    virtual int state() const = 0;
    // The other end of the connection that bytes last went to or came from; it
    // stays known after that connection is closed.
    virtual QHostAddress peerAddress() const = 0;
    virtual quint16 peerPort() const = 0;

signals:
    // A peer connects while the socket listens.
    void accepting(qintptr handle);
    // An outgoing connection is up.
    void connected();
    // The socket can take data.
    void readyToWrite();
    // Bytes have arrived on the connection.
    void dataArrived();
    // The peer closed the connection.
    void disconnected();
    // An operation failed, for example a refused connection.
    void errorOccurred(int code, const QString &description);
    // What state() reports is now this, after an operation or something the network did. Not one of the six events:
    // it lets the status line rest while nothing changes.
    void stateChanged(int state);
};
