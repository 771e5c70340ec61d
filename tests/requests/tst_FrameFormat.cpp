#include "TestMain.h"
#include "requests/BitOperations.h"
#include "requests/FrameFormat.h"

#include <QTest>

using namespace FrameFormat;
using namespace BitOperations;

// The preamble and the checksum are in every request the builder's tests check byte by byte;
// here what those frames do not show.
class TestFrameFormat : public QObject
{
    Q_OBJECT

private slots:
    // The byte at the checksum position is not summed.
    void checksum() { QCOMPARE(frameChecksum(QByteArray::fromHex("00C80C011CFFFEFFFE0101ED")), 0xED); }

    // Bit p has the weight 2^p; a position outside 0 to 7 leaves the byte as it was.
    void bits()
    {
        quint8 byte = 0x0A;
        QVERIFY(SetBitB(byte, 0) && SetBitB(byte, 7) && SetBitB(byte, 7) && !SetBitB(byte, 8) && !SetBitB(byte, -1));
        QCOMPARE(byte, 0x8B);
        QVERIFY(*BitB(0x8B, 7) && !*BitB(0x8B, 2) && !BitB(0xFF, 8));
    }
};

TESSRA_TEST(TestFrameFormat)
#include "tst_FrameFormat.moc"
