#include "TestMain.h"
#include "replies/ReplyDecoder.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(ReplySnapshot)

using namespace ReplyDecoder;
using namespace ReplyEffects;

namespace {

const QLocale Point(QLocale::English, QLocale::UnitedStates);
const QLocale Comma(QLocale::German, QLocale::Germany);

// The window as the replies find it: LAN T-Diff 2.5 / 1.0, new LAN parameters
// 192.168.28.50 port 400, the radio device 28 / 1 / 22 with eNum 7, and the
// frequency row as designed (nothing shown yet) or showing a code.
ReplySnapshot window(const QLocale &locale = Point, int shownCode = -1)
{
    ReplySnapshot s;
    s.text1[18] = "2.5";
    s.text1[19] = "1.0";
    const QStringList newLan = {"192", "168", "28", "50", "192", "168", "28", "254", "255", "255",
                                "255", "0",   "192", "168", "28", "10", "400", "9",  "3.0", "2.0"};
    std::copy(newLan.begin(), newLan.end(), s.text2.begin());
    s.text3 = {"28", "1", "22", "7", "", ""};
    if (shownCode >= 0) {
        s.check5 = SelectorRows::frequencyBoxesFor(shownCode);
        s.label15Frequency = SelectorRows::frequencyCaption(s.check5, locale);
    }
    s.locale = locale;
    return s;
}

QString name(ControlArray array)
{
    static const char *const names[] = {"Text1",  "Text2",  "Text3",  "Text5",  "Check1", "Check2", "Check3", "Check4",
                                        "Check5", "Check6", "Check7", "Check8", "Port1",  "Shape1", "Label12"};
    return QLatin1String(names[int(array)]);
}

QString colourName(const QColor &c)
{
    if (c == QColor(255, 255, 0))
        return "yellow";
    if (c == QColor(192, 192, 192))
        return "lightgrey";
    return c.name();
}

// The effects in a form QCOMPARE can show; a run of one control array with
// indices stepping by one is one line: "Check5(11..0) = 0 0 1 1 ...".
QStringList describe(const DecodedReply &reply)
{
    struct Run
    {
        ControlArray array;
        int first;
        int last;
        QStringList values;
    };
    QStringList lines;
    std::optional<Run> run;
    const auto flush = [&] {
        if (!run)
            return;
        if (run->array == ControlArray::Label12)
            lines << "Label12 = " + run->values.join(' ');
        else if (run->values.size() == 1)
            lines << QString("%1(%2) = %3").arg(name(run->array)).arg(run->first).arg(run->values[0]);
        else
            lines << QString("%1(%2..%3) = %4").arg(name(run->array)).arg(run->first).arg(run->last).arg(run->values.join(' '));
        run.reset();
    };
    const auto item = [&](const FieldRef &field, const QString &value) {
        const int step = run && run->values.size() > 1 ? run->last - run->first > 0 ? 1 : -1 : 0;
        const bool continues = run && run->array == field.array
            && (step ? field.index - run->last == step : std::abs(field.index - run->last) == 1);
        if (!continues) {
            flush();
            run = Run{field.array, field.index, field.index, {}};
        }
        run->last = field.index;
        run->values << value;
    };
    for (const ReplyEffect &effect : reply.effects) {
        if (auto e = std::get_if<SetText>(&effect))
            item(e->field, e->text);
        else if (auto e = std::get_if<SetCheck>(&effect))
            item(e->box, QString::number(e->value));
        else if (auto e = std::get_if<SetSwitchState>(&effect))
            item(e->button, e->on ? "on" : "off");
        else if (auto e = std::get_if<SetFillColour>(&effect))
            item(e->indicator, colourName(e->colour));
        else {
            flush();
            if (auto e = std::get_if<WriteLog>(&effect))
                lines << "log [" + e->text + "]";
            else if (auto e = std::get_if<SetUpdatingPorts>(&effect))
                lines << (e->value ? "UpdatingPorts true" : "UpdatingPorts false");
        }
    }
    flush();
    static const char *const ends[] = {"no data", "closing", "undecodable, closing", "kept open"};
    lines << QString("end: ") + ends[int(reply.end)];
    return lines;
}

QStringList decode(const QByteArray &hex, const ReplySnapshot &snapshot)
{
    return describe(DecodeReply(QByteArray::fromHex(hex), snapshot));
}

// Replies as devices send them (hex; blanks only for reading). The checksum
// byte is 00 throughout: it is not verified.
const QByteArray LanHead = "FFAA 00C9 2301 1CFFFE FFFE";
const QByteArray LanPayload = "31303233 C0A81CD7 C0A81CFE FFFFFF00 C0A81C0A 0154 25";
const QByteArray LanReply = LanHead + "0101 00" + LanPayload;
const QByteArray RadioHead = "FFAA 00C9 1603 1CFFFE 0116";
const QByteArray RadioThermostat = RadioHead + "0205 00 A3 A352 32313037 25 0C08";
const QByteArray Measurement = "FFAA 00CE 1201 1CFFFE FFFE 0101 00 09 02 00D7 801E";
const QByteArray SwitchAck = "FFAA 0003 0D01 1CFFFE FFFE 0101 00 08";
const QByteArray Weather = "FFAA 00BF 1601 1CFFFE FFFE 0196 00 03 11 000C 000000 8019 58";
const QByteArray Acknowledged = "FFAA 00CB 0C01 1CFFFE FFFE 0101 00";
const QByteArray AcknowledgedNewLan = "FFAA 00F0 0C01 1CFFFE FFFE 0101 00";

const QString DecodeError = "log [-> Error: kann Daten nicht dekodieren!!]";

const QStringList LanFirstLines = {
    "log [-> Firmware 1.0.2.3]",
    "Text1(4..7) = 192 168 28 254",
    "Text1(12..15) = 192 168 28 10",
    "log [-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP 192.168.28.10, Port 340, eNum=1]",
};
const QStringList LanFlagLines = {
    "Check1(0..7) = 1 0 1 0 0 1 0 0",
    "log [-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1, supress HighPr. Port=0, M2M Comm=0]",
    "Text2(18..19) = 2.5 1.0",
    "Check2(0..7) = 1 0 1 0 0 1 0 0",
};
const QStringList RadioFirstLines = {
    "log [-> Firmware 2.1.0.7]",
    "Text3(3) = 3",
    "log [-> Deviceadresse 1.22, eNum 3]",
    "Check5(11..0) = 0 0 1 1 0 1 0 1 0 0 1 0",
    "Check6(0..2) = 1 1 0",
};

// The radio thermostat's lines after its transmit-power line, for a locale's T-Diff texts.
QStringList radioFlagLines(const QString &on, const QString &off)
{
    return {"Check3(0..5) = 1 0 1 0 0 1",
            "log [-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1]",
            QString("Text3(4..5) = %1 %2").arg(on, off),
            QString("log [-> T-Diff EIN=%1°C, T-Diff AUS=%2°C]").arg(on, off),
            "Check4(0..5) = 1 0 1 0 0 1",
            "Check7(0..11) = 0 1 0 0 1 0 1 0 1 1 0 0",
            "Check8(0..2) = 1 1 0",
            QString("Text5(0..5) = 28 1 22 3 %1 %2").arg(on, off),
            "log [-> Device: Funk-Devices, Funktion=Thermostat]",
            "end: closing"};
}

QStringList measurementLines(const QString &label, const QString &last)
{
    return {"UpdatingPorts true",
            "Port1(0..3) = on off off on",
            "log [-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON]",
            "UpdatingPorts false",
            "Shape1(0..3) = lightgrey yellow lightgrey lightgrey",
            "log [-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=OFF, Kanal 4=OFF]",
            "Label12 = " + label,
            "log [" + last + "]",
            "end: closing"};
}

// Keeps the lines that start with one of the prefixes.
QStringList only(const QStringList &lines, const QStringList &prefixes)
{
    QStringList kept;
    for (const QString &line : lines) {
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](const QString &p) { return line.startsWith(p); }))
            kept << line;
    }
    return kept;
}

} // namespace

