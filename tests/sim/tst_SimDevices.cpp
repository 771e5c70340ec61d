// The simulated devices' answers and state: every reply byte-exact and as the
// tool's decoder reads it, programming, switching, AutoSend, bad input.

#include "TestMain.h"
#include "DeviceBehaviour.h"
#include "FrameReader.h"
#include "InstallationConfig.h"
#include "SimInstallation.h"

#include "replies/ReplyDecoder.h"

#include <QTest>

namespace {

// The LAN adapter and radio devices of the tool's own examples, so that the
// decoder's lines can be checked against the texts a technician knows.
const QByteArray Installation = R"({
  "timing": {},
  "devices": [
    {"type": "lanAdapter", "eNum": 1, "firmware": "1023", "gateway": "192.168.28.254",
     "subnetMask": "255.255.255.0", "flags": 37, "outputs": 9, "inputs": 2,
     "temperature1": 21.5, "temperature2": -3.0},
    {"type": "gateway", "eNum": 2, "radioDevices": [
      {"type": "thermostat", "address": "28/1/22", "eNum": 3, "firmware": "2107", "frequencyCode": 850,
       "txPowerCode": 3, "flags": 37, "tDiffOn": 1.2, "tDiffOff": 0.8, "outputs": 9, "inputs": 2,
       "temperature": 21.5, "setPoint": -3.0},
      {"type": "switching", "address": "28/1/40", "eNum": 4},
      {"type": "weatherStation", "address": "28/1/30", "eNum": 5, "wind": 3, "windMax": 17, "rain": 1.2,
       "outside": -2.5, "light": 88}]}]})";

constexpr int Lan = 0;
constexpr int Gateway = 1;

SimInstallation installation()
{
    QStringList errors;
    InstallationConfig config = InstallationConfig::fromJson(Installation, errors);
    QString error;
    if (!errors.isEmpty() || !config.place({192, 168, 28, 215}, 340, Ipv4{192, 168, 28, 10}, error))
        qFatal("test installation: %s", qPrintable(errors.join(' ') + error));
    return SimInstallation(config.nodes, config.timing);
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The log lines the tool writes for a reply.
QStringList decoded(const QByteArray &reply)
{
    ReplySnapshot window;
    window.locale = QLocale::c();
    QStringList lines;
    for (const ReplyEffect &effect : ReplyDecoder::DecodeReply(reply, window).effects) {
        if (auto line = std::get_if<ReplyEffects::WriteLog>(&effect))
            lines << line->text;
    }
    return lines;
}

const QStringList LanMeasurementLines = {"-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON",
                                         "-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=OFF, Kanal 4=OFF",
                                         "-> Temperatur1:  21.5 °C,  Temperatur2: -3.0 °C, eNum=1"};

} // namespace

class TestSimDevices : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void programmingMovesTheLanAdapter();
    void programmingReaddressesTheRadioDevice();
    void switching_data();
    void switching();
    void autoSendReportsChangedInputs();
    void badInputIsIgnored_data();
    void badInputIsIgnored();
    void streamIsCutIntoFrames_data();
    void streamIsCutIntoFrames();
    void thermostatRegulatesWithinItsThresholds();
};

void TestSimDevices::answers_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("relayed");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("LAN adapter sends its parameters")
        << Lan << hex("FFAA00C80C011CFFFEFFFE0101ED") << false
        << hex("FFAA00C923011CFFFE00000101B031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425")
        << QStringList{"-> Firmware 1.0.2.3",
                       "-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, "
                       "StdDest-IP 192.168.28.10, Port 340, eNum=1",
                       "-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, "
                       "T-DiffRegler=1, supress HighPr. Port=0, M2M Comm=0",
                       "-> Device: LAN-Devices, Funktion=Schalt-Devices"};
    QTest::newRow("radio thermostat sends its parameters through the gateway")
        << Gateway << hex("FFAA00C80C031C0116FFFE02010A") << true
        << hex("FFAA00C916031CFFFE01160205B4A3A35232313037250C08")
        << QStringList{"-> Firmware 2.1.0.7", "-> Deviceadresse 1.22, eNum 3",
                       "-> Sendeleistung(Dämpfung) =9 dB, F=864.25 MHz",
                       "-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, "
                       "AutoTxRepeat=0, T-DiffRegler=1",
                       "-> T-Diff EIN=1.2°C, T-Diff AUS=0.8°C", "-> Device: Funk-Devices, Funktion=Thermostat"};
    QTest::newRow("LAN adapter measures, temperatures in sign and magnitude")
        << Lan << hex("FFAA00CE0C011CFFFEFFFE0101F3") << false << hex("FFAA00CE12011CFFFE000001017C090200D7801E")
        << LanMeasurementLines;
    QTest::newRow("thermostat measures as function 5 with its set point")
        << Gateway << hex("FFAA00CE0C031C0116FFFE020110") << true
        << hex("FFAA00CE12031CFFFE011602059A090200D7801E")
        << QStringList{LanMeasurementLines[0], LanMeasurementLines[1],
                       "-> Messwert:  21.5 °C, Sollwert: -3.0 °C, eNum=3"};
    QTest::newRow("weather station measures with its weather data")
        << Gateway << hex("FFAA00CE0C051C011EFFFE02011A") << true
        << hex("FFAA00BF16051CFFFE011E0296BB0311000C000000801958")
        << QStringList{"-> empfange Wetterdaten....",
                       "außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88"};
    QTest::newRow("switching channel 2 on answers with the output byte")
        << Lan << hex("FFAA00030D011CFFFEFFFE01014B22") << false << hex("FFAA00030D011CFFFE00000101370B")
        << QStringList{"-> Port geschaltet! Status:  Ch 1=1,  Ch 2=1,  Ch 3=0,  Ch 4=1"};
}

