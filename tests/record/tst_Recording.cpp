#include "TestMain.h"

#include "record/FrameDescription.h"
#include "record/HistoryCsv.h"
#include "record/Recording.h"

#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

using Direction = TraceFrame::Direction;

// The thermostat 1/23, eNum 1: outputs 1, input 2, 21.5 and -3.0 degrees.
const QByteArray Measurement = QByteArray::fromHex("FFAA006A12011CFFFE011702052D010200D7801E");
const QByteArray MeasurementRequest = QByteArray::fromHex("FFAA00CE0C011CFFFEFFFE0101F3");
const QByteArray SwitchAck = QByteArray::fromHex("FFAA00030D011CFFFE000001013509");
// The weather station 1/30, eNum 123: wind 3 and 17, rain 1.2, -2.5 degrees, light 88.
const QByteArray Weather = QByteArray::fromHex("FFAA00BF167B1CFFFE011E0296310311000C000000801958");
const QHostAddress Peer("127.0.0.3");
// 2024-05-01 12:05:09.123 UTC
constexpr qint64 Time = 1714565109123;

QByteArray withByte(QByteArray bytes, int at, char value)
{
    bytes[at] = value;
    return bytes;
}

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT

private slots:
    void framesAreDescribed_data()
    {
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("description");
        QTest::newRow("a measurement reply: code, length, eNum, sender, checksum correct")
            << false << Measurement << "Messwerte (Code 106), Länge 18, eNum 1, von 1/23, Prüfsumme korrekt";
        QTest::newRow("a measurement request: addressed to the LAN destination")
            << true << MeasurementRequest << "Messwertabfrage (Code 206), Länge 12, eNum 1, an 28/255/254, Prüfsumme korrekt";
        QTest::newRow("a checksum that does not sum up says what it should be")
            << false << withByte(Measurement, 13, 0)
            << "Messwerte (Code 106), Länge 18, eNum 1, von 1/23, Prüfsumme falsch (0x00, richtig wäre 0x2D)";
        QTest::newRow("a frame cut short after 12 of its 20 bytes")
            << false << Measurement.left(12) << "Messwerte (Code 106), Länge 18, eNum 1, von 1/23, abgeschnitten: 12 von 20 Bytes";
        QTest::newRow("cut short before its eNum") << false << Measurement.left(5)
                                                   << "Messwerte (Code 106), Länge 18, abgeschnitten: 5 von 20 Bytes";
        QTest::newRow("weather data") << false << Weather
                                      << "Wetterdaten (Code 191), Länge 22, eNum 123, von 1/30, Prüfsumme korrekt";
        QTest::newRow("a code no device sends") << false << withByte(withByte(Measurement, 3, 7), 13, '\xCA')
                                                << "unbekannte Antwort (Code 7), Länge 18, eNum 1, von 1/23, Prüfsumme korrekt";
        QTest::newRow("bytes without a preamble") << false << QByteArray("   ") << "kein Rahmen (Präambel fehlt), 3 Bytes";
    }
    void framesAreDescribed()
    {
        QFETCH(bool, sent);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, description);
        QCOMPARE(FrameDescription::describe(sent ? Direction::Sent : Direction::Received, bytes, bytes.size()),
                 description);
    }

    void receivedBytesAreTracedFrameByFrame()
    {
        Recording recording;
        recording.bytesReceived(Time, Peer, 5000, SwitchAck + Measurement + "xyz");
        QCOMPARE(recording.trace().size(), 3);
        QCOMPARE(recording.trace().at(0).bytes, SwitchAck);
        QCOMPARE(recording.trace().at(1).bytes, Measurement);
        QCOMPARE(recording.trace().at(2).bytes, QByteArray("xyz"));
        QCOMPARE(FrameDescription::traceLine(recording.trace().at(1)).section('\t', 1),
                 "empfangen\t127.0.0.3:5000\t" + FrameDescription::hex(Measurement)
                     + "\tMesswerte (Code 106), Länge 18, eNum 1, von 1/23, Prüfsumme korrekt");
    }

    void traceAndHistoryKeepTheNewestOnly()
    {
        QVERIFY(Recording::TraceCapacity == 10'000);
        QVERIFY(Recording::HistoryCapacity >= 24 * 3600 / 3);
        Recording recording(3, 2);
        QSignalSpy frames(&recording, &Recording::frameAdded);
        QSignalSpy records(&recording, &Recording::recordAdded);
        for (int k = 0; k < 5; ++k) {
            recording.frameSent(Time + k, Peer, 5000, withByte(MeasurementRequest, 5, char(k)));
            recording.replyDecoded(Time + k, Peer, Measurement);
        }
        QCOMPARE(recording.trace().size(), 3);
        QCOMPARE(recording.trace().at(0).time, Time + 2);
        QCOMPARE(recording.trace().last().bytes[5], char(4));
        QCOMPARE(recording.history().size(), 2);
        QCOMPARE(recording.history().at(0).time, Time + 3);
        QCOMPARE(frames.last().first().toBool(), true);
        QCOMPARE(frames.at(2).first().toBool(), false);
        QCOMPARE(records.size(), 5);
        // However much a peer sends at once, the trace keeps the first bytes of it.
        recording.bytesReceived(Time, Peer, 5000, QByteArray(100'000, 'x'));
        QCOMPARE(recording.trace().last().bytes.size(), TraceFrame::MaxKeptBytes);
        QCOMPARE(recording.trace().last().length, 100'000);
    }

    void onlyWholeValueRepliesAreRecorded_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("measurement") << Measurement << true;
        QTest::newRow("switch acknowledgement") << SwitchAck << true;
        QTest::newRow("weather") << Weather << true;
        QTest::newRow("measurement cut short") << Measurement.left(19) << false;
        QTest::newRow("weather with nine payload bytes") << Weather.left(23) << false;
        QTest::newRow("parameters are no values")
            << QByteArray::fromHex("FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425") << false;
    }
    void onlyWholeValueRepliesAreRecorded()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, recorded);
        Recording recording;
        recording.replyDecoded(Time, Peer, reply);
        QCOMPARE(recording.history().size(), qsizetype(recorded));
    }

    void csvFollowsTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("German: ';' between columns, ',' as decimal mark")
            << QLocale(QLocale::German, QLocale::Germany)
            << "Zeit;Quelle;Art;Temperatur 1 (°C);Temperatur 2 (°C);Ausgang 1;Ausgang 2;Ausgang 3;Ausgang 4;"
               "Eingang 1;Eingang 2;Eingang 3;Eingang 4;Wind (km/h);Wind max (km/h);Regen (l/m²);"
               "Außentemperatur (°C);Licht"
            << QStringList{"2024-05-01T14:05:09.123+02:00;eNum 1 1/23 127.0.0.3;Messwerte;21,5;-3,0;1;0;0;0;0;1;0;0;;;;;",
                           "2024-05-01T14:05:09.123+02:00;eNum 1 0/0 127.0.0.3;Schaltquittung;;;1;0;0;1;;;;;;;;;",
                           "2024-05-01T14:05:09.123+02:00;eNum 123 1/30 127.0.0.3;Wetterdaten;;;;;;;;;;;3;17;1,2;-2,5;88"};
        QTest::newRow("C: ',' between columns, '.' as decimal mark")
            << QLocale::c()
            << "Zeit,Quelle,Art,Temperatur 1 (°C),Temperatur 2 (°C),Ausgang 1,Ausgang 2,Ausgang 3,Ausgang 4,"
               "Eingang 1,Eingang 2,Eingang 3,Eingang 4,Wind (km/h),Wind max (km/h),Regen (l/m²),"
               "Außentemperatur (°C),Licht"
            << QStringList{"2024-05-01T14:05:09.123+02:00,eNum 1 1/23 127.0.0.3,Messwerte,21.5,-3.0,1,0,0,0,0,1,0,0,,,,,",
                           "2024-05-01T14:05:09.123+02:00,eNum 1 0/0 127.0.0.3,Schaltquittung,,,1,0,0,1,,,,,,,,,",
                           "2024-05-01T14:05:09.123+02:00,eNum 123 1/30 127.0.0.3,Wetterdaten,,,,,,,,,,,3,17,1.2,-2.5,88"};
    }
    void csvFollowsTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, header);
        QFETCH(QStringList, rows);
        constexpr int TwoHours = 7200;
        const HistoryCsv csv(locale, QTimeZone(TwoHours));
        QCOMPARE(csv.header(), header);
        QStringList made;
        for (const QByteArray &reply : {Measurement, SwitchAck, Weather})
            made << csv.row(*HistoryRecord::fromReply(Time, Peer, reply));
        QCOMPARE(made, rows);
    }

    void csvRecordingWritesEachRecordAsItComes()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("Aufzeichnung.csv");
        const HistoryCsv csv(QLocale::c());
        const auto content = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        Recording recording;
        QVERIFY(recording.startCsvRecording(path, QLocale::c()));
        recording.replyDecoded(Time, Peer, Measurement);
        // On disk while the file is still open: a crash now loses nothing.
        const QByteArray first = HistoryCsv::ByteOrderMark + csv.header().toUtf8() + "\r\n"
            + csv.row(*HistoryRecord::fromReply(Time, Peer, Measurement)).toUtf8() + "\r\n";
        QCOMPARE(content(), first);
        recording.stopCsvRecording();
        recording.replyDecoded(Time, Peer, Weather);
        QCOMPARE(content(), first);
        // A file that has lines gets no second header.
        QVERIFY(recording.startCsvRecording(path, QLocale::c()));
        recording.replyDecoded(Time, Peer, SwitchAck);
        QCOMPARE(content(), first + csv.row(*HistoryRecord::fromReply(Time, Peer, SwitchAck)).toUtf8() + "\r\n");

        QVERIFY(!recording.startCsvRecording(folder.filePath("no/such/folder.csv"), QLocale::c()));
        QVERIFY(!recording.error().isEmpty());
        QCOMPARE(recording.csvRecordingPath(), QString());
    }
};

TESSRA_TEST(TestRecording)
#include "tst_Recording.moc"