class TestReplyDecoder : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void details_data();
    void details();
    void truncated_data();
    void truncated();
    void everyCutIsAPrefixThenTheError();
    void onlyTheFirst45BytesAreDecoded();
    void nothingReadable_data();
    void nothingReadable();
    void arbitraryBytesAlwaysEndCleanly();
};

void TestReplyDecoder::replies_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<ReplySnapshot>("snapshot");
    QTest::addColumn<QStringList>("expected");

    const QStringList lanFull = LanFirstLines + LanFlagLines
        + QStringList{"log [-> Device: LAN-Devices, Funktion=Schalt-Devices]", "end: closing"};
    QTest::newRow("LAN adapter: lines, gateway and destination fields, flags copied; no T-Diff line")
        << LanReply << window() << lanFull;
    QTest::newRow("preamble not checked: two other bytes decode the same")
        << "0000" + LanReply.mid(4) << window() << lanFull;
    QTest::newRow("LAN heat-pump controller: no parameter line, no boxes")
        << LanHead + "010E 00" + LanPayload << window()
        << LanFirstLines + QStringList{"log [-> Device: LAN-Devices, Funktion=WärmepumpenController]", "end: closing"};

    const QStringList radioTransmit = {"log [-> Sendeleistung(Dämpfung) =9 dB, F=864.25 MHz]"};
    QTest::newRow("radio thermostat, '.' locale")
        << RadioThermostat << window(Point) << RadioFirstLines + radioTransmit + radioFlagLines("1.2", "0.8");
    QTest::newRow("radio thermostat, ',' locale: caption and T-Diff with a comma")
        << RadioThermostat << window(Comma)
        << RadioFirstLines + QStringList{"log [-> Sendeleistung(Dämpfung) =9 dB, F=864,25 MHz]"}
            + radioFlagLines("1,2", "0,8");
    QStringList noTDiffLine = RadioFirstLines + radioTransmit + radioFlagLines("1.2", "0.8");
    noTDiffLine[6] = "Check3(0..5) = 1 0 1 0 0 0";
    noTDiffLine[7].replace("T-DiffRegler=1", "T-DiffRegler=0");
    noTDiffLine[10] = "Check4(0..5) = 1 0 1 0 0 0";
    noTDiffLine.removeAt(9);
    QTest::newRow("radio flags 0x05: T-Diff fields set, no T-Diff line")
        << RadioHead + "0205 00 A3 A352 32313037 05 0C08" << window() << noTDiffLine;
    QTest::newRow("radio heat-pump controller: boxes and three lines, no flags, no copies")
        << RadioHead + "020E 00 A3 A352 32313037 25 0C08" << window()
        << RadioFirstLines + radioTransmit
            + QStringList{"log [-> Device: Funk-Devices, Funktion=WärmepumpenController]", "end: closing"};
    QTest::newRow("frequency already shown: no box changes, the design caption stays")
        << RadioHead + "020E 00 A0 A000 32313037 25 0C08" << window(Point)
        << QStringList{"log [-> Firmware 2.1.0.7]", "Text3(3) = 3", "log [-> Deviceadresse 1.22, eNum 3]",
                       "Check5(11..0) = 0 0 0 0 0 0 0 0 0 0 0 0", "Check6(0..2) = 0 0 0",
                       "log [-> Sendeleistung(Dämpfung) =0 dB, F=860 Mhz]",
                       "log [-> Device: Funk-Devices, Funktion=WärmepumpenController]", "end: closing"};

    QTest::newRow("measurement from a switching device, '.' locale")
        << Measurement << window(Point)
        << measurementLines("Temperatur 1:  21.5 °C Temperatur 2: -3.0 °C",
                            "-> Temperatur1:  21.5 °C,  Temperatur2: -3.0 °C, eNum=1");
    QTest::newRow("measurement code 106 from a thermostat, ',' locale")
        << QByteArray("FFAA 006A 1201 1CFFFE FFFE 0105 00 09 02 00D7 801E") << window(Comma)
        << measurementLines("Temperatur 1:  21,5 °C Temperatur 2: -3,0 °C",
                            "-> Messwert:  21,5 °C, Sollwert: -3,0 °C, eNum=1");
    QTest::newRow("switch acknowledgement 0x08: log only, buttons untouched")
        << SwitchAck << window()
        << QStringList{"log [-> Port geschaltet! Status:  Ch 1=0,  Ch 2=0,  Ch 3=0,  Ch 4=1]", "end: closing"};
    const QStringList weather = {"log [-> empfange Wetterdaten....]",
                                 "log [außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88]",
                                 "end: closing"};
    QTest::newRow("weather, '.' locale") << Weather << window(Point) << weather;
    QTest::newRow("weather keeps '.' under a ',' locale") << Weather << window(Comma) << weather;
    QTest::newRow("weather payload of 9 bytes: first line only, kept open")
        << Weather.left(Weather.size() - 2) << window()
        << QStringList{"log [-> empfange Wetterdaten....]", "end: kept open"};
    QTest::newRow("203: success line") << Acknowledged << window()
        << QStringList{"log [-> Programmierung erfolgreich. Boote neu........]", "end: closing"};
    QTest::newRow("240: new LAN parameters 0 to 17 become current")
        << AcknowledgedNewLan << window()
        << QStringList{"log [-> Programmierung erfolgreich! Device bootet neu....]",
                       "Text1(0..17) = 192 168 28 50 192 168 28 254 255 255 255 0 192 168 28 10 400 9",
                       "end: closing"};
    QTest::newRow("class 0, function 150: device line only")
        << QByteArray("FFAA 00C9 0C01 1CFFFE FFFE 0096 00") << window()
        << QStringList{"log [-> Device: Kabel-Devices, Funktion=Wetterstation]", "end: closing"};
    QTest::newRow("class 7, function 3: both texts empty")
        << QByteArray("FFAA 00C9 0C01 1CFFFE FFFE 0703 00") << window()
        << QStringList{"log [-> Device: , Funktion=]", "end: closing"};
    QTest::newRow("code 202 is not decodable")
        << QByteArray("FFAA 00CA 0C01 1CFFFE FFFE 0101 00") << window()
        << QStringList{DecodeError, "end: undecodable, closing"};
}

