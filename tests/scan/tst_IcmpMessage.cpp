// Echo requests as bytes, and which received datagrams answer which request.

#include "TestMain.h"
#include "scan/EchoReply.h"
#include "scan/IcmpMessage.h"

#include <QTest>

#include <cerrno>

using IcmpMessage::Framing;

namespace {

// IPv4 headers as they come from the system: version 4, 20 bytes (the second
// with one word of options), protocol ICMP, 10.73.91.100 to 10.73.91.254.
const QByteArray IpHeader = "4500002400004000400100000a495b640a495bfe";
const QByteArray IpHeaderWithOption = "4600002800004000400100000a495b640a495bfe01010100";
// 10.73.91.254 to 10.73.91.100, as quoted in an error.
const QByteArray QuotedIpHeader = "4500002400004000400100000a495bfe0a495b64";
// "TestPing"
const QByteArray Payload = "5465737450696e67";

} // namespace

Q_DECLARE_METATYPE(Framing)

class TestIcmpMessage : public QObject
{
    Q_OBJECT

private slots:
    void echoRequest_data();
    void echoRequest();
    void readAnswer_data();
    void readAnswer();
    void statusForError_data();
    void statusForError();
    void statusForSendError_data();
    void statusForSendError();
};

void TestIcmpMessage::echoRequest_data()
{
    QTest::addColumn<quint16>("identifier");
    QTest::addColumn<quint16>("sequence");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("identifier and sequence high byte first, checksum over all")
        << quint16(0x1234) << quint16(0x0001) << QByteArray("TestPing")
        << QByteArray("08005f20123400015465737450696e67");
    QTest::newRow("odd payload padded with zero for the checksum")
        << quint16(0) << quint16(0) << QByteArray("A") << QByteArray("0800b6ff0000000041");
}

void TestIcmpMessage::echoRequest()
{
    QFETCH(quint16, identifier);
    QFETCH(quint16, sequence);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, hex);
    QCOMPARE(IcmpMessage::echoRequest(identifier, sequence, payload).toHex(), hex);
}

void TestIcmpMessage::readAnswer_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<bool>("ours");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<int>("status");

    // Echo replies for identifier 0x1234, sequence 0x0102; the checksum is not looked at.
    const QByteArray reply = "00000000" "1234" "0102" + Payload;
    QTest::newRow("reply through a raw socket") << IpHeader + reply << Framing::WithIpHeader << true << 0x0102 << 0;
    QTest::newRow("reply after IP options") << IpHeaderWithOption + reply << Framing::WithIpHeader << true << 0x0102
                                            << 0;
    QTest::newRow("reply through a datagram socket") << reply << Framing::IcmpOnly << true << 0x0102 << 0;
    QTest::newRow("reply to another program") << IpHeader + "000000004321" "0102" + Payload << Framing::WithIpHeader
                                              << false << 0 << 0;
    // "TestPong"
    QTest::newRow("reply with another payload")
        << IpHeader + "00000000" "1234" "0102" "54657374506f6e67" << Framing::WithIpHeader << false << 0 << 0;
    QTest::newRow("own request looped back") << IpHeader + "08000000" "1234" "0102" + Payload << Framing::WithIpHeader
                                             << false << 0 << 0;
    QTest::newRow("cut short") << IpHeader + "0000000012" << Framing::WithIpHeader << false << 0 << 0;

    // Errors quoting request 7: its IP header, then its ICMP message.
    const QByteArray request7 = "08000000" "1234" "0007";
    QTest::newRow("host unreachable quoting the whole request")
        << IpHeader + "0301000000000000" + QuotedIpHeader + request7 + Payload << Framing::WithIpHeader << true << 7
        << int(IpStatus::DestHostUnreachable);
    QTest::newRow("net unreachable quoting only the header")
        << IpHeader + "0300000000000000" + QuotedIpHeader + request7 << Framing::WithIpHeader << true << 7
        << int(IpStatus::DestNetUnreachable);
    QTest::newRow("error about another program's request")
        << IpHeader + "0301000000000000" + QuotedIpHeader + "080000004321" "0007" + Payload << Framing::WithIpHeader
        << false << 0 << 0;
}

void TestIcmpMessage::readAnswer()
{
    QFETCH(QByteArray, hex);
    QFETCH(Framing, framing);
    QFETCH(bool, ours);
    QFETCH(int, sequence);
    QFETCH(int, status);
    const auto answer = IcmpMessage::readAnswer(QByteArray::fromHex(hex), framing, 0x1234, "TestPing");
    QCOMPARE(answer.has_value(), ours);
    if (!answer)
        return;
    QCOMPARE(int(answer->sequence), sequence);
    QCOMPARE(int(answer->status), status);
    QCOMPARE(answer->data, status == IpStatus::Success ? QByteArray("TestPing") : QByteArray());
}

void TestIcmpMessage::statusForError_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("status");
    QTest::newRow("net unreachable") << 3 << 0 << 11002;
    QTest::newRow("host unreachable") << 3 << 1 << 11003;
    QTest::newRow("protocol unreachable") << 3 << 2 << 11004;
    QTest::newRow("port unreachable") << 3 << 3 << 11005;
    QTest::newRow("fragmentation needed is a packet too big") << 3 << 4 << 11009;
    QTest::newRow("source route failed is a bad route") << 3 << 5 << 11012;
    QTest::newRow("communication prohibited is host unreachable") << 3 << 13 << 11003;
    QTest::newRow("time to live exceeded in transit") << 11 << 0 << 11013;
    QTest::newRow("reassembly time exceeded") << 11 << 1 << 11014;
}

void TestIcmpMessage::statusForError()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, status);
    QCOMPARE(IcmpMessage::statusForError(quint8(type), quint8(code)), status);
}

void TestIcmpMessage::statusForSendError_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::newRow("no route to the network") << ENETUNREACH << 11002;
    QTest::newRow("no route to the host") << EHOSTUNREACH << 11003;
    QTest::newRow("broadcast address refused") << EACCES << 11018;
    QTest::newRow("firewall refused") << EPERM << 11050;
}

void TestIcmpMessage::statusForSendError()
{
    QFETCH(int, error);
    QFETCH(int, status);
    QCOMPARE(IcmpMessage::statusForSendError(error), status);
}

TESSRA_TEST(TestIcmpMessage)
#include "tst_IcmpMessage.moc"
