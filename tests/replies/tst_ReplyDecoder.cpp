#include "EffectText.h"
#include "TestMain.h"
#include "replies/ReplyDecoder.h"

#include <QRegularExpression>

#include <vector>

Q_DECLARE_METATYPE(ReplySnapshot)

using namespace ReplyDecoder;

namespace {

const QLocale Comma(QLocale::German, QLocale::Germany);

// The window as the replies find it: LAN T-Diff 2.5 / 1.0, new LAN parameters 100 to 117, the radio device 28 / 1 / 22
// with eNum 7, and no frequency box ticked, as designed.
ReplySnapshot window(const QLocale &locale = QLocale::c())
{
    ReplySnapshot s;
    s.text1[18] = "2.5";
    s.text1[19] = "1.0";
    for (int k = 0; k < 18; ++k)
        s.text2[std::size_t(k)] = QString::number(100 + k);
    s.text3 = {"28", "1", "22", "7", "", ""};
    s.locale = locale;
    return s;
}

// Decodes from a buffer of exactly the bytes' size, so that the sanitizers see any read beyond.
DecodedReply decodeExact(const QByteArray &bytes, const ReplySnapshot &snapshot = window())
{
    const std::vector<char> exact(bytes.begin(), bytes.end());
    return DecodeReply(QByteArrayView(exact.data(), bytes.size()), snapshot);
}

// The effects as lines, then how decoding ended.
QStringList describe(const DecodedReply &reply)
{
    static const char *const ends[] = {"no data", "closing", "undecodable, closing", "kept open"};
    return effectLines(reply.effects) << QString("end: ") + ends[int(reply.end)];
}

// Replies as devices send them (hex; blanks only for reading). The checksum byte is 00: it is not verified.
const QByteArray LanHead = "FFAA 00C9 2301 1CFFFE FFFE";
const QByteArray LanPayload = "31303233 C0A81CD7 C0A81CFE FFFFFF00 C0A81C0A 0154 25";
const QByteArray LanReply = LanHead + "0101 00" + LanPayload;
// The radio thermostat answers from 2.33, not from the address the window shows.
const QByteArray RadioHead = "FFAA 00C9 1603 1CFFFE 0221";
const QByteArray RadioThermostat = RadioHead + "0205 00 A5 A352 32313037 25 0C08";
const QByteArray SwitchAck = "FFAA 0003 0D01 1CFFFE FFFE 0101 00 08";
const QByteArray Weather = "FFAA 00BF 1601 1CFFFE FFFE 0196 00 03 11 000C 000000 8019 58";
const QByteArray AcknowledgedNewLan = "FFAA 00F0 0C01 1CFFFE FFFE 0101 00";

const QStringList Undecodable = {"log [-> Error: kann Daten nicht dekodieren!!]", "end: undecodable, closing"};
const QStringList Lan = {
    "log [-> Firmware 1.0.2.3]", "Text1: 4=192 5=168 6=28 7=254 12=192 13=168 14=28 15=10",
    "log [-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP 192.168.28.10, Port 340, eNum=1]",
    "Check1: 0=1 1=0 2=1 3=0 4=0 5=1 6=0 7=0",
    "log [-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1, supress HighPr. Port=0, M2M Comm=0]",
    "Text2: 18=2.5 19=1.0", "Check2: 0=1 1=0 2=1 3=0 4=0 5=1 6=0 7=0",
    "log [-> Device: LAN-Devices, Funktion=Schalt-Devices]", "end: closing"};

// The radio thermostat's effects under a ',' locale.
const QStringList Radio = {
    "log [-> Firmware 2.1.0.7]", "Text3: 3=3", "log [-> Deviceadresse 2.33, eNum 3]",
    "Check5: 11=0 10=0 9=1 8=1 7=0 6=1 5=0 4=1 3=0 2=0 1=1 0=0", "Check6: 0=1 1=0 2=1",
    "log [-> Sendeleistung(Dämpfung) =15 dB, F=864,25 MHz]", "Check3: 0=1 1=0 2=1 3=0 4=0 5=1",
    "log [-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1]",
    "Text3: 4=1,2 5=0,8", "log [-> T-Diff EIN=1,2°C, T-Diff AUS=0,8°C]", "Check4: 0=1 1=0 2=1 3=0 4=0 5=1",
    "Check7: 0=0 1=1 2=0 3=0 4=1 5=0 6=1 7=0 8=1 9=1 10=0 11=0", "Check8: 0=1 1=0 2=1",
    "Text5: 0=28 1=1 2=22 3=3 4=1,2 5=0,8", "log [-> Device: Funk-Devices, Funktion=Thermostat]", "end: closing"};

// A row of the replies table; only the lines that pick matches are compared.
void row(const char *name, const QByteArray &hex, const QStringList &expected, const ReplySnapshot &snapshot = window(),
         const QString &pick = {})
{
    QTest::newRow(name) << hex << snapshot << pick << expected;
}

} // namespace

