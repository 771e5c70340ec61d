#include "TestMain.h"
#include "requests/RequestBuilder.h"

#include <QTest>

Q_DECLARE_METATYPE(RequestSnapshot)

using RequestBuilder::BuildRequest;

namespace {

// A LAN device with eNum 1, or the radio device 22 / 1 / 2 with eNum 3.
RequestSnapshot target(int kind, int command)
{
    RequestSnapshot s;
    s.targetKindIndex = kind;
    s.currentCommand = command;
    s.text1[17] = QStringLiteral("1");
    s.text3 = {QStringLiteral("22"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    return s;
}

RequestSnapshot switching(int kind, int command, int channel, int state)
{
    RequestSnapshot s = target(kind, command);
    s.currentChannel = channel;
    s.port1State = state;
    return s;
}

RequestSnapshot lanProgramming()
{
    RequestSnapshot s = target(RequestBuilder::TargetLan, 2);
    const QStringList fields = {"192", "168", "1",   "50", "192", "168", "1", "1",   "255", "255",
                                "255", "0",   "192", "168", "1",  "10",  "5000", "7", "1.5", "1,2"};
    std::copy(fields.begin(), fields.end(), s.text2.begin());
    s.check2 = {1, 0, 1, 1, 2, 0, 0, 1}; // a grey box (2) is not a set flag
    return s;
}

RequestSnapshot radioProgramming()
{
    RequestSnapshot s = target(RequestBuilder::TargetRadio, 2);
    s.text3 = {QStringLiteral("28"), QStringLiteral("1"), QStringLiteral("22"), QStringLiteral("5")};
    s.text5 = {QStringLiteral("28"), QStringLiteral("1"), QStringLiteral("23"), QStringLiteral("9"),
               QStringLiteral("2,5"), QStringLiteral("0.5")};
    s.check4 = {1, 1, 0, 0, 1, 0};
    s.txPowerByte = 0xA5;
    s.frequencyHigh = 0xA3;
    s.frequencyLow = 0x4C;
    return s;
}

QString describe(const FieldRef &field)
{
    static const char *const names[] = {"Text1", "Text2", "Text3", "Text5", "Check1"};
    return QStringLiteral("%1(%2)").arg(QLatin1String(names[int(field.array)])).arg(field.index);
}

// The effects in a form QCOMPARE can show.
QStringList describe(const QList<RequestEffect> &effects)
{
    QStringList lines;
    for (const RequestEffect &effect : effects) {
        if (auto e = std::get_if<RequestEffects::SetLongReplyTimeout>(&effect))
            lines << (e->value ? QStringLiteral("LongReplyTimeout true") : QStringLiteral("LongReplyTimeout false"));
        else if (auto e = std::get_if<RequestEffects::WriteLog>(&effect))
            lines << QStringLiteral("log [%1]").arg(e->text);
        else if (auto e = std::get_if<RequestEffects::SetText>(&effect))
            lines << QStringLiteral("%1 = %2").arg(describe(e->field), e->text);
        else if (auto e = std::get_if<RequestEffects::SetCheck>(&effect))
            lines << QStringLiteral("%1 = %2").arg(describe(e->box)).arg(e->value);
        else if (auto e = std::get_if<RequestEffects::ShowCheckVerdict>(&effect))
            lines << QStringLiteral("message [%1] focus %2")
                         .arg(e->verdict.message, e->verdict.focus ? describe(*e->verdict.focus) : "none");
    }
    return lines;
}

const QStringList LongTimeout = {"LongReplyTimeout true"};

} // namespace

class TestRequestBuilder : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void lanProgrammingFields_data();
    void lanProgrammingFields();
    void ports_data();
    void ports();
    void headerFields_data();
    void headerFields();
    void radioChecksRefuse_data();
    void radioChecksRefuse();
    void nothingWithoutCommandOrTarget();
};

void TestRequestBuilder::frames_data()
{
    QTest::addColumn<RequestSnapshot>("snapshot");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QStringList>("effects");
    const int lan = RequestBuilder::TargetLan;
    const int radio = RequestBuilder::TargetRadio;
    const QStringList switchLog = LongTimeout + QStringList{"log [Sende Schalbefehl ]"};
    const QStringList autoSend = LongTimeout + QStringList{"LongReplyTimeout false"};

    QTest::newRow("parameter request to LAN eNum 1") << target(lan, 1) << QByteArray("FFAA00C80C011CFFFEFFFE0101ED") << LongTimeout;
    QTest::newRow("parameter request to radio 22/1/2 eNum 3") << target(radio, 1) << QByteArray("FFAA00C80C03160102FFFE0201F0") << LongTimeout;
    QTest::newRow("measurement request to LAN") << target(lan, 3) << QByteArray("FFAA00CE0C011CFFFEFFFE0101F3") << LongTimeout;
    QTest::newRow("measurement request to radio 22/1/2 eNum 3") << target(radio, 3) << QByteArray("FFAA00CE0C03160102FFFE0201F6") << LongTimeout;
    QTest::newRow("Ch 3 of LAN switched on is 0x44") << switching(lan, 4, 2, 1) << QByteArray("FFAA00030D011CFFFEFFFE01016D44") << switchLog;
    QTest::newRow("Ch 3 of LAN switched off is 0x40") << switching(lan, 4, 2, 0) << QByteArray("FFAA00030D011CFFFEFFFE01016940") << switchLog;
    QTest::newRow("Ch 1 of LAN switched on is 0x11") << switching(lan, 4, 0, 1) << QByteArray("FFAA00030D011CFFFEFFFE01013A11") << switchLog;
    QTest::newRow("Ch 4 of LAN switched off is 0x80") << switching(lan, 4, 3, 0) << QByteArray("FFAA00030D011CFFFEFFFE0101A980") << switchLog;
    QTest::newRow("Ch 2 of radio switched on is 0x22") << switching(radio, 4, 1, 1) << QByteArray("FFAA00030D03160102FFFE02014E22") << switchLog;
    QTest::newRow("AutoSend input 1 of LAN is 0x10, short time-out") << switching(lan, 5, 0, 1) << QByteArray("FFAA00CF0D011CFFFEFFFE01010510") << autoSend;
    QTest::newRow("AutoSend input 4 of radio is 0x80") << switching(radio, 5, 3, 0) << QByteArray("FFAA00CF0D03160102FFFE02017880") << autoSend;
    QStringList lanCopies = LongTimeout + QStringList{"Text1(17) = 7"};
    const int flags[] = {1, 0, 1, 1, 2, 0, 0, 1};
    for (int i = 0; i < 8; ++i)
        lanCopies << QStringLiteral("Check1(%1) = %2").arg(i).arg(flags[i]);
    QTest::newRow("LAN programming: all 21 payload bytes, header carries the new eNum 7")
        << lanProgramming()
        << QByteArray("FFAA00CA21071CFFFEFFFE0101C2" "C0A80132" "C0A80101" "FFFFFF00" "C0A8010A" "1388" "8D" "0F0C")
        << lanCopies;
    QTest::newRow("radio programming 28/1/22 to 28/1/23: header keeps the old address")
        << radioProgramming() << QByteArray("FFAA00CA15051C0116FFFE020110" "1C0117A5A34C131905")
        << LongTimeout + QStringList{"Text3(0) = 28", "Text3(1) = 1", "Text3(2) = 23"};
}

void TestRequestBuilder::frames()
{
    QFETCH(RequestSnapshot, snapshot);
    QFETCH(QByteArray, hex);
    QFETCH(QStringList, effects);
    const RequestBuilder::BuiltRequest built = BuildRequest(snapshot);
    QCOMPARE(built.requestFrame.toHex().toUpper(), hex);
    QCOMPARE(built.requestFrame.size(), 2 + built.requestFrame.at(4)); // the length byte counts the body
    QCOMPARE(describe(built.effects), effects);
}

void TestRequestBuilder::lanProgrammingFields_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("payloadByte");
    QTest::addColumn<int>("expected");
    QTest::newRow("IP octet 300 is sent as 0") << 0 << "300" << 1 << 0;
    QTest::newRow("empty IP octet is sent as 0") << 1 << "" << 2 << 0;
    QTest::newRow("non-numeric gateway octet is sent as 0") << 5 << "1a" << 6 << 0;
    QTest::newRow("negative mask octet is sent as 0") << 8 << "-1" << 9 << 0;
    QTest::newRow("octet 255 is sent") << 15 << "255" << 16 << 255;
    QTest::newRow("octet 2.5 rounds to even 2") << 12 << "2.5" << 13 << 2;
    QTest::newRow("T-Diff text 4 is 4.0 degrees") << 18 << "4" << 20 << 40;
    QTest::newRow("T-Diff text 12 is 12.0 degrees") << 19 << "12" << 21 << 120;
    QTest::newRow("T-Diff 25.5 is the largest") << 18 << "25.5" << 20 << 255;
    QTest::newRow("T-Diff 25.6 does not fit") << 18 << "25.6" << 20 << 0;
    QTest::newRow("empty T-Diff is sent as 0") << 19 << "" << 21 << 0;
}

