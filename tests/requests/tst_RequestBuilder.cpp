#include "EffectText.h"
#include "TestMain.h"
#include "requests/RequestBuilder.h"

Q_DECLARE_METATYPE(RequestSnapshot)

using RequestBuilder::TargetLan;
using RequestBuilder::TargetRadio;
using namespace RequestEffects;

namespace {

// A LAN device with eNum 1, or the radio device 22 / 1 / 2 with eNum 3.
RequestSnapshot target(int kind, int command, int channel = 0, int switchState = 0)
{
    RequestSnapshot s;
    s.targetKindIndex = kind;
    s.currentCommand = command;
    s.currentChannel = channel;
    s.port1State = switchState;
    s.text1[17] = "1";
    s.text3 = {"22", "1", "2", "3"};
    return s;
}

// The LAN device is given new parameters, the fields' texts separated by ";"; a grey box (2) is no set flag.
RequestSnapshot lanProgramming(const QString &fields)
{
    RequestSnapshot s = target(TargetLan, 2);
    const QStringList texts = fields.split(u';');
    std::copy(texts.begin(), texts.end(), s.text2.begin());
    s.check2 = {1, 0, 1, 1, 2, 0, 0, 1};
    return s;
}

// The radio device 28 / 1 / 22 with eNum 5 is to become 28 / 1 / 23; field k of the new ones holds text.
RequestSnapshot radioProgramming(int k = 0, const QString &text = "28")
{
    RequestSnapshot s = target(TargetRadio, 2);
    s.text3 = {"28", "1", "22", "5"};
    s.text5 = {"28", "1", "23", "9", "2,5", "0.5"};
    s.text5[k] = text;
    s.check4 = {0, 1, 0, 0, 1, 0};
    s.txPowerByte = 0xA5;
    s.frequencyHigh = 0xA3;
    s.frequencyLow = 0x4C;
    return s;
}

} // namespace

class TestRequestBuilder : public QObject
{
    Q_OBJECT

private slots:
    void requests_data()
    {
        QTest::addColumn<RequestSnapshot>("snapshot");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QString>("effects");
        RequestSnapshot lenient = target(TargetRadio, 1);
        lenient.text3 = {"12x", "", "256", "3"};
        const QString copies = "; Check1: 0=1 1=0 2=1 3=1 4=2 5=0 6=0 7=1";
        QTest::newRow("parameter request to LAN eNum 1") << target(TargetLan, 1) << QByteArray("FFAA00C80C011CFFFEFFFE0101ED") << "long time-out";
        QTest::newRow("measurement request to radio 22/1/2 eNum 3") << target(TargetRadio, 3) << QByteArray("FFAA00CE0C03160102FFFE0201F6") << "long time-out";
        QTest::newRow("radio destination read leniently: 12x, empty, 256") << lenient << QByteArray("FFAA00C80C030C0000FFFE0201E3") << "long time-out";
        QTest::newRow("Ch 3 of LAN switched on is 0x44") << target(TargetLan, 4, 2, 1) << QByteArray("FFAA00030D011CFFFEFFFE01016D44") << "long time-out; log [Sende Schalbefehl ]";
        QTest::newRow("Ch 2 of radio switched off is 0x20") << target(TargetRadio, 4, 1, 0) << QByteArray("FFAA00030D03160102FFFE02014C20") << "long time-out; log [Sende Schalbefehl ]";
        QTest::newRow("AutoSend input 4 of radio is 0x80, short time-out") << target(TargetRadio, 5, 3) << QByteArray("FFAA00CF0D03160102FFFE02017880") << "long time-out; short time-out";
        QTest::newRow("command 6 is unknown: nothing is sent") << target(TargetLan, 6) << QByteArray() << "long time-out";
        QTest::newRow("target kind 2 is unknown: nothing is sent") << target(2, 1) << QByteArray() << "long time-out";
        QTest::newRow("LAN programming: all 21 payload bytes, the header carries the new eNum 7")
            << lanProgramming("192;168;1;50;192;168;1;1;255;255;255;0;192;168;1;10;5000;7;1.5;1,2")
            << QByteArray("FFAA00CA21071CFFFEFFFE0101C2" "C0A80132" "C0A80101" "FFFFFF00" "C0A8010A" "1388" "8D" "0F0C")
            << "long time-out; Text1: 17=7" + copies;
        QTest::newRow("LAN programming: octets 300, 1a and -1, port 65536 and eNum 300 are sent as 0, 2.5 as 2; T-Diff 4 is 40")
            << lanProgramming("300;168;1;50;192;1a;1;1;-1;255;255;0;2.5;168;1;10;65536;300;4;")
            << QByteArray("FFAA00CA21001CFFFEFFFE010108" "00A80132" "C0000101" "00FFFF00" "02A8010A" "0000" "8D" "2800")
            << "long time-out; Text1: 17=300" + copies;
        QTest::newRow("radio programming: the header keeps the old address, the new one becomes current")
            << radioProgramming() << QByteArray("FFAA00CA15051C0116FFFE02010F" "1C0117A5A34C121905") << "long time-out; Text3: 0=28 1=1 2=23";
        QTest::newRow("an empty home address is refused before any payload: nothing sent, nothing copied") << radioProgramming(0, "")
            << QByteArray() << "long time-out; refused [Bitte Homeadresse prüfen !\rDie Adresse darf nicht 0 sein !]";
        QTest::newRow("T-Diff off 25,6 is refused") << radioProgramming(5, "25,6")
            << QByteArray() << "long time-out; refused [Bitte T-DiffOFF-Wert prüfen !\rNur Werte von 0,1 bis 25,5 zulässig !]";
    }
    void requests()
    {
        QFETCH(RequestSnapshot, snapshot);
        QFETCH(QByteArray, hex);
        QFETCH(QString, effects);
        const RequestBuilder::BuiltRequest built = RequestBuilder::BuildRequest(snapshot);
        QCOMPARE(built.requestFrame.toHex().toUpper(), hex);
        QCOMPARE(effectLines(built.effects).join("; "), effects);
    }
};

TESSRA_TEST(TestRequestBuilder)
#include "tst_RequestBuilder.moc"
