#include "link/QtSocketComponent.h"

#include <QNetworkProxy>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <utility>

namespace {

constexpr int MinPort = 1;
constexpr int MaxPort = 65535;
// A connection given up while it still sends gets this long to deliver its bytes.
constexpr int LingerMs = 5000;

bool isPort(int port)
{
    return port >= MinPort && port <= MaxPort;
}

// Closes a connection that nobody takes over.
void refuse(qintptr handle)
{
    QTcpSocket socket;
    if (socket.setSocketDescriptor(handle))
        socket.abort();
}

} // namespace

// Hands each incoming connection to the component as a bare handle, so that the
// window decides whether the one socket takes it over.
class QtSocketComponent::Server final : public QTcpServer
{
public:
    explicit Server(QtSocketComponent *owner)
        : QTcpServer(owner), m_owner(owner)
    {
        setProxy(QNetworkProxy::NoProxy);
    }

protected:
    void incomingConnection(qintptr handle) override { m_owner->offerConnection(handle); }

private:
    QtSocketComponent *m_owner;
};

QtSocketComponent::QtSocketComponent(const QHostAddress &listenAddress, QObject *parent)
    : SocketComponent(parent), m_listenAddress(listenAddress), m_server(new Server(this))
{
}

QtSocketComponent::~QtSocketComponent()
{
    dropPendingConnection();
    // The window deletes its component while it goes away itself: the end of
    // the connection is no longer an event anybody can take.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

bool QtSocketComponent::setBlocking(bool blocking)
{
    // Only the non-blocking mode exists: the window's thread never waits.
    return !blocking;
}

bool QtSocketComponent::setProtocol(int protocol)
{
    return protocol == ProtocolTcp;
}

bool QtSocketComponent::setLocalPort(int port)
{
    if (port < 0 || port > MaxPort)
        return false;
    m_localPort = port;
    return true;
}

bool QtSocketComponent::setRemotePort(int port)
{
    if (port < 0 || port > MaxPort)
        return false;
    m_remotePort = port;
    return true;
}

bool QtSocketComponent::setHostName(const QString &host)
{
    m_hostName = host;
    return true;
}

bool QtSocketComponent::connectToHost(const QString &host)
{
    if (!isPort(m_remotePort))
        return false;
    stopListening();
    releaseConnection();
    m_used = true;
    m_failed = false;
    m_hostName = host;
    call(isPort(m_localPort));
    return true;
}

void QtSocketComponent::call(bool fromOwnPort)
{
    auto *socket = new QTcpSocket(this);
    // The devices are on this machine's own networks: no proxy stands between, and asking the system for one cost
    // each connection a round trip to the proxy resolver's thread and a read of the services file.
    socket->setProxy(QNetworkProxy::NoProxy);
    // Devices answer to the port they were called from when they can; where
    // that port is taken the connection goes out from any port.
    m_callingFromOwnPort = fromOwnPort
        && socket->bind(m_listenAddress, static_cast<quint16>(m_localPort), QAbstractSocket::ReuseAddressHint);
    adopt(socket, false);
    socket->connectToHost(m_hostName, static_cast<quint16>(m_remotePort));
    noteState();
}

bool QtSocketComponent::callAgainFromAnyPort(QTcpSocket *socket, QAbstractSocket::SocketError error)
{
    // The tool ends each exchange first, so its side of the last connection to the same device stays a while after
    // closing. Until the device has closed too, and for a minute after with a device that speaks TCP without
    // timestamps, the system lets no new call to that device go out from the same port, although the port is free.
    const bool portHeld = error == QAbstractSocket::UnknownSocketError || error == QAbstractSocket::AddressInUseError
        || error == QAbstractSocket::SocketAddressNotAvailableError;
    if (!portHeld || socket != m_socket || !m_callingFromOwnPort || m_accepted)
        return false;
    m_socket = nullptr;
    socket->disconnect(this);
    bury(socket);
    call(false);
    return true;
}

bool QtSocketComponent::write(const QByteArray &bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    notePeer();
    const bool written = m_socket->write(bytes) == bytes.size();
    noteState();
    return written;
}

QByteArray QtSocketComponent::read()
{
    if (!m_socket)
        return QByteArray();
    notePeer();
    const QByteArray bytes = m_socket->readAll();
    noteState();
    return bytes;
}

void QtSocketComponent::notePeer()
{
    if (m_socket->peerAddress() != m_peerAddress)
        m_peerAddress = m_socket->peerAddress();
    m_peerPort = m_socket->peerPort();
}

bool QtSocketComponent::disconnectSocket()
{
    stopListening();
    releaseConnection();
    noteState();
    return true;
}

bool QtSocketComponent::closeSocket()
{
    disconnectSocket();
    m_failed = false;
    noteState();
    return true;
}

int QtSocketComponent::listen()
{
    const auto told = qScopeGuard([this] { noteState(); });
    stopListening();
    if (m_socket)
        return 1 + QAbstractSocket::OperationError;
    m_used = true;
    m_failed = false;
    // Without a port the system would pick one that no device knows.
    if (!isPort(m_localPort))
        return 1 + QAbstractSocket::SocketAddressNotAvailableError;
    if (!m_server->listen(m_listenAddress, static_cast<quint16>(m_localPort)))
        return 1 + m_server->serverError();
    return ListenOk;
}

bool QtSocketComponent::accept(qintptr handle)
{
    if (handle != m_pending || handle < 0)
        return false;
    const auto told = qScopeGuard([this] { noteState(); });
    m_pending = -1;
    stopListening();
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return false;
    }
    adopt(socket, true);
    return true;
}

