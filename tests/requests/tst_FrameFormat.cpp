#include "TestMain.h"
#include "requests/FrameFormat.h"

#include <QTest>

// The preamble and checksums of real requests are checked byte by byte with the request
// builder; here the two edges those frames do not show.
class TestFrameFormat : public QObject
{
    Q_OBJECT

private slots:
    // Every body byte but the one at the checksum position, the first one too, modulo 256.
    void checksum()
    {
        QCOMPARE(FrameFormat::frameChecksum(QByteArray::fromHex("00C80C011CFFFEFFFE0101ED")), 0xED);
        QCOMPARE(FrameFormat::frameChecksum(QByteArray::fromHex("FFFFFFFFFFFFFFFFFFFFFF00")), 0xF5);
    }
};

TESSRA_TEST(TestFrameFormat)
#include "tst_FrameFormat.moc"
