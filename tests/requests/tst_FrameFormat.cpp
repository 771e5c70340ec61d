#include "TestMain.h"
#include "requests/BitOperations.h"
#include "requests/FrameFormat.h"

#include <QTest>

using namespace FrameFormat;
using namespace BitOperations;

class TestFrameFormat : public QObject
{
    Q_OBJECT

private slots:
    void preamble() { QCOMPARE(framePreamble().toHex().toUpper(), QByteArray("FFAA")); }
    void checksum_data();
    void checksum();
    void setBit_data();
    void setBit();
    void testBit();
};

void TestFrameFormat::checksum_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("expected");
    QTest::newRow("parameter request, LAN eNum 1") << QByteArray("00C80C011CFFFEFFFE010100") << 0xED;
    QTest::newRow("the checksum position itself is not summed") << QByteArray("00C80C011CFFFEFFFE0101ED") << 0xED;
    QTest::newRow("payload is summed") << QByteArray("00030D011CFFFEFFFE01010044") << 0x6D;
    QTest::newRow("sum wraps modulo 256") << QByteArray("FFFFFFFFFFFFFFFFFFFFFF00") << 0xF5;
}

void TestFrameFormat::checksum()
{
    QFETCH(QByteArray, body);
    QFETCH(int, expected);
    QCOMPARE(frameChecksum(QByteArray::fromHex(body)), expected);
}

void TestFrameFormat::setBit_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("expected");
    QTest::newRow("bit 0 has weight 1") << 0x00 << 0 << true << 0x01;
    QTest::newRow("bit 5 of 0x0A") << 0x0A << 5 << true << 0x2A;
    QTest::newRow("bit 7 has weight 128") << 0x00 << 7 << true << 0x80;
    QTest::newRow("a set bit stays set") << 0x80 << 7 << true << 0x80;
    QTest::newRow("bit 8 overflows, value unchanged") << 0x5A << 8 << false << 0x5A;
    QTest::newRow("a negative position overflows") << 0x5A << -1 << false << 0x5A;
}

void TestFrameFormat::setBit()
{
    QFETCH(int, value);
    QFETCH(int, position);
    QFETCH(bool, done);
    QFETCH(int, expected);
    quint8 byte = quint8(value);
    QCOMPARE(SetBitB(byte, position), done);
    QCOMPARE(byte, expected);
}

void TestFrameFormat::testBit()
{
    QCOMPARE(BitB(0x2A, 1), std::optional<bool>(true));
    QCOMPARE(BitB(0x2A, 2), std::optional<bool>(false));
    QCOMPARE(BitB(0x80, 7), std::optional<bool>(true));
    QVERIFY(!BitB(0xFF, 8).has_value());
}

TESSRA_TEST(TestFrameFormat)
#include "tst_FrameFormat.moc"