void TestReplyDecoder::replies()
{
    QFETCH(QByteArray, hex);
    QFETCH(ReplySnapshot, snapshot);
    QFETCH(QStringList, expected);
    QCOMPARE(decode(hex, snapshot), expected);
}

void TestReplyDecoder::details_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<ReplySnapshot>("snapshot");
    QTest::addColumn<QStringList>("prefixes");
    QTest::addColumn<QStringList>("expected");
    const QStringList logs = {"log"};

    QTest::newRow("port bytes C3 50 are port 50000")
        << LanHead + "010E 00 31303233 C0A81CD7 C0A81CFE FFFFFF00 C0A81C0A C350 25" << window()
        << QStringList{"log [-> connectet"}
        << QStringList{"log [-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP 192.168.28.10, Port 50000, eNum=1]"};
    QTest::newRow("LAN flags 0xDA: every other text")
        << LanHead + "0150 00 31303233 C0A81CD7 C0A81CFE FFFFFF00 C0A81C0A 0154 DA" << window()
        << QStringList{"Check1", "log [-> Parameter"}
        << QStringList{"Check1(0..7) = 0 1 0 1 1 0 1 1",
                       "log [-> Parameter: OutStateMem=0, InStateMem=1, SysTimeOut=0, AutoTxInChg=1, AutoTxRepeat=1, T-DiffRegler=0, supress HighPr. Port=1, M2M Comm=1]"};
    QTest::newRow("radio flags 0x1A: every other text")
        << RadioHead + "0201 00 A3 A352 32313037 1A 0C08" << window() << QStringList{"Check3", "log [-> Parameter"}
        << QStringList{"Check3(0..5) = 0 1 0 1 1 0",
                       "log [-> Parameter: OutStateMem=0, InStateMem=1, SystemTimeOut=0, AutoTxInChg=1, AutoTxRepeat=1, T-DiffRegler=0]"};
    QTest::newRow("radio flags 0xC0: bits 6 and 7 leave no trace")
        << RadioHead + "0250 00 A3 A352 32313037 C0 0C08" << window() << QStringList{"Check3", "Check4", "log [-> Parameter"}
        << QStringList{"Check3(0..5) = 0 0 0 0 0 0",
                       "log [-> Parameter: OutStateMem=0, InStateMem=0, SystemTimeOut=0, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=0]",
                       "Check4(0..5) = 0 0 0 0 0 0"};
    QTest::newRow("T-Diff bytes 255 and 0 give 25.5 and 0.0")
        << RadioHead + "02FA 00 A3 A352 32313037 20 FF00" << window(Point) << QStringList{"Text3(4", "log [-> T-Diff"}
        << QStringList{"Text3(4..5) = 25.5 0.0", "log [-> T-Diff EIN=25.5°C, T-Diff AUS=0.0°C]"};
    QTest::newRow("T-Diff bytes 255 and 0, ',' locale")
        << RadioHead + "02FA 00 A3 A352 32313037 20 FF00" << window(Comma) << QStringList{"Text3(4", "log [-> T-Diff"}
        << QStringList{"Text3(4..5) = 25,5 0,0", "log [-> T-Diff EIN=25,5°C, T-Diff AUS=0,0°C]"};
    QTest::newRow("reply address 2.33: only the log shows it, the new address is the current one")
        << QByteArray("FFAA 00C9 1603 1CFFFE 0221 0205 00 A3 A352 32313037 25 0C08") << window()
        << QStringList{"log [-> Deviceadresse", "Text3", "Text5"}
        << QStringList{"Text3(3) = 3", "log [-> Deviceadresse 2.33, eNum 3]", "Text3(4..5) = 1.2 0.8",
                       "Text5(0..5) = 28 1 22 3 1.2 0.8"};
    QTest::newRow("frequency word FFFF: all twelve boxes, F=880.475 MHz")
        << RadioHead + "020E 00 A7 FFFF" << window(Point) << QStringList{"Check5", "log [-> Sendeleistung"}
        << QStringList{"Check5(11..0) = 1 1 1 1 1 1 1 1 1 1 1 1", "log [-> Sendeleistung(Dämpfung) =21 dB, F=880.475 MHz]"};
    QTest::newRow("frequency word 1000 clears a shown code: F=860 MHz")
        << RadioHead + "020E 00 A0 1000" << window(Point, 0x352) << QStringList{"log [-> Sendeleistung"}
        << QStringList{"log [-> Sendeleistung(Dämpfung) =0 dB, F=860 MHz]"};
    const QList<std::pair<QByteArray, QString>> txPower = {
        {"A0", "0 0 0] 0"}, {"A1", "1 0 0] 3"}, {"A2", "0 1 0] 6"},  {"A3", "1 1 0] 9"}, {"A4", "0 0 1] 12"},
        {"A5", "1 0 1] 15"}, {"A6", "0 1 1] 18"}, {"A7", "1 1 1] 21"}, {"5F", "1 1 1] 21"}, {"F8", "0 0 0] 0"}};
    for (const auto &[byte, boxesAndDb] : txPower) {
        const QStringList parts = boxesAndDb.split("] ");
        QTest::addRow("transmit-power byte %s", byte.constData())
            << RadioHead + "020E 00" + byte + "A352" << window() << QStringList{"Check6", "log [-> Sendeleistung"}
            << QStringList{"Check6(0..2) = " + parts[0], "log [-> Sendeleistung(Dämpfung) =" + parts[1] + " dB, F=864.25 MHz]"};
    }

    const QList<std::pair<int, QString>> functions = {
        {0, "ohne Zuordnung"}, {1, "Schalt-Devices"}, {5, "Thermostat"}, {14, "WärmepumpenController"},
        {80, "Solartracker"}, {100, "Fernbedienung"}, {150, "Wetterstation"}, {200, "Datenanzeige"},
        {249, "TimeServer"}, {250, "ControlServer"}, {254, "Gateway (Funk/Lan)"}, {255, "PC Software"},
        {2, ""}, {253, ""}};
    for (const auto &[function, text] : functions)
        QTest::addRow("function %d", function)
            << "FFAA 00C9 0C01 1CFFFE FFFE 00" + QByteArray::number(function, 16).rightJustified(2, '0') + "00"
            << window() << logs << QStringList{"log [-> Device: Kabel-Devices, Funktion=" + text + "]"};
    QTest::newRow("class 255 has no text") << QByteArray("FFAA 00C9 0C01 1CFFFE FFFE FF01 00") << window() << logs
                                           << QStringList{"log [-> Device: , Funktion=Schalt-Devices]"};

    const QByteArray measurementHead = "FFAA 00CE 1201 1CFFFE FFFE 0101 00";
    const auto temperatures = [&](const char *name, const QByteArray &bytes, const QString &line) {
        QTest::newRow(name) << measurementHead + bytes << window(Point) << QStringList{"Port1", "log [-> Temp"}
                            << QStringList{"Port1(0..3) = off off off off", "log [-> Temperatur1: " + line + ", eNum=1]"};
    };
    temperatures("output byte F0: all off; 0000 and 8000 are plus and minus zero", "F0 00 0000 8000",
                 " 0.0 °C,  Temperatur2: -0.0 °C");
    temperatures("7FFF and FFFF are the extremes, no grouping", "00 00 7FFF FFFF",
                 " 3276.7 °C,  Temperatur2: -3276.7 °C");

    const QByteArray weatherHead = "FFAA 00BF 1601 1CFFFE FFFE 0196 00";
    QTest::newRow("weather 0 and 120 is 12 in its shortest form")
        << weatherHead + "03 11 000C 000000 0078 58" << window(Comma) << logs
        << QStringList{"log [-> empfange Wetterdaten....]",
                       "log [außen= 12 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88]"};
    QTest::newRow("weather extremes: minus zero, largest rain and temperature")
        << weatherHead + "FF FF FFFF 000000 8000 FF" << window() << logs
        << QStringList{"log [-> empfange Wetterdaten....]",
                       "log [außen= -0 °C, Regen=6553.5 Lt/m², Wind akt.=255 Km/h, Wind max=255 Km/h, Licht=255]"};
}

