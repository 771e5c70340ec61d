// A round of echo requests on loopback: one reply per address, in their order.

#include "TestMain.h"
#include "scan/EchoRound.h"
#include "scan/IcmpSocket.h"
#include "scan/modServerPing.h"

#include <QSignalSpy>
#include <QTest>

class TestEchoRound : public QObject
{
    Q_OBJECT

private slots:
    void repliesFollowTheAddresses()
    {
        if (!IcmpSocket().isOpen())
            QSKIP("this user may open no ICMP socket here (neither CAP_NET_RAW nor net.ipv4.ping_group_range)");
        QObject parent;
        // A name goes through the resolver, a dotted address is there at once, the empty part names no host.
        EchoRound *round = modServerPing::SendPing({"localhost", "127.0.0.1", "10.73..1", "127.0.0.1"}, &parent);
        // Connected after the requests went out, the report is still to come.
        QSignalSpy finished(round, &EchoRound::finished);
        QVERIFY(finished.wait());
        const QList<EchoReply> &replies = round->replies();
        QVERIFY(replies.size() == 4 && round->anyUnresolved() && !round->permissionRefused());
        for (int i : {0, 1, 3})
            QVERIFY(replies[i].Status == IpStatus::Success && replies[i].Data == "TestPing");
        QVERIFY(replies[2].Status == IpStatus::BadDestination && replies[2].Data.isEmpty());
        QCOMPARE(finished.size(), 1);
    }
};

TESSRA_TEST(TestEchoRound)
#include "tst_EchoRound.moc"
