// The socket component against real peers on loopback.

#include "TestMain.h"
#include "link/QtSocketComponent.h"

#include <QNetworkProxy>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class TestQtSocketComponent : public QObject
{
    Q_OBJECT

private slots:
    void listensAndTakesOverOneCaller()
    {
        QtSocketComponent sw(QHostAddress::LocalHost);
        QCOMPARE(sw.state(), int(SocketComponent::Unused));
        QVERIFY(sw.setProtocol(SocketComponent::ProtocolTcp) && !sw.setProtocol(17));
        QVERIFY(sw.setBlocking(false) && !sw.setBlocking(true));
        QVERIFY(!sw.setLocalPort(65536) && !sw.setLocalPort(-1) && !sw.setRemotePort(65536) && !sw.setRemotePort(-1));
        // Without a port the system would pick one that no device knows.
        QVERIFY(sw.listen() != SocketComponent::ListenOk);
        QVERIFY(sw.setLocalPort(0) && sw.listen() != SocketComponent::ListenOk);
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        const quint16 port = other.serverPort();
        QVERIFY(sw.setLocalPort(port) && sw.listen() != SocketComponent::ListenOk); // the port is in use
        other.close();
        QVERIFY(sw.listen() == SocketComponent::ListenOk && sw.state() == SocketComponent::Listen);
        QVERIFY(sw.disconnectSocket() && sw.state() == SocketComponent::Idle);

        QCOMPARE(sw.listen(), SocketComponent::ListenOk);
        QSignalSpy accepting(&sw, &SocketComponent::accepting);
        QSignalSpy arrived(&sw, &SocketComponent::dataArrived);
        QSignalSpy gone(&sw, &SocketComponent::disconnected);
        QTcpSocket first, second;
        first.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(accepting.wait());
        // While the first waits to be taken over, a second is turned away.
        second.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
        const qintptr handle = accepting.at(0).at(0).value<qintptr>();
        QVERIFY(sw.accept(handle) && !sw.accept(handle) && sw.state() == SocketComponent::Accept); // taken once
        second.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!second.waitForConnected(5000));
        first.write(QByteArray::fromHex("FFAAC9"));
        QVERIFY(arrived.wait());
        QCOMPARE(sw.read(), QByteArray::fromHex("FFAAC9"));
        first.disconnectFromHost();
        QVERIFY(gone.wait());
    }

    void callsADeviceFromItsOwnPort()
    {
        auto sw = std::make_unique<QtSocketComponent>(QHostAddress::LocalHost);
        QStringList reported;
        connect(sw.get(), &SocketComponent::connected, this, [&] { reported << "connected"; });
        connect(sw.get(), &SocketComponent::readyToWrite, this, [&] { reported << "ready"; });
        connect(sw.get(), &SocketComponent::disconnected, this, [&] { reported << "disconnected"; });
        connect(sw.get(), &SocketComponent::errorOccurred, this, [&](int, const QString &text) { reported << text; });
        // Each state that state() takes on is told once, whether an operation or the network changed it.
        QList<int> told;
        connect(sw.get(), &SocketComponent::stateChanged, this, [&](int state) {
            QVERIFY(state == sw->state() && (told.isEmpty() || told.last() != state));
            told << state;
        });
        // Before the device listens, it refuses the connection. It sits on another loopback address, so both ends can
        // use the same port.
        QTcpServer device;
        QVERIFY(device.listen(QHostAddress("127.0.0.2"), 0));
        const quint16 port = device.serverPort();
        device.close();
        QVERIFY(sw->setLocalPort(port) && sw->setRemotePort(port) && sw->connectToHost("127.0.0.2"));
        QTRY_COMPARE(reported, QStringList{"Connection refused"});
        QVERIFY(sw->state() == SocketComponent::Error && !sw->write("x"));
        QCOMPARE(told.value(told.size() - 1), int(SocketComponent::Error));
        QVERIFY(device.listen(QHostAddress("127.0.0.2"), port) && sw->connectToHost("127.0.0.2"));
        QTRY_COMPARE(reported, (QStringList{"Connection refused", "connected", "ready"}));
        QCOMPARE(sw->state(), int(SocketComponent::Connect));
        QTRY_VERIFY(device.hasPendingConnections());
        QTcpSocket *seen = device.nextPendingConnection();
        QCOMPARE(seen->peerPort(), port);
        // A frame written just before the connection is given up still arrives.
        QVERIFY(sw->write(QByteArray(37, '\x5A')) && sw->disconnectSocket());
        QCOMPARE(told.mid(told.size() - 3), (QList<int>{SocketComponent::Connect, SocketComponent::Write,
                                                        SocketComponent::Idle}));
        QTRY_COMPARE(seen->bytesAvailable(), 37);
        QCOMPARE(seen->readAll(), QByteArray(37, '\x5A'));
        QTRY_COMPARE(seen->state(), QAbstractSocket::UnconnectedState);
        // The window deletes its component as it goes: an event then would reach a window half gone.
        QVERIFY(sw->setLocalPort(0) && sw->connectToHost("127.0.0.2")); // the first holds its port a while
        QTRY_COMPARE(reported.size(), 5);
        sw.reset();
        QCOMPARE(reported, (QStringList{"Connection refused", "connected", "ready", "connected", "ready"}));
    }

    void callsAgainWhileTheLastCallStillHoldsItsPort()
    {
        // The tool ends each exchange first. While the device has not closed its side, or for a minute after when it
        // speaks TCP without timestamps, that connection keeps the tool's port towards it.
        const int device = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto closed = qScopeGuard([device] { ::close(device); });
        sockaddr_in where{};
        where.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.0.2", &where.sin_addr);
        socklen_t size = sizeof where;
        QVERIFY(::bind(device, reinterpret_cast<sockaddr *>(&where), size) == 0 && ::listen(device, 4) == 0
                && ::getsockname(device, reinterpret_cast<sockaddr *>(&where), &size) == 0);
        const quint16 port = ntohs(where.sin_port);
        QtSocketComponent sw(QHostAddress::LocalHost);
        QStringList errors;
        connect(&sw, &SocketComponent::errorOccurred, this, [&](int, const QString &text) { errors << text; });
        QSignalSpy ready(&sw, &SocketComponent::readyToWrite);
        QList<quint16> callerPorts;
        QList<int> held;
        const auto released = qScopeGuard([&held] {
            for (int fd : held)
                ::close(fd);
        });
        for (int call = 0; call < 2; ++call) {
            QVERIFY(sw.setLocalPort(port) && sw.setRemotePort(port) && sw.connectToHost("127.0.0.2"));
            QVERIFY(ready.wait());
            sockaddr_in caller{};
            socklen_t callerSize = sizeof caller;
            held << ::accept(device, reinterpret_cast<sockaddr *>(&caller), &callerSize);
            QVERIFY(held.last() >= 0);
            callerPorts << ntohs(caller.sin_port);
            QVERIFY(sw.write("x") && sw.disconnectSocket());
        }
        // The second call goes out from another port rather than failing.
        QCOMPARE(errors, QStringList());
        QVERIFY(callerPorts[0] == port && callerPorts[1] != port);
    }

    void reachesDevicesDirectWhateverProxyIsSet()
    {
        // A proxy for the application (here one that is not there) stands between it and nothing of the installation.
        QTcpServer device, nobody;
        QVERIFY(device.listen(QHostAddress("127.0.0.2"), 0) && nobody.listen(QHostAddress::LocalHost, 0));
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, "127.0.0.1", nobody.serverPort()));
        nobody.close();
        const auto restored = qScopeGuard([] { QNetworkProxy::setApplicationProxy(QNetworkProxy::DefaultProxy); });
        QtSocketComponent sw(QHostAddress::LocalHost);
        QVERIFY(sw.setRemotePort(device.serverPort()) && sw.connectToHost("127.0.0.2"));
        QTRY_VERIFY(device.hasPendingConnections());
    }
};

TESSRA_TEST(TestQtSocketComponent)
#include "tst_QtSocketComponent.moc"