void TestSimDevices::answers()
{
    QFETCH(int, node);
    QFETCH(QByteArray, request);
    QFETCH(bool, relayed);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, lines);
    SimInstallation sim = installation();
    const SimInstallation::Handling handling = sim.receive(node, request);
    QVERIFY2(!handling.ignored, qPrintable(handling.note));
    QCOMPARE(handling.relayed, relayed);
    QCOMPARE(handling.reply.toHex().toUpper(), reply.toHex().toUpper());
    QCOMPARE(decoded(handling.reply), lines);
}

void TestSimDevices::programmingMovesTheLanAdapter()
{
    SimInstallation sim = installation();
    // New address 192.168.28.50, port 400, eNum 7 in the header, flags 0xA5, T-Diff 1.5 and 1.2.
    const SimInstallation::Handling programmed = sim.receive(
        Lan, hex("FFAA00CA21071CFFFEFFFE01011FC0A81C32C0A81CFEFFFFFF00C0A81C0B0190A50F0C"));
    QCOMPARE(programmed.reply.toHex().toUpper(), QByteArray("FFAA00F00C071CFFFE000001011E"));
    QVERIFY(programmed.moved);
    QCOMPARE(decoded(programmed.reply), QStringList{"-> Programmierung erfolgreich! Device bootet neu...."});
    const LanAdapter &lan = sim.nodes()[Lan].lan;
    QCOMPARE(ipv4Text(lan.address), QString("192.168.28.50"));
    QCOMPARE(lan.port, 400);
    QCOMPARE(ipv4Text(lan.standardDestination), QString("192.168.28.11"));
    QCOMPARE(lan.eNum, 7);
    QCOMPARE(lan.flags, 0xA5);
    QCOMPARE(lan.tDiffOn, 15);
    QCOMPARE(lan.tDiffOff, 12);
    // The parameter reply tells the new values (the request carries the new eNum).
    const QByteArray parameters = sim.receive(Lan, hex("FFAA00C80C071CFFFEFFFE0101F3")).reply;
    QCOMPARE(decoded(parameters).mid(1, 1),
             QStringList{"-> connectet: LAN 192.168.28.50,  GateWay 192.168.28.254, NwMask 255.255.255.0, "
                         "StdDest-IP 192.168.28.11, Port 400, eNum=7"});
}

void TestSimDevices::programmingReaddressesTheRadioDevice()
{
    SimInstallation sim = installation();
    // 28/1/22 becomes 28/1/23, power code 5, frequency code 0x123, flags 0x21, T-Diff 1.0 and 0.5.
    const SimInstallation::Handling programmed =
        sim.receive(Gateway, hex("FFAA00CA15031C0116FFFE0201E21C0117A5A123210A05"));
    QVERIFY(programmed.relayed);
    QCOMPARE(programmed.reply.toHex().toUpper(), QByteArray("FFAA00CB0C031CFFFE0117020512"));
    QCOMPARE(decoded(programmed.reply), QStringList{"-> Programmierung erfolgreich. Boote neu........"});
    QCOMPARE(sim.receive(Gateway, hex("FFAA00C80C031C0116FFFE02010A")).note,
             QString("no radio device has the address 28/1/22"));
    QCOMPARE(sim.receive(Gateway, hex("FFAA00C80C031C0117FFFE02010B")).reply.toHex().toUpper(),
             QByteArray("FFAA00C916031CFFFE011702057DA5A12332313037210A05"));
}