void TestRequestBuilder::lanProgrammingFields()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(int, payloadByte);
    QFETCH(int, expected);
    RequestSnapshot s = lanProgramming();
    s.text2[field] = text;
    const QByteArray frame = BuildRequest(s).requestFrame;
    QCOMPARE(frame.size(), 35);
    QCOMPARE(quint8(frame.at(2 + 12 + payloadByte - 1)), expected);
}

void TestRequestBuilder::ports_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("port 5000 is sent high byte first") << "5000" << QByteArray("1388");
    QTest::newRow("port 340") << "340" << QByteArray("0154");
    QTest::newRow("port 0") << "0" << QByteArray("0000");
    QTest::newRow("port 255 fits the low byte") << "255" << QByteArray("00FF");
    QTest::newRow("port 256 carries into the high byte") << "256" << QByteArray("0100");
    QTest::newRow("port 65535") << "65535" << QByteArray("FFFF");
    QTest::newRow("port 65536 fits neither byte") << "65536" << QByteArray("0000");
    QTest::newRow("empty port is 0") << "" << QByteArray("0000");
}

void TestRequestBuilder::ports()
{
    QFETCH(QString, port);
    QFETCH(QByteArray, hex);
    RequestSnapshot s = lanProgramming();
    s.text2[16] = port;
    QCOMPARE(BuildRequest(s).requestFrame.mid(2 + 12 + 16, 2).toHex().toUpper(), hex);
}