void TestReplyDecoder::details()
{
    QFETCH(QByteArray, hex);
    QFETCH(ReplySnapshot, snapshot);
    QFETCH(QStringList, prefixes);
    QFETCH(QStringList, expected);
    QCOMPARE(only(decode(hex, snapshot), prefixes), expected);
}

void TestReplyDecoder::truncated_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<int>("bodyLength");
    QTest::addColumn<QStringList>("expected");
    const QString end = "end: undecodable, closing";

    QTest::newRow("LAN ends in the firmware: places left empty, no fields")
        << LanReply << 14 << QStringList{"log [-> Firmware 1.0..]", DecodeError, end};
    QTest::newRow("LAN ends after byte 28: gateway fields, no connection line")
        << LanReply << 28 << QStringList{LanFirstLines[0], LanFirstLines[1], DecodeError, end};
    QTest::newRow("LAN ends after byte 30: the two destination octets that arrived")
        << LanReply << 30 << QStringList{LanFirstLines[0], LanFirstLines[1], "Text1(12..13) = 192 168", DecodeError, end};
    QTest::newRow("LAN ends before its flag byte") << LanReply << 34 << LanFirstLines + QStringList{DecodeError, end};
    QTest::newRow("radio ends before the low frequency byte")
        << RadioThermostat << 14
        << QStringList{"log [-> Firmware ...]", "Text3(3) = 3", "log [-> Deviceadresse 1.22, eNum 3]", DecodeError, end};
    QTest::newRow("radio ends before T-Diff on")
        << RadioThermostat << 20
        << RadioFirstLines + QStringList{"log [-> Sendeleistung(Dämpfung) =9 dB, F=864.25 MHz]"}
            + radioFlagLines("", "").mid(0, 2) + QStringList{DecodeError, end};
    QTest::newRow("class byte missing") << LanReply << 9 << QStringList{DecodeError, end};
    QTest::newRow("class 0 without its function byte") << QByteArray("FFAA 00C9 0C01 1CFFFE FFFE 0096 00") << 10
                                                       << QStringList{DecodeError, end};
    QTest::newRow("measurement ends at 12: UpdatingPorts never raised")
        << Measurement << 12 << QStringList{DecodeError, end};
    QTest::newRow("measurement ends after the output byte")
        << Measurement << 13 << measurementLines("", "").mid(0, 4) + QStringList{DecodeError, end};
    QTest::newRow("measurement ends in temperature 2: no caption")
        << Measurement << 17 << measurementLines("", "").mid(0, 6) + QStringList{DecodeError, end};
    QTest::newRow("switch acknowledgement without its byte") << SwitchAck << 12 << QStringList{DecodeError, end};
    QTest::newRow("one byte of body has no code") << SwitchAck << 1 << QStringList{DecodeError, end};
    QTest::newRow("a single byte arrived: no body at all") << SwitchAck << -1 << QStringList{DecodeError, end};
}