void TestSimDevices::switching_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("outputs");
    // Outputs 1 and 4 are on before.
    QTest::newRow("0x22 switches channel 2 on") << hex("FFAA00030D011CFFFEFFFE01014B22") << 0x0B;
    QTest::newRow("0x80 switches channel 4 off") << hex("FFAA00030D011CFFFEFFFE0101A980") << 0x01;
    QTest::newRow("0xF0 switches all off") << hex("FFAA00030D011CFFFEFFFE010119F0") << 0x00;
    QTest::newRow("0x0F addresses no channel") << hex("FFAA00030D011CFFFEFFFE0101380F") << 0x09;
}

void TestSimDevices::switching()
{
    QFETCH(QByteArray, request);
    QFETCH(int, outputs);
    SimInstallation sim = installation();
    const SimInstallation::Handling handling = sim.receive(Lan, request);
    QCOMPARE(sim.nodes()[Lan].lan.channels.outputs, outputs);
    QCOMPARE(handling.reply.right(1), QByteArray(1, char(outputs)));
}

void TestSimDevices::autoSendReportsChangedInputs()
{
    SimInstallation sim = installation();
    QVERIFY(sim.runCommand("input 192.168.28.215 3 on").outgoing.isEmpty());
    QVERIFY(sim.runCommand("input 192.168.28.215 3 off").outgoing.isEmpty());
    // AutoSend for input 3: no reply on the connection.
    const SimInstallation::Handling asked = sim.receive(Lan, hex("FFAA00CF0D011CFFFEFFFE01013540"));
    QVERIFY(!asked.ignored);
    QVERIFY(asked.reply.isEmpty());
    QCOMPARE(asked.note, QString("AutoSend on for input 3"));
    QVERIFY(sim.runCommand("input 192.168.28.215 1 on").outgoing.isEmpty());
    const SimInstallation::CommandResult changed = sim.runCommand("input 192.168.28.215 3 on");
    QCOMPARE(changed.outgoing.size(), 1);
    QCOMPARE(ipv4Text(changed.outgoing[0].destination), QString("192.168.28.10"));
    QCOMPARE(changed.outgoing[0].port, 340);
    QCOMPARE(changed.outgoing[0].frame.toHex().toUpper(), QByteArray("FFAA006A12011CFFFE000001011D090700D7801E"));
    QCOMPARE(decoded(changed.outgoing[0].frame)[1],
             QString("-> InPort: Kanal 1=ON, Kanal 2=ON, Kanal 3=ON, Kanal 4=OFF"));
    // Setting it to what it is changes nothing and reports nothing.
    QVERIFY(sim.runCommand("input 192.168.28.215 3 on").outgoing.isEmpty());

    // A radio device reports through its gateway's destination; scheduled changes count as well.
    QVERIFY(sim.receive(Gateway, hex("FFAA00CF0D031C0116FFFE02012210")).relayed);
    QVERIFY(sim.changeScheduledInputs().isEmpty()); // no input changes on a schedule yet
    QCOMPARE(sim.runCommand("input 28/1/22 1 on").outgoing[0].frame.toHex().toUpper(),
             QByteArray("FFAA006A12031CFFFE0116020537090300D7801E"));
}

void TestSimDevices::badInputIsIgnored_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("note");
    QTest::newRow("wrong checksum") << Lan << hex("FFAA00C80C011CFFFEFFFE0101EE")
                                    << "wrong checksum EE, the body sums to ED";
    QTest::newRow("length byte and bytes disagree") << Lan << hex("FFAA00C80D011CFFFEFFFE0101EE")
                                                    << "length byte 13, but 12 body bytes";
    QTest::newRow("unknown command 201") << Lan << hex("FFAA00C90C011CFFFEFFFE0101EE") << "unknown command";
    QTest::newRow("switching without its byte") << Lan << hex("FFAA00030C011CFFFEFFFE010128")
                                                 << "command 3 needs 1 payload bytes, 0 came";
    QTest::newRow("LAN programming cut short") << Lan << hex("FFAA00CA10011CFFFEFFFE0101A9C0A81C32")
                                               << "command 202 needs 21 payload bytes, 4 came";
    QTest::newRow("LAN programming to port 0")
        << Lan << hex("FFAA00CA21071CFFFEFFFE01018EC0A81C32C0A81CFEFFFFFF00C0A81C0B0000A50F0C") << "refused port 0";
    QTest::newRow("LAN programming to address 0.0.0.0")
        << Lan << hex("FFAA00CA21071CFFFEFFFE01016900000000C0A81CFEFFFFFF00C0A81C0B0190A50F0C")
        << "refused the new address 0.0.0.0: no device can take it";
    QTest::newRow("device class 0") << Lan << hex("FFAA00C80C011CFFFEFFFE0001EC")
                                    << "device class 0 is neither LAN (1) nor radio (2)";
    QTest::newRow("radio frame at a LAN adapter") << Lan << hex("FFAA00C80C031C0116FFFE02010A")
                                                  << "a LAN adapter relays nothing by radio";
    QTest::newRow("radio address nobody has") << Gateway << hex("FFAA00C80C031C0163FFFE020157")
                                              << "no radio device has the address 28/1/99";
    QTest::newRow("radio programming to a taken address")
        << Gateway << hex("FFAA00CA15031C0116FFFE0201F31C0128A5A123210A05")
        << "refused: the switching device already has the address 28/1/40";
    QTest::newRow("AutoSend at the weather station") << Gateway << hex("FFAA00CF0D051C011EFFFE02012C10")
                                                     << "weather station: a weather station has no inputs";
}

