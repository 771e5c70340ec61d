#include "TestMain.h"
#include "replies/ReplyAssembler.h"

// A LAN adapter's parameter reply: length byte 0x23, 2 + 35 = 37 bytes.
static const QString LanReply = "FFAA00C923011CFFFEFFFE010100" "31303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425";
// A weather station's data: length byte 0x16, 24 bytes.
static const QString Weather = "FFAA00BF167B1CFFFE011E0296310311000C000000801958";

class TestReplyAssembler : public QObject
{
    Q_OBJECT

private slots:
    // A step is a segment in hex, "close" (the peer closed), "idle" (100 ms without a byte), "take" or "await" and the
    // hex of a frame taken back for its rest; after each step the progress, what take() handed over, or whether the
    // frame was kept.
    void rule_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("complete with the 37th byte, 2 + the length byte")
            << QStringList{LanReply.left(72), LanReply.mid(72), "take"} << QStringList{"partial", "complete", "took " + LanReply};
        QTest::newRow("a length byte above 43 completes at 45 bytes")
            << QStringList{"FFAA00C9FF" + QString(78, 'E'), "EE", "take"}
            << QStringList{"partial", "complete", "took FFAA00C9FF" + QString(80, 'E')};
        QTest::newRow("nothing arrived: close, idle and an empty segment leave nothing to decode, and end nothing")
            << QStringList{"idle", "", "close", "FFAA", "take"} << QStringList{"empty", "empty", "empty", "partial", "took FFAA"};
        QTest::newRow("idle or closed after some bytes: decoded as they are; the next reply starts afresh")
            << QStringList{"FFAA00", "idle", "take", "FFAA00C9", "close", "take"}
            << QStringList{"partial", "complete", "took FFAA00", "partial", "complete", "took FFAA00C9"};
        QTest::newRow("weather data decoded before their rest came: the rest joins them; a close before it ends them")
            << QStringList{"await " + Weather.left(32), Weather.mid(32), "take", "await " + Weather.left(32), "close",
                           "take"}
            << QStringList{"kept", "complete", "took " + Weather, "kept", "empty", "took "};
        QTest::newRow("a frame with all its bytes, or 45 of them, waits for no rest")
            << QStringList{"await " + Weather, "take", "await FFAA00C9FF" + QString(80, 'E'), "take"}
            << QStringList{"not kept", "took ", "not kept", "took "};
    }
    void rule()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        static const char *const progress[] = {"empty", "partial", "complete"};
        ReplyAssembler assembler;
        QStringList seen;
        for (const QString &step : steps) {
            if (step == "take")
                seen << "took " + QString::fromLatin1(assembler.take().toHex().toUpper());
            else if (step == "close")
                seen << progress[int(assembler.peerClosed())];
            else if (step == "idle")
                seen << progress[int(assembler.idleElapsed())];
            else if (step.startsWith("await "))
                seen << (assembler.awaitRest(QByteArray::fromHex(step.mid(6).toLatin1())) ? "kept" : "not kept");
            else
                seen << progress[int(assembler.segmentArrived(QByteArray::fromHex(step.toLatin1())))];
        }
        QCOMPARE(seen, expected);
    }
};

TESSRA_TEST(TestReplyAssembler)
#include "tst_ReplyAssembler.moc"
