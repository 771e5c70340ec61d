#include "TestMain.h"
#include "replies/ReplyAssembler.h"

#include <QTest>

namespace {

// A LAN adapter's parameter reply: length byte 0x23, 2 + 35 = 37 bytes.
const QByteArray LanReply = "FFAA00C923011CFFFEFFFE010100" "31303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425";
// A switch acknowledgement: length byte 0x0D, 15 bytes.
const QByteArray SwitchAck = "FFAA00030D011CFFFEFFFE01010008";

QString progressName(ReplyAssembler::Progress progress)
{
    static const char *const names[] = {"empty", "partial", "complete"};
    return QLatin1String(names[int(progress)]);
}

// Every byte of a hex text as a segment of its own.
QStringList byteByByte(const QByteArray &hex)
{
    QStringList segments;
    for (qsizetype i = 0; i < hex.size(); i += 2)
        segments << QString::fromLatin1(hex.mid(i, 2));
    return segments;
}

} // namespace

class TestReplyAssembler : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
};

// A step is a segment in hex, "close" (the peer closed), "idle" (100 ms
// without a byte) or "take"; after each step the progress, and what take()
// handed over.
void TestReplyAssembler::rule_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    const QString lan = QString::fromLatin1(LanReply);
    const QString ack = QString::fromLatin1(SwitchAck);
    QTest::newRow("a whole reply in one segment is complete at once")
        << QStringList{lan, "take"} << QStringList{"complete", "took " + lan};

    QStringList partial(36, "partial");
    QTest::newRow("byte by byte: complete with the 37th byte, 2 + the length byte")
        << byteByByte(LanReply) + QStringList{"take"} << partial + QStringList{"complete", "took " + lan};
    QTest::newRow("four bytes do not hold the length byte yet")
        << QStringList{lan.left(8), lan.mid(8, 64), lan.mid(72), "take"}
        << QStringList{"partial", "partial", "complete", "took " + lan};
    QTest::newRow("a length byte above 43 completes at 45 bytes, and all that arrived is handed over")
        << QStringList{"FFAA00C9FF" + QString(78, 'E'), "EEEEEE", "take"}
        << QStringList{"partial", "complete", "took FFAA00C9FF" + QString(84, 'E')};
    QTest::newRow("two replies in one segment: both go to the decoder")
        << QStringList{ack + ack, "take"} << QStringList{"complete", "took " + ack + ack};
    QTest::newRow("the peer closes before the reply is complete")
        << QStringList{lan.left(20), "close", "take"} << QStringList{"partial", "complete", "took " + lan.left(20)};
    QTest::newRow("no byte for 100 ms: a short reply is decoded as it is")
        << QStringList{"FFAA00", "idle", "take"} << QStringList{"partial", "complete", "took FFAA00"};
    QTest::newRow("blanks say a length of 32: they wait for the idle time")
        << QStringList{"2020202020", "idle", "take"} << QStringList{"partial", "complete", "took 2020202020"};
    QTest::newRow("a length byte below what it takes to read it is complete at once")
        << QStringList{"FFAA00C9", "00", "take"} << QStringList{"partial", "complete", "took FFAA00C900"};
    QTest::newRow("nothing arrived: close, idle and an empty segment leave nothing to decode")
        << QStringList{"idle", "", "close", "take"} << QStringList{"empty", "empty", "empty", "took "};
    QTest::newRow("after take the next reply starts afresh, also after an idle end")
        << QStringList{"FFAA", "idle", "take", "FFAA00030D", "take", ack, "take"}
        << QStringList{"partial", "complete", "took FFAA", "partial", "took FFAA00030D", "complete", "took " + ack};
}

void TestReplyAssembler::rule()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    ReplyAssembler assembler;
    QStringList seen;
    for (const QString &step : steps) {
        if (step == "take")
            seen << "took " + QString::fromLatin1(assembler.take().toHex().toUpper());
        else if (step == "close")
            seen << progressName(assembler.peerClosed());
        else if (step == "idle")
            seen << progressName(assembler.idleElapsed());
        else
            seen << progressName(assembler.segmentArrived(QByteArray::fromHex(step.toLatin1())));
    }
    QCOMPARE(seen, expected);
}

TESSRA_TEST(TestReplyAssembler)
#include "tst_ReplyAssembler.moc"