void TestSimDevices::badInputIsIgnored()
{
    QFETCH(int, node);
    QFETCH(QByteArray, request);
    QFETCH(QString, note);
    SimInstallation sim = installation();
    const QList<SimNode> before = sim.nodes();
    const SimInstallation::Handling handling = sim.receive(node, request);
    QVERIFY(handling.ignored);
    QCOMPARE(handling.note, note);
    QVERIFY(handling.reply.isEmpty());
    QVERIFY(!handling.relayed);
    QVERIFY(sim.nodes() == before);
}

void TestSimDevices::streamIsCutIntoFrames_data()
{
    QTest::addColumn<QByteArrayList>("segments");
    QTest::addColumn<QStringList>("pieces"); // hex, or "fault: hex"
    const QByteArray request = "FFAA00C80C011CFFFEFFFE0101ED";
    QTest::newRow("one frame split in three")
        << QByteArrayList{hex("FFAA00"), hex("C80C011CFF"), hex("FEFFFE0101ED")} << QStringList{request};
    QTest::newRow("two frames in one segment") << QByteArrayList{hex(request + request)}
                                               << QStringList{request, request};
    QTest::newRow("garbage before a frame is cut off")
        << QByteArrayList{hex("0102FF03" + request)} << QStringList{"no preamble FF AA: 0102FF03", request};
    QTest::newRow("length byte beyond 37 skips to the next preamble")
        << QByteArrayList{hex("FFAA00C826" + request)}
        << QStringList{"length byte 38 outside 12 to 37: FFAA00C826", request};
    QTest::newRow("a frame the connection ends in the middle of")
        << QByteArrayList{hex("FFAA00C80C01")} << QStringList{"incomplete frame, the connection ended: FFAA00C80C01"};
}

void TestSimDevices::streamIsCutIntoFrames()
{
    QFETCH(QByteArrayList, segments);
    QFETCH(QStringList, pieces);
    FrameReader reader;
    QList<FrameReader::Piece> got;
    for (const QByteArray &segment : segments)
        got << reader.append(segment);
    got << reader.finish();
    QStringList described;
    for (const FrameReader::Piece &piece : got)
        described << (piece.fault.isEmpty() ? QString() : piece.fault + ": ") + piece.bytes.toHex().toUpper();
    QCOMPARE(described, pieces);
}

void TestSimDevices::thermostatRegulatesWithinItsThresholds()
{
    RadioDevice thermostat;
    thermostat.kind = RadioKind::Thermostat;
    thermostat.flags = 0x20; // T-Diff regulator on
    thermostat.setPoint = 210;
    thermostat.tDiffOn = 5;
    thermostat.tDiffOff = 3;
    thermostat.temperature.tenths = 210;
    int lowest = 210;
    int highest = 210;
    int heatingSwitches = 0;
    for (int step = 0; step < 40; ++step) {
        const bool wasHeating = thermostat.channels.outputs & 1;
        DeviceBehaviour::drift(thermostat);
        heatingSwitches += wasHeating != bool(thermostat.channels.outputs & 1);
        lowest = std::min(lowest, thermostat.temperature.tenths);
        highest = std::max(highest, thermostat.temperature.tenths);
    }
    QCOMPARE(lowest, 205);
    QCOMPARE(highest, 213);
    QVERIFY(heatingSwitches >= 4);
    // Without the regulator the heating stays as it is.
    thermostat.flags = 0;
    const quint8 outputs = thermostat.channels.outputs;
    DeviceBehaviour::drift(thermostat);
    QCOMPARE(thermostat.channels.outputs, outputs);
}

TESSRA_TEST(TestSimDevices)
#include "tst_SimDevices.moc"