void TestRequestBuilder::headerFields_data()
{
    QTest::addColumn<RequestSnapshot>("snapshot");
    QTest::addColumn<QByteArray>("hex");
    RequestSnapshot emptyENum = target(RequestBuilder::TargetLan, 1);
    emptyENum.text1[17].clear();
    RequestSnapshot bigENum = target(RequestBuilder::TargetLan, 1);
    bigENum.text1[17] = QStringLiteral("300");
    RequestSnapshot lenientDest = target(RequestBuilder::TargetRadio, 1);
    lenientDest.text3 = {QStringLiteral("12x"), QString(), QStringLiteral("256"), QStringLiteral("3")};
    QTest::newRow("empty eNum is 0, checksum over what was written") << emptyENum << QByteArray("FFAA00C80C001CFFFEFFFE0101EC");
    QTest::newRow("eNum 300 is 0") << bigENum << QByteArray("FFAA00C80C001CFFFEFFFE0101EC");
    QTest::newRow("destination read leniently: 12x, empty, 256") << lenientDest << QByteArray("FFAA00C80C030C0000FFFE0201E3");
}

void TestRequestBuilder::headerFields()
{
    QFETCH(RequestSnapshot, snapshot);
    QFETCH(QByteArray, hex);
    QCOMPARE(BuildRequest(snapshot).requestFrame.toHex().toUpper(), hex);
}

void TestRequestBuilder::radioChecksRefuse_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty home address, before any payload")
        << 0 << "" << QStringLiteral("message [Bitte Homeadresse prüfen !\rDie Adresse darf nicht 0 sein !] focus none");
    QTest::newRow("device address low 251")
        << 2 << "251" << QStringLiteral("message [Bitte Zieladresse prüfen !\rDie Zieladresse darf nur zwischen 0 und 250 liegen !] focus none");
    QTest::newRow("T-Diff on 0")
        << 4 << "0" << QStringLiteral("message [Bitte T-DiffON-Wert prüfen !\rNur Werte von 0,1 bis 25,5 zulässig !] focus Text5(4)");
    QTest::newRow("T-Diff off 25,6")
        << 5 << "25,6" << QStringLiteral("message [Bitte T-DiffOFF-Wert prüfen !\rNur Werte von 0,1 bis 25,5 zulässig !] focus Text5(5)");
}

void TestRequestBuilder::radioChecksRefuse()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    RequestSnapshot s = radioProgramming();
    s.text5[field] = text;
    const RequestBuilder::BuiltRequest built = BuildRequest(s);
    QVERIFY(built.requestFrame.isEmpty());
    // No copy of the new address: the current fields keep 28 / 1 / 22.
    QCOMPARE(describe(built.effects), LongTimeout + QStringList{message});
}

void TestRequestBuilder::nothingWithoutCommandOrTarget()
{
    QVERIFY(BuildRequest(target(RequestBuilder::TargetLan, 0)).requestFrame.isEmpty());
    QVERIFY(BuildRequest(target(RequestBuilder::TargetLan, 6)).requestFrame.isEmpty());
    QVERIFY(BuildRequest(target(-1, 1)).requestFrame.isEmpty());
}

TESSRA_TEST(TestRequestBuilder)
#include "tst_RequestBuilder.moc"