class TestReplyDecoder : public QObject
{
    Q_OBJECT

private slots:
    void replies_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<ReplySnapshot>("snapshot");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QStringList>("expected");
        const QStringList weather = {"log [-> empfange Wetterdaten....]",
                                     "log [außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88]",
                                     "end: closing"};

        row("LAN adapter: gateway and destination fields, flags copied; no T-Diff line", LanReply, Lan);
        row("preamble not checked: two other bytes decode the same", "0000" + LanReply.mid(4), Lan);
        row("LAN heat-pump controller: no parameter line, no boxes", LanHead + "010E 00" + LanPayload,
            Lan.mid(0, 3) + QStringList{"log [-> Device: LAN-Devices, Funktion=WärmepumpenController]", "end: closing"});
        row("port bytes C3 50 are port 50000; a solar tracker has flags", LanHead + "0150 00" + QByteArray(LanPayload).replace("0154", "C350"),
            {QString(Lan[2]).replace("Port 340", "Port 50000"), Lan[6]}, window(), "connectet|Check2");
        row("radio thermostat, ',' locale", RadioThermostat, Radio, window(Comma));
        row("flags C0 at function 250: bits 6 and 7 leave no trace; no T-Diff line, yet 25.5 and 0.0 shown",
            RadioHead + "02FA 00 A3 A352 32313037 C0 FF00",
            {"log [-> Parameter: OutStateMem=0, InStateMem=0, SystemTimeOut=0, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=0]",
             "Text3: 4=25.5 5=0.0"}, window(), "Parameter|T-Diff|Text3: 4");
        row("radio heat-pump controller, its code shown already: no flags, the design caption stays",
            RadioHead + "020E 00 A0 F000", {"log [-> Sendeleistung(Dämpfung) =0 dB, F=860 Mhz]",
            "log [-> Device: Funk-Devices, Funktion=WärmepumpenController]", "end: closing"}, window(), "Sendel|Device:|end");
        // Outputs 1 and 4 on, input 2 active, then the temperatures.
        row("measurement code 106 from a thermostat, ',' locale", "FFAA 006A 1201 1CFFFE FFFE 0105 00 09 02 00D7 801E",
            {"UpdatingPorts on", "Port1: 0=on 1=off 2=off 3=on",
             "log [-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON]", "UpdatingPorts off",
             "Shape1: 0=#c0c0c0 1=#ffff00 2=#c0c0c0 3=#c0c0c0",
             "log [-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=OFF, Kanal 4=OFF]",
             "Label12: 0=Temperatur 1:  21,5 °C Temperatur 2: -3,0 °C",
             "log [-> Messwert:  21,5 °C, Sollwert: -3,0 °C, eNum=1]", "end: closing"}, window(Comma));
        row("upper channel bits ignored; 7FFF and 8000 are 3276.7 without grouping and minus zero",
            "FFAA 00CE 1201 1CFFFE FFFE 0101 00 F0 F0 7FFF 8000",
            {"Port1: 0=off 1=off 2=off 3=off", "log [-> OutPort: Kanal 1=OFF, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=OFF]",
             "log [-> Temperatur1:  3276.7 °C,  Temperatur2: -0.0 °C, eNum=1]"}, window(), "Port1|OutPort|-> Temp");
        row("switch acknowledgement 08: log only, buttons untouched", SwitchAck, {"log [-> Port geschaltet! Status:  Ch 1=0,  Ch 2=0,  Ch 3=0,  Ch 4=1]", "end: closing"});
        row("weather keeps '.' under a ',' locale", Weather, weather, window(Comma));
        row("weather in shortest form: 120 is 12; the largest values", "FFAA 00BF 1601 1CFFFE FFFE 0196 00 FF FF FFFF 000000 0078 FF",
            {"log [außen= 12 °C, Regen=6553.5 Lt/m², Wind akt.=255 Km/h, Wind max=255 Km/h, Licht=255]"}, window(), "außen");
        row("weather payload of 9 bytes: first line only, kept open", "FFAA 00BF 1601 1CFFFE FFFE 0196 00 03 11 000C 000000 8019", {weather[0], "end: kept open"});
        row("203: success line", "FFAA 00CB 0C01 1CFFFE FFFE 0101 00", {"log [-> Programmierung erfolgreich. Boote neu........]", "end: closing"});
        row("240: new LAN parameters 0 to 17 become current", AcknowledgedNewLan,
            {"log [-> Programmierung erfolgreich! Device bootet neu....]",
             "Text1: 0=100 1=101 2=102 3=103 4=104 5=105 6=106 7=107 8=108 9=109 10=110 11=111 12=112 13=113 14=114 "
             "15=115 16=116 17=117", "end: closing"});
        row("class 7, function 3: both texts empty", "FFAA 00C9 0C01 1CFFFE FFFE 0703 00", {"log [-> Device: , Funktion=]", "end: closing"});
        const QList<std::pair<int, QString>> functions = {
            {0, "ohne Zuordnung"}, {1, "Schalt-Devices"}, {5, "Thermostat"}, {14, "WärmepumpenController"},
            {80, "Solartracker"}, {100, "Fernbedienung"}, {150, "Wetterstation"}, {200, "Datenanzeige"},
            {249, "TimeServer"}, {250, "ControlServer"}, {254, "Gateway (Funk/Lan)"}, {255, "PC Software"}};
        for (const auto &[function, text] : functions)
            row(qPrintable("class 0, function " + QString::number(function)),
                "FFAA 00C9 0C01 1CFFFE FFFE 00" + QByteArray::number(function, 16).rightJustified(2, '0') + "00",
                {"log [-> Device: Kabel-Devices, Funktion=" + text + "]", "end: closing"});

