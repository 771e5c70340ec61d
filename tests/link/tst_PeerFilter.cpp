// Which callers the listening socket serves.

#include "TestMain.h"
#include "link/PeerFilter.h"

class TestPeerFilter : public QObject
{
    Q_OBJECT

private slots:
    void accepts_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QString>("lanHost");
        QTest::addColumn<QString>("gatewayHost");
        QTest::addColumn<QStringList>("networks"); // "address/prefix" of this machine's interfaces
        QTest::addColumn<bool>("accepted");

        const QString lan = "192.168.28.215", gateway = "192.168.28.209";
        const QStringList home = {"127.0.0.1/8", "10.73.91.254/24", "fe80::1/64"};
        QTest::newRow("loopback") << "127.0.0.1" << lan << gateway << home << true;
        QTest::newRow("any loopback address") << "127.0.0.3" << lan << gateway << QStringList() << true;
        QTest::newRow("IPv6 loopback") << "::1" << lan << gateway << QStringList() << true;
        QTest::newRow("the LAN device") << lan << lan << gateway << home << true;
        QTest::newRow("the gateway") << gateway << lan << gateway << home << true;
        QTest::newRow("the gateway seen on a dual-stack socket")
            << "::ffff:192.168.28.209" << lan << gateway << home << true;
        QTest::newRow("a host on a network of an interface") << "10.73.91.7" << lan << gateway << home << true;
        QTest::newRow("a host on an IPv6 link") << "fe80::2" << lan << gateway << home << true;
        QTest::newRow("a host one network further") << "10.73.92.5" << lan << gateway << home << false;
        QTest::newRow("a neighbour of the LAN device off the local networks")
            << "192.168.28.216" << lan << gateway << home << false;
        QTest::newRow("the LAN device of an unfinished address field")
            << "192.168.0.28" << "192.168..28" << gateway << home << false;
        QTest::newRow("nobody configured, nothing local") << "10.1.2.3" << "..." << "..." << QStringList() << false;
        QTest::newRow("a network without its mask") << "10.73.91.7" << lan << gateway << QStringList{"10.73.91.254"}
                                                    << false;
        QTest::newRow("no address") << "" << lan << gateway << home << false;
    }
    void accepts()
    {
        QFETCH(QString, peer);
        QFETCH(QString, lanHost);
        QFETCH(QString, gatewayHost);
        QFETCH(QStringList, networks);
        QFETCH(bool, accepted);
        QList<PeerFilter::LocalNetwork> local;
        for (const QString &network : networks)
            local.append({QHostAddress(network.section('/', 0, 0)),
                          network.contains('/') ? network.section('/', 1).toInt() : -1});
        QCOMPARE(PeerFilter::accepts(QHostAddress(peer), lanHost, gatewayHost, local), accepted);
    }
};

TESSRA_TEST(TestPeerFilter)
#include "tst_PeerFilter.moc"
