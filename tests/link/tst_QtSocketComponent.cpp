// The socket component against real peers on loopback.

#include "TestMain.h"
#include "link/QtSocketComponent.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestQtSocketComponent : public QObject
{
    Q_OBJECT

private slots:
    void settingsRejectWhatTheSocketCannotTake();
    void listenNeedsAPort();
    void listenFailsOnAPortInUse();
    void acceptTakesOverTheCallerAndStopsListening();
    void aSecondCallerIsTurnedAwayWhileOneWaits();
    void outgoingConnectionReportsConnectedThenReadyToWrite();
    void refusedConnectionIsAnErrorWithADescription();
    void bytesWrittenBeforeDisconnectStillArrive();
    void connectsFromItsOwnPortWhenItCan();
    void stateNumbersFollowTheActivity();
    void aComponentGoingAwayReportsNothing();
};

void TestQtSocketComponent::settingsRejectWhatTheSocketCannotTake()
{
    QtSocketComponent sw(QHostAddress::LocalHost);
    QVERIFY(sw.setProtocol(SocketComponent::ProtocolTcp));
    QVERIFY(!sw.setProtocol(17));
    QVERIFY(sw.setBlocking(false));
    QVERIFY(!sw.setBlocking(true));
    QVERIFY(sw.setLocalPort(340));
    QVERIFY(!sw.setLocalPort(65536));
    QVERIFY(!sw.setLocalPort(-1));
    QCOMPARE(sw.localPort(), 340);
}

void TestQtSocketComponent::listenNeedsAPort()
{
    QtSocketComponent sw(QHostAddress::LocalHost);
    QVERIFY(sw.listen() != SocketComponent::ListenOk);
    QVERIFY(sw.setLocalPort(0));
    QVERIFY(sw.listen() != SocketComponent::ListenOk);
    QVERIFY(sw.state() != SocketComponent::Listen);
}

void TestQtSocketComponent::listenFailsOnAPortInUse()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setLocalPort(other.serverPort());
    QVERIFY(sw.listen() != SocketComponent::ListenOk);
    other.close();
    QCOMPARE(sw.listen(), SocketComponent::ListenOk);
    QCOMPARE(sw.state(), int(SocketComponent::Listen));
}

void TestQtSocketComponent::acceptTakesOverTheCallerAndStopsListening()
{
    const quint16 port = freePort();
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setLocalPort(port);
    QCOMPARE(sw.listen(), SocketComponent::ListenOk);
    QSignalSpy accepting(&sw, &SocketComponent::accepting);
    QSignalSpy arrived(&sw, &SocketComponent::dataArrived);
    QSignalSpy gone(&sw, &SocketComponent::disconnected);

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(peer.waitForConnected(5000));
    QVERIFY(accepting.wait(5000));
    QVERIFY(sw.accept(accepting.at(0).at(0).value<qintptr>()));
    QCOMPARE(sw.state(), int(SocketComponent::Accept));

    // Nobody else gets through while it serves this caller.
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!second.waitForConnected(1000));

    peer.write(QByteArray::fromHex("FFAAC9"));
    QVERIFY(arrived.wait(5000));
    QCOMPARE(sw.read(), QByteArray::fromHex("FFAAC9"));
    peer.disconnectFromHost();
    QVERIFY(gone.wait(5000));
}

void TestQtSocketComponent::aSecondCallerIsTurnedAwayWhileOneWaits()
{
    const quint16 port = freePort();
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setLocalPort(port);
    QCOMPARE(sw.listen(), SocketComponent::ListenOk);
    QSignalSpy accepting(&sw, &SocketComponent::accepting);
    QTcpSocket first, second;
    first.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(accepting.wait(5000));
    second.connectToHost(QHostAddress::LocalHost, port);
    // The second is closed by the component; the first stays on offer.
    QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(accepting.count(), 1);
    QVERIFY(!sw.accept(accepting.at(0).at(0).value<qintptr>() + 1000));
    QVERIFY(sw.accept(accepting.at(0).at(0).value<qintptr>()));
    QCOMPARE(first.state(), QAbstractSocket::ConnectedState);
}