void TestReplyDecoder::truncated()
{
    QFETCH(QByteArray, hex);
    QFETCH(int, bodyLength);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(DecodeReply(QByteArray::fromHex(hex).left(2 + bodyLength), window())), expected);
}

// For every reply cut at every length: decoding reads only what arrived (the
// cut lies in a buffer of exactly that size), the effects are those of the whole
// reply up to the break, then the decode-error line, and UpdatingPorts ends false.
void TestReplyDecoder::everyCutIsAPrefixThenTheError()
{
    const QList<QByteArray> replies = {LanReply, RadioThermostat, Measurement, SwitchAck, Weather, Acknowledged,
                                       AcknowledgedNewLan};
    for (const QByteArray &hex : replies) {
        const QByteArray reply = QByteArray::fromHex(hex);
        const DecodedReply full = DecodeReply(reply, window());
        QCOMPARE(full.end, ReplyEnd::Decoded);
        for (qsizetype cut = 0; cut <= reply.size(); ++cut) {
            const auto exact = std::make_unique<char[]>(std::size_t(cut) + 1);
            std::copy_n(reply.constData(), cut, exact.get());
            const DecodedReply part = DecodeReply(QByteArrayView(exact.get(), cut), window());
            const QByteArray what = hex + " cut at " + QByteArray::number(cut);
            bool updatingPorts = false;
            for (const ReplyEffect &effect : part.effects) {
                if (auto e = std::get_if<SetUpdatingPorts>(&effect))
                    updatingPorts = e->value;
            }
            QVERIFY2(!updatingPorts, what);
            if (cut == 0) {
                QCOMPARE(part.end, ReplyEnd::NoData);
                continue;
            }
            if (part.end == ReplyEnd::Decoded) {
                QVERIFY2(part.effects == full.effects, what);
                continue;
            }
            const bool shortWeather = part.end == ReplyEnd::KeptOpen;
            QVERIFY2(shortWeather || part.end == ReplyEnd::Undecodable, what);
            const qsizetype kept = part.effects.size() - (shortWeather ? 0 : 1);
            QVERIFY2(kept <= full.effects.size(), what);
            if (!shortWeather)
                QVERIFY2(part.effects.last() == ReplyEffect(WriteLog{"-> Error: kann Daten nicht dekodieren!!"}), what);
            for (qsizetype i = 0; i < kept; ++i) {
                // A firmware line with missing characters is the only line that differs from the whole.
                const auto *line = std::get_if<WriteLog>(&part.effects[i]);
                if (line && line->text.startsWith("-> Firmware "))
                    continue;
                QVERIFY2(part.effects[i] == full.effects[i], what + " effect " + QByteArray::number(i));
            }
        }
    }
}

