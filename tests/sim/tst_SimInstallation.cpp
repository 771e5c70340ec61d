// The installation of tessra-sim: how it starts from its options and file, and what its devices make of the bytes they
// receive and of the technician's commands, without sockets.

#include "TestMain.h"
#include "DeviceBehaviour.h"
#include "FrameReader.h"
#include "InstallationConfig.h"
#include "SimInstallation.h"
#include "SimOptions.h"

#include <QFile>

namespace {

constexpr int Lan = 0; // 192.168.28.215, firmware 1023, flags 0x25, outputs 1 and 4 on, input 2 on
constexpr int Gateway = 1; // switching device 28/1/22, thermostat 28/1/23, weather station 28/1/30

SimInstallation installation()
{
    QFile file(EXAMPLE_INSTALLATION);
    QStringList errors;
    InstallationConfig config = InstallationConfig::fromJson(file.open(QFile::ReadOnly) ? file.readAll() : "", errors);
    QString error;
    if (!errors.isEmpty() || !config.place({192, 168, 28, 215}, 340, Ipv4{192, 168, 28, 10}, error))
        qFatal("example installation: %s", qPrintable(errors.join(' ') + error));
    return SimInstallation(config.nodes, config.timing);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace

class TestSimInstallation : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("file"); // the installation file; none: the example installation
        QTest::addColumn<QString>("printed"); // the adapter and gateway it lists first, or the mistakes it stops with
        QTest::newRow("nothing: the example installation from 127.0.0.2")
            << "" << "" << "LAN adapter eNum 1 on 127.0.0.2 port 5000, standard destination 127.0.0.1\n"
                           "gateway eNum 2 on 127.0.0.3 port 5000, standard destination 127.0.0.1";
        QTest::newRow("address, port and destination; the next address carries into the third octet")
            << "--address 10.0.0.255 --port 340 --destination 10.73.92.200" << ""
            << "LAN adapter eNum 1 on 10.0.0.255 port 340, standard destination 10.73.92.200\n"
               "gateway eNum 2 on 10.0.1.0 port 340, standard destination 10.73.92.200";
        // Mistakes in the file are named with their place.
        QTest::newRow("gateway and radio device mistakes, a misspelt setting")
            << "" << R"({"devices": [{"type": "gateway", "enum": 1, "gateway": "192.168.28", "radioDevices": [
                   {"type": "switching", "address": "28/1/22", "frequencyCode": 4096, "firmware": "12"},
                   {"type": "lamp", "address": "28/1/22", "tDiffOn": 25.6}]}]})"
            << "devices[0].gateway: an IPv4 address such as \"192.168.28.1\"\n"
               "devices[0].radioDevices[0].firmware: four characters, such as \"1023\"\n"
               "devices[0].radioDevices[0].frequencyCode: a whole number from 0 to 4095\n"
               "devices[0].radioDevices[1].type: \"switching\", \"thermostat\" or \"weatherStation\"\n"
               "devices[0].radioDevices[1].tDiffOn: a number from 0 to 25.5\n"
               "devices[0].radioDevices[1]: the address is taken by radioDevices[0]\n"
               "devices[0].enum: unknown setting";
    }

    // As main() starts: the options, then the installation file, placed as they say.
    void startUp()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, file);
        QFETCH(QString, printed);
        QString out, help; // what it prints
        const SimOptions options = SimOptions::parse(("sim " + arguments).split(' ', Qt::SkipEmptyParts), out, help);
        QFile given(options.configPath.isEmpty() ? QString(EXAMPLE_INSTALLATION) : options.configPath);
        const QByteArray json = file.isEmpty() && given.open(QFile::ReadOnly) ? given.readAll() : file.toUtf8();
        QStringList errors;
        InstallationConfig config = InstallationConfig::fromJson(json, errors);
        if (!errors.isEmpty())
            out = errors.join('\n');
        else if (out.isEmpty()
                 && config.place(options.address, options.port.value_or(config.port), options.destination, out))
            out = SimInstallation(config.nodes, config.timing).describe().mid(0, 2).join('\n');
        QCOMPARE(out, printed);
    }

    // What a device makes of the bytes on a connection, cut as the server cuts them: what it notes of each piece and
    // its reply in hex; what it ignores changes nothing.
    void connection_data()
    {
        QTest::addColumn<int>("node"); // every frame the gateway answers here is for a radio device
        QTest::addColumn<QString>("bytes"); // hex, "|" where the network split them
        QTest::addColumn<QString>("log"); // empty: the row's name
        // Firmware 1023, 192.168.28.215, gateway .254, mask 255.255.255.0, destination .10, port 340, flags 25.
        QTest::newRow("LAN adapter's parameters, the request split in three") << Lan << "FFAA00|C80C011CFF|FEFFFE0101ED"
            << "parameters\nFFAA00C923011CFFFE00000101B031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425";
        // Transmit power A3, frequency word A352, firmware 2107, flags 25, T-Diff 1.2 / 0.8, eNum 123.
        QTest::newRow("radio switching device sends its parameters") << Gateway << "FFAA00C80C031C0116FFFE02010A"
            << "switching device: parameters\nFFAA00C9167B1CFFFE0116020128A3A35232313037250C08";
        QTest::newRow("LAN adapter measures") << Lan << "FFAA00CE0C011CFFFEFFFE0101F3"
            << "measurement values\nFFAA00CE12011CFFFE000001019C090200D700BE";
        QTest::newRow("thermostat measures, with its set point") << Gateway << "FFAA00CE0C031C0117FFFE020111"
            << "thermostat: measurement values\nFFAA00CE127C1CFFFE011702052C000000C600D2";
        QTest::newRow("weather data, -2.5 °C in sign and magnitude") << Gateway << "FFAA00CE0C051C011EFFFE02011A"
            << "weather station: weather data\nFFAA00BF167D1CFFFE011E0296330311000C000000801958";
        QTest::newRow("0xA2 switches channel 2 on and 4 off, 1 stays on") << Lan << "FFAA00030D011CFFFEFFFE0101CBA2"
            << "output 2 on, output 4 off\nFFAA00030D011CFFFE000001012F03";
        QTest::newRow("LAN programming takes effect and is acknowledged with 240 and the new eNum")
            << Lan << "FFAA00CA21071CFFFEFFFE01011FC0A81C32C0A81CFEFFFFFF00C0A81C0B0190A50F0C"
            << "programmed: 192.168.28.50 port 400, gateway 192.168.28.254, mask 255.255.255.0, destination "
               "192.168.28.11, eNum 7, flags A5, T-Diff 1.5/1.2\nFFAA00F00C071CFFFE000001011E";
        QTest::newRow("radio programming takes effect and is acknowledged with 203 from the new address")
            << Gateway << "FFAA00CA15031C0116FFFE0201E31C0118A5A123210A05"
            << "switching device: programmed: address 28/1/24, transmit power code 5, frequency code 291, flags 21, "
               "T-Diff 1.0/0.5\nFFAA00CB0C7B1CFFFE0118020187";
        QTest::newRow("what cannot start a frame is cut off up to the next preamble; the connection ends in a frame")
            << Lan << "0102FF03FFAA00C826FFAA00C80C011CFFFEFFFE0101EEFFAA00C80C01"
            << "no preamble FF AA: 0102FF03\nlength byte 38 outside 12 to 37: FFAA00C826\n"
               "wrong checksum EE, the body sums to ED\nincomplete frame, the connection ended: FFAA00C80C01";
        // A frame the device ignores: the row is named with its note.
        QTest::newRow("unknown command") << Lan << "FFAA00C90C011CFFFEFFFE0101EE" << "";
        QTest::newRow("command 202 needs 21 payload bytes, 4 came")
            << Lan << "FFAA00CA10011CFFFEFFFE0101A9C0A81C32" << "";
        QTest::newRow("refused port 0")
            << Lan << "FFAA00CA21071CFFFEFFFE01018EC0A81C32C0A81CFEFFFFFF00C0A81C0B0000A50F0C" << "";
        QTest::newRow("a LAN adapter relays nothing by radio") << Lan << "FFAA00C80C031C0116FFFE02010A" << "";
        QTest::newRow("no radio device has the address 28/1/99") << Gateway << "FFAA00C80C031C0163FFFE020157" << "";
        QTest::newRow("weather station: a weather station has no inputs")
            << Gateway << "FFAA00CF0D051C011EFFFE02012C10" << "";
    }

    void connection()
    {
        QFETCH(int, node);
        QFETCH(QString, bytes);
        QFETCH(QString, log);
        SimInstallation sim = installation();
        FrameReader reader;
        QList<FrameReader::Piece> pieces;
        for (const QString &segment : bytes.split('|'))
            pieces << reader.append(QByteArray::fromHex(segment.toLatin1()));
        QStringList seen;
        for (const FrameReader::Piece &piece : pieces << reader.finish()) {
            if (!piece.fault.isEmpty()) {
                seen << piece.fault + ": " + hex(piece.bytes);
                continue;
            }
            const QList<SimNode> before = sim.nodes();
            const SimInstallation::Handling h = sim.receive(node, piece.bytes);
            seen << h.note;
            if (!h.ignored)
                seen << hex(h.reply);
            QCOMPARE(h.relayed, !h.ignored && node == Gateway);
            QVERIFY(!h.ignored || (h.reply.isEmpty() && sim.nodes() == before));
            QCOMPARE(h.moved, sim.nodes()[Lan].lan.address != before[Lan].lan.address); // the server listens anew
        }
        QCOMPARE(seen.join('\n'), log.isEmpty() ? QString(QTest::currentDataTag()) : log);
    }

    // A changed input with AutoSend on is reported, unasked, to the standard destination.
    void autoSendReportsChangedInputs()
    {
        SimInstallation sim = installation();
        QVERIFY(sim.runCommand("input 192.168.28.215 3 on").outgoing.isEmpty()); // AutoSend is off
        const SimInstallation::Handling asked = sim.receive(Lan, QByteArray::fromHex("FFAA00CF0D011CFFFEFFFE01014550"));
        QVERIFY(asked.reply.isEmpty() && asked.note == "AutoSend on for input 1, 3"); // taken without an answer
        QVERIFY(sim.runCommand("input 192.168.28.215 3 on").outgoing.isEmpty()); // no change
        const SimInstallation::Outgoing sent = sim.runCommand("input 192.168.28.215 3 off").outgoing.value(0);
        QCOMPARE(ipv4Text(sent.destination) + ':' + QString::number(sent.port), "192.168.28.10:340");
        QCOMPARE(hex(sent.frame), "FFAA006A12011CFFFE0000010138090200D700BE");
        // Input 1 changes on the installation's schedule; a radio device reports through its gateway.
        QCOMPARE(hex(sim.changeScheduledInputs().value(0).frame), "FFAA006A12011CFFFE0000010139090300D700BE");
        QVERIFY(sim.receive(Gateway, QByteArray::fromHex("FFAA00CF0D031C0116FFFE02012210")).relayed);
        QCOMPARE(hex(sim.runCommand("input 28/1/22 1 on").outgoing.value(0).frame),
                 "FFAA006A127B1CFFFE01160201F9010100CD0000");
    }

    // With its T-Diff regulator on, the example's thermostat (set point 21.0 °C, T-Diff 0.5 and 0.3) heats from 20.5 °C
    // up to 21.3 °C, a tenth a step.
    void thermostatRegulatesWithinItsThresholds()
    {
        RadioDevice thermostat = installation().nodes()[Gateway].radioDevices[1];
        QList<int> temperatures;
        for (int step = 0; step < 30; ++step) {
            DeviceBehaviour::drift(thermostat);
            temperatures << thermostat.temperature.tenths;
        }
        QCOMPARE(temperatures, (QList<int>{197, 198, 199, 200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211,
                                           212, 213, 212, 211, 210, 209, 208, 207, 206, 205, 206, 207, 208, 209, 210}));
    }
};

TESSRA_TEST(TestSimInstallation)
#include "tst_SimInstallation.moc"
