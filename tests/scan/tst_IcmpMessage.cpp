// Echo requests as bytes, which datagrams answer them, and the status of each ICMP error.

#include "TestMain.h"
#include "scan/IcmpMessage.h"

using enum IcmpMessage::Framing;
Q_DECLARE_METATYPE(IcmpMessage::Framing)

// IPv4 headers as the system hands them over, protocol ICMP, 10.73.91.100 to .254, and the other way round as an error
// quotes it.
static const QByteArray Ip = "4500002400004000400100000a495b640a495bfe";
static const QByteArray QuotedIp = "4500002400004000400100000a495bfe0a495b64";

class TestIcmpMessage : public QObject
{
    Q_OBJECT

private slots:
    void echoRequest()
    {
        // Identifier and sequence high byte first, the checksum over all, an odd byte padded with 0.
        QCOMPARE(IcmpMessage::echoRequest(0x1234, 1, "TestPing").toHex(), "08005f20123400015465737450696e67");
        QCOMPARE(IcmpMessage::echoRequest(0, 0, "A").toHex(), "0800b6ff0000000041");
    }

    void readAnswer_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<IcmpMessage::Framing>("framing");
        QTest::addColumn<int>("sequence"); // -1: no answer to our request
        QTest::addColumn<int>("status");
        // For identifier 0x1234 and "TestPing"; the checksum is not looked at.
        const QByteArray ping = "5465737450696e67", reply = "00000000" "1234" "0102" + ping;
        QTest::newRow("reply after one word of IP options")
            << "4600002800004000400100000a495b640a495bfe01010100" + reply << WithIpHeader << 0x0102 << 0;
        QTest::newRow("reply through a datagram socket") << reply << IcmpOnly << 0x0102 << 0;
        QTest::newRow("reply to another program") << Ip + "00000000" "4321" "0102" + ping << WithIpHeader << -1 << 0;
        // Errors quoting request 7: its IP header, then its ICMP message.
        QTest::newRow("host unreachable quoting the whole request")
            << Ip + "0301000000000000" + QuotedIp + "08000000" "1234" "0007" + ping << WithIpHeader << 7 << 11003;
        QTest::newRow("net unreachable quoting the header only")
            << Ip + "0300000000000000" + QuotedIp + "08000000" "1234" "0007" << WithIpHeader << 7 << 11002;
    }

    void readAnswer()
    {
        QFETCH(QByteArray, hex);
        QFETCH(IcmpMessage::Framing, framing);
        QFETCH(int, sequence);
        QFETCH(int, status);
        const auto answer = IcmpMessage::readAnswer(QByteArray::fromHex(hex), framing, 0x1234, "TestPing");
        QCOMPARE(answer ? int(answer->sequence) : -1, sequence);
        QCOMPARE(answer ? answer->status : 0, status);
    }

    void statusOfErrors()
    {
        // Type, code, status: destination unreachable (3), source quench, redirect, time exceeded, parameter problem.
        for (const auto &[type, code, status] :
             QList<std::array<int, 3>>{{3, 0, 11002}, {3, 1, 11003}, {3, 2, 11004}, {3, 3, 11005}, {3, 4, 11009},
                                       {3, 5, 11012}, {3, 6, 11002}, {3, 9, 11002}, {3, 11, 11002}, {3, 13, 11003},
                                       {4, 0, 11016}, {11, 0, 11013}, {11, 1, 11014}, {12, 0, 11015}, {5, 0, 11050}})
            QCOMPARE(IcmpMessage::statusForError(quint8(type), quint8(code)), status);
    }
};

TESSRA_TEST(TestIcmpMessage)
#include "tst_IcmpMessage.moc"