        row("class 0 without its function byte", "FFAA 00C9 0C01 1CFFFE FFFE 00", Undecodable);
        row("code 202 is not decodable", "FFAA 00CA 0C01 1CFFFE FFFE 0101 00", Undecodable);
        row("blanks only", "202020", {"log [-> Error: keine Daten !]", "end: no data"});
        row("blanks around a tab", "200920", Undecodable);
        row("LAN ends in the firmware: its places left empty", LanHead + "0101 00 3130", QStringList{"log [-> Firmware 1.0..]"} + Undecodable);
        row("LAN ends after two destination octets: they are shown", LanHead + "0101 00 31303233 C0A81CD7 C0A81CFE FFFFFF00 C0A8", QStringList{Lan[0], "Text1: 4=192 5=168 6=28 7=254 12=192 13=168"} + Undecodable);
    }
    void replies()
    {
        QFETCH(QByteArray, hex);
        QFETCH(ReplySnapshot, snapshot);
        QFETCH(QString, pick);
        QFETCH(QStringList, expected);
        const QStringList lines = describe(decodeExact(QByteArray::fromHex(hex), snapshot));
        QCOMPARE(pick.isEmpty() ? lines : lines.filter(QRegularExpression(pick)), expected);
    }
};

TESSRA_TEST(TestReplyDecoder)
#include "tst_ReplyDecoder.moc"