void TestReplyDecoder::onlyTheFirst45BytesAreDecoded()
{
    // A LAN reply of 37 bytes, then 23 bytes of a second reply in the same delivery.
    const QByteArray sixty = QByteArray::fromHex(LanReply + Measurement + "000000");
    QCOMPARE(sixty.size(), 60);
    const DecodedReply decoded = DecodeReply(sixty, window());
    QCOMPARE(decoded.rxBuffer, sixty.mid(2, 43));
    QCOMPARE(decoded.effects, DecodeReply(QByteArray::fromHex(LanReply), window()).effects);
    QCOMPARE(decoded.end, ReplyEnd::Decoded);
}

void TestReplyDecoder::nothingReadable_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QStringList>("expected");
    const QStringList noData = {"log [-> Error: keine Daten !]", "end: no data"};
    QTest::newRow("nothing") << QByteArray() << noData;
    QTest::newRow("one blank") << QByteArray("20") << noData;
    QTest::newRow("fifty blanks") << QByteArray(50, 'x').replace("x", "20") << noData;
    QTest::newRow("a tab is not a blank") << QByteArray("09") << QStringList{DecodeError, "end: undecodable, closing"};
    QTest::newRow("blanks around a byte") << QByteArray("20 41 20") << QStringList{DecodeError, "end: undecodable, closing"};
}

