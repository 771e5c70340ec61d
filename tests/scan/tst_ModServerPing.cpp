// The echo as the window asks for it: a round of requests on loopback, and the status texts a user reads.

#include "TestMain.h"
#include "scan/EchoRound.h"
#include "scan/IcmpSocket.h"
#include "scan/modServerPing.h"

#include <QSignalSpy>

class TestModServerPing : public QObject
{
    Q_OBJECT

private slots:
    // One reply per address, in their order.
    void roundAnswersEveryAddress()
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

    // The ends of the table, a status after its gap, and those it does not know.
    void echoStatusText_data()
    {
        QTest::addColumn<QString>("text"); // led by its status
        for (const char *text : {"0   [ ip success ]", "200   [ ping timeout ]", "11001   [ ip buf too_small ]",
                                 "11050   [ ip general failure ]", "11255   [ ip pending ]",
                                 "-1   [ unknown  msg returned ]", "11024   [ unknown  msg returned ]"})
            QTest::newRow(text) << QString(text);
    }
    void echoStatusText()
    {
        QFETCH(QString, text);
        QCOMPARE(modServerPing::EchoStatusText(text.section(u' ', 0, 0).toInt()), text);
    }
};

TESSRA_TEST(TestModServerPing)
#include "tst_ModServerPing.moc"