void TestQtSocketComponent::outgoingConnectionReportsConnectedThenReadyToWrite()
{
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setRemotePort(device.serverPort());
    QStringList order;
    connect(&sw, &SocketComponent::connected, this, [&] { order << "connected"; });
    connect(&sw, &SocketComponent::readyToWrite, this, [&] { order << "ready"; });
    QVERIFY(sw.connectToHost("127.0.0.1"));
    QTRY_COMPARE(order, (QStringList{"connected", "ready"}));
    QCOMPARE(sw.state(), int(SocketComponent::Connect));
    QVERIFY(sw.write(QByteArray::fromHex("FFAA00C8")));
    QTRY_VERIFY(device.hasPendingConnections());
    QTcpSocket *seen = device.nextPendingConnection();
    QTRY_COMPARE(seen->bytesAvailable(), qint64(4));
    QCOMPARE(seen->readAll(), QByteArray::fromHex("FFAA00C8"));
}

void TestQtSocketComponent::refusedConnectionIsAnErrorWithADescription()
{
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setRemotePort(freePort());
    QSignalSpy error(&sw, &SocketComponent::errorOccurred);
    QSignalSpy gone(&sw, &SocketComponent::disconnected);
    QVERIFY(sw.connectToHost("127.0.0.1"));
    QVERIFY(error.wait(5000));
    QCOMPARE(error.at(0).at(1).toString(), QString("Connection refused"));
    QCOMPARE(gone.count(), 0);
    QCOMPARE(sw.state(), int(SocketComponent::Error));
    QVERIFY(!sw.write("x"));
}

void TestQtSocketComponent::bytesWrittenBeforeDisconnectStillArrive()
{
    QTcpServer gateway;
    QVERIFY(gateway.listen(QHostAddress::LocalHost, 0));
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setRemotePort(gateway.serverPort());
    QSignalSpy ready(&sw, &SocketComponent::readyToWrite);
    sw.connectToHost("127.0.0.1");
    QVERIFY(ready.wait(5000));
    const QByteArray frame(37, '\x5A');
    QVERIFY(sw.write(frame));
    QVERIFY(sw.disconnectSocket());
    QTRY_VERIFY(gateway.hasPendingConnections());
    QTcpSocket *seen = gateway.nextPendingConnection();
    QTRY_COMPARE(seen->bytesAvailable(), qint64(frame.size()));
    QCOMPARE(seen->readAll(), frame);
    QTRY_COMPARE(seen->state(), QAbstractSocket::UnconnectedState);
}

void TestQtSocketComponent::connectsFromItsOwnPortWhenItCan()
{
    // The device sits on another loopback address, so both ends can use port P.
    QTcpServer device;
    const quint16 port = freePort();
    QVERIFY(device.listen(QHostAddress("127.0.0.2"), port));
    QtSocketComponent sw(QHostAddress::LocalHost);
    sw.setLocalPort(port);
    sw.setRemotePort(port);
    sw.connectToHost("127.0.0.2");
    QTRY_VERIFY(device.hasPendingConnections());
    QCOMPARE(device.nextPendingConnection()->peerPort(), port);
}

void TestQtSocketComponent::stateNumbersFollowTheActivity()
{
    QtSocketComponent sw(QHostAddress::LocalHost);
    QCOMPARE(sw.state(), int(SocketComponent::Unused));
    const quint16 port = freePort();
    sw.setLocalPort(port);
    QCOMPARE(sw.listen(), SocketComponent::ListenOk);
    QCOMPARE(sw.state(), int(SocketComponent::Listen));
    sw.disconnectSocket();
    QCOMPARE(sw.state(), int(SocketComponent::Idle));
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!late.waitForConnected(1000));
}

void TestQtSocketComponent::aComponentGoingAwayReportsNothing()
{
    // The window deletes its component while it is being destroyed itself; an
    // event reported then would reach a window that is half gone.
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    auto *sw = new QtSocketComponent(QHostAddress::LocalHost);
    sw->setRemotePort(device.serverPort());
    QSignalSpy ready(sw, &SocketComponent::readyToWrite);
    sw->connectToHost("127.0.0.1");
    QVERIFY(ready.wait(5000));
    QStringList reported;
    connect(sw, &SocketComponent::disconnected, this, [&] { reported << "disconnected"; });
    connect(sw, &SocketComponent::errorOccurred, this, [&] { reported << "error"; });
    delete sw;
    QCOMPARE(reported, QStringList());
}

TESSRA_TEST(TestQtSocketComponent)
#include "tst_QtSocketComponent.moc"