void TestReplyDecoder::nothingReadable()
{
    QFETCH(QByteArray, hex);
    QFETCH(QStringList, expected);
    QCOMPARE(NothingReadable(QByteArray::fromHex(hex)), expected.last() == "end: no data");
    QCOMPARE(decode(hex, window()), expected);
}

// Whatever arrives, decoding ends in one of its ways, the decode-error line
// only as the last effect of an undecodable reply, and UpdatingPorts false.
void TestReplyDecoder::arbitraryBytesAlwaysEndCleanly()
{
    const quint8 codes[] = {201, 203, 240, 106, 206, 3, 191, 0, 255};
    QRandomGenerator random(20240611);
    for (int round = 0; round < 5000; ++round) {
        const int size = random.bounded(61);
        const auto bytes = std::make_unique<char[]>(std::size_t(size) + 1);
        for (int i = 0; i < size; ++i)
            bytes[std::size_t(i)] = char(random.bounded(256));
        if (size > 3)
            bytes[3] = char(codes[random.bounded(int(std::size(codes)))]);
        if (size > 11)
            bytes[11] = char(random.bounded(4)); // the device classes and one unknown
        const DecodedReply reply = DecodeReply(QByteArrayView(bytes.get(), size), window());
        const ReplyEffect error = WriteLog{"-> Error: kann Daten nicht dekodieren!!"};
        QCOMPARE(reply.effects.count(error), reply.end == ReplyEnd::Undecodable ? 1 : 0);
        if (reply.end == ReplyEnd::Undecodable)
            QCOMPARE(reply.effects.last(), error);
        QVERIFY(reply.rxBuffer.size() <= 43);
        bool updatingPorts = false;
        for (const ReplyEffect &effect : reply.effects) {
            if (auto e = std::get_if<SetUpdatingPorts>(&effect))
                updatingPorts = e->value;
        }
        QVERIFY(!updatingPorts);
    }
}

TESSRA_TEST(TestReplyDecoder)
#include "tst_ReplyDecoder.moc"