QHostAddress QtSocketComponent::callerOf(qintptr handle) const
{
    if (handle != m_pending || handle < 0)
        return QHostAddress();
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(static_cast<int>(handle), reinterpret_cast<sockaddr *>(&peer), &size) != 0)
        return QHostAddress();
    return QHostAddress(reinterpret_cast<const sockaddr *>(&peer));
}

bool QtSocketComponent::reject(qintptr handle)
{
    if (handle != m_pending || handle < 0)
        return false;
    dropPendingConnection();
    return true;
}

int QtSocketComponent::state() const
{
    if (m_socket) {
        switch (m_socket->state()) {
        case QAbstractSocket::ConnectedState:
            if (m_socket->bytesToWrite() > 0)
                return Write;
            if (m_socket->bytesAvailable() > 0)
                return Read;
            return m_accepted ? Accept : Connect;
        case QAbstractSocket::ClosingState:
            return Disconnect;
        case QAbstractSocket::UnconnectedState:
            return m_failed ? Error : Idle;
        default:
            return Connect;
        }
    }
    if (m_server->isListening())
        return Listen;
    if (m_failed)
        return Error;
    return m_used ? Idle : Unused;
}

void QtSocketComponent::offerConnection(qintptr handle)
{
    // The one socket holds at most one connection on offer; others are turned away.
    if (m_pending >= 0 || m_socket) {
        refuse(handle);
        return;
    }
    m_pending = handle;
    emit accepting(handle);
}

void QtSocketComponent::dropPendingConnection()
{
    if (m_pending >= 0)
        refuse(m_pending);
    m_pending = -1;
}

template <typename Event>
void QtSocketComponent::dispatch(Event &&event)
{
    ++m_dispatching;
    event();
    if (--m_dispatching > 0)
        return;
    // The window may yield to pending events while it handles an event, and a
    // connection deleted there would pull the socket from under its own call.
    const QList<QTcpSocket *> released = std::exchange(m_released, {});
    for (QTcpSocket *socket : released)
        socket->deleteLater();
}

void QtSocketComponent::bury(QTcpSocket *socket)
{
    if (m_dispatching > 0)
        m_released.append(socket);
    else
        socket->deleteLater();
}

void QtSocketComponent::adopt(QTcpSocket *socket, bool accepted)
{
    m_socket = socket;
    m_accepted = accepted;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        // Only a call that has not yet come through starts again from another port.
        m_callingFromOwnPort = false;
        dispatch([this, socket] {
            emit connected();
            if (m_socket == socket && socket->state() == QAbstractSocket::ConnectedState)
                emit readyToWrite();
        });
    });
    connect(socket, &QTcpSocket::readyRead, this, [this] { dispatch([this] { emit dataArrived(); }); });
    connect(socket, &QTcpSocket::disconnected, this, [this] { dispatch([this] { emit disconnected(); }); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError error) {
        // A peer that closes is reported as a disconnection, not as an error.
        if (error == QAbstractSocket::RemoteHostClosedError || callAgainFromAnyPort(socket, error))
            return;
        m_failed = true;
        noteState();
        dispatch([this, socket, error] { emit errorOccurred(error, socket->errorString()); });
    });
    // What the network does to the connection by itself: it comes up or closes, bytes leave or arrive.
    connect(socket, &QTcpSocket::stateChanged, this, &QtSocketComponent::noteState);
    connect(socket, &QTcpSocket::bytesWritten, this, &QtSocketComponent::noteState);
    connect(socket, &QTcpSocket::readyRead, this, &QtSocketComponent::noteState);
}

void QtSocketComponent::noteState()
{
    const int now = state();
    if (now == m_toldState)
        return;
    m_toldState = now;
    emit stateChanged(now);
}

void QtSocketComponent::releaseConnection()
{
    dropPendingConnection();
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    m_accepted = false;
    if (!socket)
        return;
    // The window hears nothing more from a connection it gave up; bytes already
    // written still go out before it closes.
    socket->disconnect(this);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        bury(socket);
        return;
    }
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { bury(socket); }, Qt::SingleShotConnection);
    QTimer::singleShot(LingerMs, socket, [socket] { socket->abort(); });
}

void QtSocketComponent::stopListening()
{
    dropPendingConnection();
    if (m_server->isListening())
        m_server->close();
}
