// tessra as a process against tessra-sim as a process of its own: the LAN adapter on 127.0.0.2, the gateway on
// 127.0.0.3, tessra on 127.0.0.1, one port; the settings file names them as it names them to the window. Every command
// runs once, each output form shows one reply whole; the frames and lines themselves are the core's tests.

#include "TestMain.h"

#include "scan/IcmpSocket.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

struct Run
{
    QStringList out, err;
    int status = -1;
};

QStringList lines(const QByteArray &text)
{
    QStringList all = QString::fromUtf8(text).split(u'\n');
    all.removeLast(); // what follows the last line end
    // Records are stamped with the time of their reply; the tests know its form and, from TZ, its offset.
    static const QRegularExpression iso(QStringLiteral(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"));
    return all.replaceInStrings(iso, QStringLiteral("TIME"));
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        QFile example(EXAMPLE_INSTALLATION);
        QVERIFY(example.open(QIODevice::ReadOnly));
        // Time-based behaviour off, so that every value is known.
        QJsonObject config = QJsonDocument::fromJson(example.readAll()).object();
        config["timing"] = QJsonObject{{"callBackDelayMs", 50}, {"weatherIntervalMs", 0}, {"driftIntervalMs", 0},
                                       {"inputChangeIntervalMs", 0}};
        write("installation.json", QJsonDocument(config).toJson());
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        m_port = probe.serverPort();
        probe.close();
        write("TessraPrg.ini", settings("Select=0"));
        write("radio.ini", settings("Select=1"));
        m_simOutput.clear();
        connect(&m_sim, &QProcess::readyReadStandardOutput, this, [this] { m_simOutput += m_sim.readAll(); });
        m_sim.setProcessChannelMode(QProcess::MergedChannels);
        m_sim.start(TESSRA_SIM, {"--address", "127.0.0.2", "--port", QString::number(m_port), "--destination",
                                 "127.0.0.1", "--config", m_folder.filePath("installation.json")});
        QTRY_VERIFY2(m_simOutput.contains("ready;"), qPrintable(m_simOutput));
    }
    void cleanup()
    {
        if (QTest::currentTestFailed())
            qWarning("tessra-sim wrote:\n%s", qPrintable(m_simOutput));
        m_sim.terminate();
        QVERIFY(m_sim.waitForFinished(5000));
        m_sim.disconnect(this);
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("out");
        QTest::addColumn<QStringList>("err");
        QTest::addColumn<int>("status");

        // PORT stands for the port of the run.
        QTest::newRow("params: the LAN adapter of the settings, in the window's lines")
            << QStringList{"params"}
            << QStringList{"Anfrage Parameter", "-> Firmware 1.0.2.3",
                           "-> connectet: LAN 127.0.0.2,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP "
                           "127.0.0.1, Port PORT, eNum=1",
                           "-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, "
                           "T-DiffRegler=1, supress HighPr. Port=0, M2M Comm=0",
                           "-> Device: LAN-Devices, Funktion=Schalt-Devices", "Verbindung geschlossen"}
            << QStringList() << 0;
        QTest::newRow("params: --radio picks a radio device, the gateway calls back")
            << QStringList{"params", "--radio", "28/1/22"}
            << QStringList{"Anfrage Parameter", "Listen ON", "-> Firmware 2.1.0.7", "-> Deviceadresse 1.22, eNum 123",
                           "-> Sendeleistung(Dämpfung) =9 dB, F=864.25 MHz",
                           "-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, "
                           "AutoTxRepeat=0, T-DiffRegler=1",
                           "-> T-Diff EIN=1.2°C, T-Diff AUS=0.8°C", "-> Device: Funk-Devices, Funktion=Schalt-Devices",
                           "Verbindung geschlossen"}
            << QStringList() << 0;
        QTest::newRow("params: the LAN adapter as JSON")
            << QStringList{"params", "--json"}
            << QStringList{R"({"time":"TIME+02:30","target":"127.0.0.2","kind":"parameters","enum":1,"device_class":1,)"
                           R"("device_function":1,"firmware":"1.0.2.3","ip_address":"127.0.0.2",)"
                           R"("gateway":"192.168.28.254","subnet_mask":"255.255.255.0",)"
                           R"("standard_destination":"127.0.0.1","port":PORT,)"
                           R"("flags":["out-state-mem","sys-timeout","t-diff-regulator"]})"}
            << QStringList() << 0;
        QTest::newRow("params: a radio device as JSON")
            << QStringList{"params", "--radio", "28/1/22", "--json"}
            << QStringList{R"({"time":"TIME+02:30","target":"28/1/22@127.0.0.3","kind":"parameters","enum":123,)"
                           R"("device_class":2,"device_function":1,"device_address_high":1,"device_address_low":22,)"
                           R"("firmware":"2.1.0.7","tx_power_attenuation_db":9,"frequency_mhz":864.25,)"
                           R"("flags":["out-state-mem","sys-timeout","t-diff-regulator"],"t_diff_on_celsius":1.2,)"
                           R"("t_diff_off_celsius":0.8})"}
            << QStringList() << 0;
        QTest::newRow("measure: Select=1 in the settings file chooses the radio device")
            << QStringList{"measure", "--settings", m_folder.filePath("radio.ini")}
            << QStringList{"Abfrage Messwerte", "Listen ON",
                           "-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=OFF",
                           "-> InPort: Kanal 1=OFF, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=OFF",
                           "-> Temperatur1:  20.5 °C,  Temperatur2:  0.0 °C, eNum=123", "Verbindung geschlossen"}
            << QStringList() << 0;
        QTest::newRow("measure: a weather station answers with its weather data")
            << QStringList{"measure", "--radio", "28/1/30", "--enum", "125", "--json"}
            << QStringList{R"({"time":"TIME+02:30","target":"28/1/30@127.0.0.3","kind":"weather","enum":125,)"
                           R"("outside_temperature_celsius":-2.5,"rain_litres_per_square_metre":1.2,)"
                           R"("wind_speed_kmh":3,"wind_speed_max_kmh":17,"light":88})"}
            << QStringList() << 0;
        QTest::newRow("measure: one JSON object")
            << QStringList{"measure", "--json"}
            << QStringList{R"({"time":"TIME+02:30","target":"127.0.0.2","kind":"measurement","enum":1,)"
                           R"("outputs":[true,false,false,true],"inputs":[false,true,false,false],)"
                           R"("temperature1_celsius":21.5,"temperature2_celsius":19})"}
            << QStringList() << 0;
        QTest::newRow("measure: polled twice into CSV")
            << QStringList{"measure", "--radio", "28/1/23", "--enum", "124", "--interval", "0.2", "--count", "2",
                           "--csv"}
            << QStringList{"time,target,kind,enum,output1,output2,output3,output4,input1,input2,input3,input4,"
                           "temperature1_celsius,temperature2_celsius,outside_temperature_celsius,"
                           "rain_litres_per_square_metre,wind_speed_kmh,wind_speed_max_kmh,light",
                           "TIME+02:30,28/1/23@127.0.0.3,measurement,124,0,0,0,0,0,0,0,0,19.8,21,,,,,",
                           "TIME+02:30,28/1/23@127.0.0.3,measurement,124,0,0,0,0,0,0,0,0,19.8,21,,,,,"}
            << QStringList() << 0;
        QTest::newRow("switch: every frame traced")
            << QStringList{"switch", "2", "on", "--trace"}
            << QStringList{"Sende Schalbefehl ", "-> Port geschaltet! Status:  Ch 1=1,  Ch 2=1,  Ch 3=0,  Ch 4=1",
                           "Verbindung geschlossen"}
            << QStringList{"-> FF AA 00 03 0D 01 1C FF FE FF FE 01 01 4B 22",
                           "<- FF AA 00 03 0D 01 1C FF FE 00 00 01 01 37 0B"}
            << 0;
        QTest::newRow("autosend: acknowledged by nothing, answered once sent")
            << QStringList{"autosend", "3"} << QStringList{"Anforderung AutoSend für InputKanal 3", "RX-TimeoOut"}
            << QStringList() << 0;
        // Each option reaches its field: the frames show where every value went.
        QTest::newRow("program: a radio device")
            << QStringList{"program", "--radio", "28/1/23", "--enum", "124", "--new-radio", "28/1/24", "--frequency",
                           "864.25", "--attenuation", "3", "--flags", "in-state-mem", "--t-diff-on", "0,5",
                           "--t-diff-off", "0.3", "--trace"}
            << QStringList{"sende neue Parameter", "Listen ON", "-> Programmierung erfolgreich. Boote neu........",
                           "Verbindung geschlossen"}
            << QStringList{"-> FF AA 00 CA 15 7C 1C 01 17 FF FE 02 01 64 1C 01 18 A1 A3 52 02 05 03",
                           "<- FF AA 00 CB 0C 7C 1C FF FE 01 18 02 05 8C"}
            << 0;
        QTest::newRow("program: a LAN adapter, as JSON")
            << QStringList{"program", "--new-address", "127.0.0.5", "--new-gateway", "10.0.0.1", "--new-mask",
                           "255.0.0.0", "--new-destination", "127.0.0.1", "--new-port", "5000", "--new-enum", "7",
                           "--flags", "out-state-mem,auto-tx-in-change", "--t-diff-on", "1.5", "--t-diff-off", "0.5",
                           "--json", "--trace"}
            << QStringList{R"({"time":"TIME+02:30","target":"127.0.0.2","kind":"programmed","enum":7})"}
            << QStringList{"-> FF AA 00 CA 21 07 1C FF FE FF FE 01 01 D0 7F 00 00 05 0A 00 00 01 FF 00 00 00 7F 00 00 "
                           "01 13 88 09 0F 05",
                           "<- FF AA 00 F0 0C 07 1C FF FE 00 00 01 01 1E"}
            << 0;
        QTest::newRow("program: a check refuses, in the window's words, and nothing is sent")
            << QStringList{"program", "--radio", "28/1/23", "--new-radio", "28/1/251", "--frequency", "864.25",
                           "--attenuation", "3", "--t-diff-on", "0.5", "--t-diff-off", "0.3"}
            << QStringList()
            << QStringList{"Bitte Zieladresse prüfen !", "Die Zieladresse darf nur zwischen 0 und 250 liegen !"}
            << 3;
        QTest::newRow("program: the new IP address's leave check refuses")
            << QStringList{"program", "--new-address", "127.0.0.256", "--new-gateway", "127.0.0.1", "--new-mask",
                           "255.0.0.0", "--new-destination", "127.0.0.1", "--new-port", "5000", "--new-enum", "1"}
            << QStringList() << QStringList{"tessra: the new IP address 127.0.0.256 is refused: each part is 0 to 255"}
            << 3;
        QTest::newRow("a refused call, in JSON: why on standard error")
            << QStringList{"params", "--lan", "127.0.0.9", "--json"} << QStringList()
            << QStringList{"Socket error: Connection refused"} << 1;
    }
    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, out);
        QFETCH(QStringList, err);
        QFETCH(int, status);
        const Run run = tessra(withSettings(arguments));
        QCOMPARE(run.out, out.replaceInStrings("PORT", QString::number(m_port)));
        QCOMPARE(run.err, err);
        QCOMPARE(run.status, status);
    }

    void aRadioDeviceThatDoesNotAnswerTimesOutAsInTheWindow()
    {
        QElapsedTimer clock;
        clock.start();
        const Run run = tessra(withSettings({"params", "--radio", "28/1/99"}));
        QCOMPARE(run.out, (QStringList{"Anfrage Parameter", "Listen ON", "RX-TimeoOut"}));
        QCOMPARE(run.status, 1);
        // The gateway ignores an address it does not have; tessra waits twice the LAN adapter's 1500 ms first (a
        // coarse timer, as the window's, may end up to 5 % early).
        QVERIFY2(clock.elapsed() >= 2850, qPrintable(QString::number(clock.elapsed())));
    }

    void aFrameThatIsNoReplyIsRefused()
    {
        // Once asked to, the adapter reports input 3 by itself. Its report calls while tessra waits for the call-back
        // of a radio device, and is taken for the reply, as the window takes it; but it answers no parameter request.
        QCOMPARE(tessra(withSettings({"autosend", "3"})).status, 0);
        QProcess waiting;
        waiting.setProcessEnvironment(environment());
        waiting.start(TESSRA_CLI, withSettings({"params", "--radio", "28/1/99"}));
        QTRY_VERIFY(m_simOutput.contains("28/1/99 ignored"));
        m_sim.write("input 127.0.0.2 3 on\n");
        QVERIFY(m_sim.waitForBytesWritten(5000) && waiting.waitForFinished(10000));
        QCOMPARE(lines(waiting.readAllStandardOutput()),
                 (QStringList{"Anfrage Parameter", "Listen ON",
                              "-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON",
                              "-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=ON, Kanal 4=OFF",
                              "-> Temperatur1:  21.5 °C,  Temperatur2:  19.0 °C, eNum=1", "Verbindung geschlossen"}));
        QCOMPARE(waiting.exitCode(), 3);
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("no command") << QStringList() << "no command given; 'tessra --help' lists the commands";
        QTest::newRow("an unknown option") << QStringList{"measure", "--frob"} << "Unknown option 'frob'.";
        QTest::newRow("a port above 65535")
            << QStringList{"params", "--port", "65536"} << "--port takes a port from 1 to 65535, not '65536'";
        QTest::newRow("an address that is not one")
            << QStringList{"params", "--lan", "192.168.1"} << "--lan takes an IPv4 address, not '192.168.1'";
        QTest::newRow("a range that is a whole address")
            << QStringList{"inventory", "192.168.1.5"}
            << "inventory takes the first three parts of a range, such as 192.168.28, not '192.168.1.5'";
        QTest::newRow("an inventory asks no single target") << QStringList{"inventory", "192.168.1", "--lan", "1.2.3.4"}
                                                            << "Unknown option 'lan'.";
        QTest::newRow("a channel out of range")
            << QStringList{"switch", "5", "on"} << "switch takes a channel from 1 to 4, not '5'";
        QTest::newRow("a frequency between two steps")
            << QStringList{"program", "--frequency", "864.001"}
            << "--frequency takes a frequency from 860 to 880.475 MHz in steps of 0.005, not '864.001'";
        QTest::newRow("a frequency beyond the last step")
            << QStringList{"program", "--frequency", "880.48"}
            << "--frequency takes a frequency from 860 to 880.475 MHz in steps of 0.005, not '880.48'";
        QTest::newRow("a radio device's AutoTx flag, for which the window has no box")
            << QStringList{"program", "--gateway", "127.0.0.3", "--radio", "28/1/22", "--new-radio", "28/1/22",
                           "--frequency", "864.25", "--attenuation", "0", "--flags", "in-state-mem,auto-tx-repeat"}
            << "--flags: auto-tx-repeat cannot be set on a radio device";
        QTest::newRow("an unreadable settings file")
            << QStringList{"params", "--settings", m_folder.path()}
            << "--settings: cannot read the file " + m_folder.path();
        write("no-port.ini", "[TessraProg]\r\nIPAdresse=127.0.0.2\r\nPort=x\r\n");
        QTest::newRow("a port in the settings file that is not one")
            << QStringList{"params", "--settings", m_folder.filePath("no-port.ini")}
            << "Port in " + m_folder.filePath("no-port.ini") + " is no port from 1 to 65535: 'x'";
        QTest::newRow("programming a LAN adapter without its new values")
            << QStringList{"program", "--lan", "127.0.0.2", "--new-address", "127.0.0.5"}
            << "programming a LAN adapter needs --new-gateway, --new-mask, --new-destination, --new-port, --new-enum";
        QTest::newRow("AutoSend for a radio device, which the window does not offer")
            << QStringList{"autosend", "1", "--gateway", "127.0.0.3", "--radio", "28/1/22"}
            << "autosend asks a LAN adapter; give --lan ADDRESS";
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = tessra(arguments);
        QCOMPARE(run.err, QStringList{"tessra: " + message});
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.status, 2);
    }

    void thePortTakenIsToldInOneLine()
    {
        QTcpServer window;
        QVERIFY(window.listen(QHostAddress::LocalHost, m_port));
        const Run run = tessra(withSettings({"params"}));
        QCOMPARE(run.err,
                 QStringList{QString("tessra: port %1 of 127.0.0.1 is taken; is the window running?").arg(m_port)});
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.status, 1);
        QVERIFY(!m_simOutput.contains("<-")); // nothing was sent
    }

    void helpForACommandEitherWay()
    {
        const Run help = tessra({"help", "ping"});
        QCOMPARE(help.out,
                 (QStringList{"Usage: tessra ping ADDRESS [options]", "",
                              "Sends one echo request to ADDRESS and reports its answer as the window's ping",
                              "does.", "", "Options:",
                              "  --json                    Writes one JSON object per reply, on a line of its",
                              "                            own, instead of the window's lines.",
                              "  -h, --help                Shows this text.", "",
                              "Exit status: 0 answered, 1 no answer, a time-out or the port taken, 2 bad usage,",
                              "3 a check or the device refused."}));
        QCOMPARE(help.status, 0);
        QCOMPARE(tessra({"ping", "--help"}).out, help.out);
        QCOMPARE(tessra({"--version"}).out, QStringList{"tessra " TESSRA_VERSION});
    }

    void pollingEndsWhenAskedToStop()
    {
        QProcess polling;
        polling.start(TESSRA_CLI, withSettings({"measure", "--interval", "0.1"}));
        QByteArray out;
        QTRY_VERIFY((out += polling.readAllStandardOutput()).count("Verbindung geschlossen") >= 2);
        polling.terminate();
        QVERIFY(polling.waitForFinished(5000));
        out += polling.readAllStandardOutput();
        QCOMPARE(polling.exitStatus(), QProcess::NormalExit);
        QCOMPARE(polling.exitCode(), 0);
        QVERIFY(out.startsWith("Loop-Abfrage Messwerte\nAbfrage Messwerte\n"));
        QVERIFY(out.endsWith("Verbindung geschlossen\n")); // the last exchange whole
    }

    // Without --settings tessra reads the window's file: the user's, as no portable copy stands beside tessra.
    void theWindowsSettingsByDefault()
    {
        QVERIFY(QDir(m_folder.path()).mkpath("TessraProg"));
        write("TessraProg/TessraPrg.ini", settings("Select=0"));
        const Run run = tessra({"params", "--listen", "127.0.0.1"});
        QVERIFY2(run.status == 0 && run.out.contains("-> Device: LAN-Devices, Funktion=Schalt-Devices"),
                 qPrintable(run.err.join('\n')));
    }
    void pingAndScan()
    {
        if (!IcmpSocket().isOpen())
            QSKIP(
                "this user may open no ICMP socket here (neither CAP_NET_RAW nor net.ipv4.ping_group_range allows it)");
        const Run ping = tessra({"ping", "127.0.0.1"});
        QCOMPARE(ping.out, (QStringList{"send ping", "Ping to 127.0.0.1 = 0   [ ip success ]", "pass...."}));
        QCOMPARE(ping.status, 0);
        QCOMPARE(tessra({"ping", "127.0.0.1", "--json"}).out,
                 QStringList{R"({"time":"TIME+02:30","target":"127.0.0.1","kind":"ping","status":0,"answered":true})"});
        // Loopback's broadcast address is not pinged.
        QCOMPARE(tessra({"ping", "127.255.255.255"}).status, 1);
        // Every address of the loopback network answers.
        QStringList scanned{"scann ip-range ...000 to 255"};
        for (int host = 0; host < 256; ++host)
            scanned << QString("Ping to 127.0.0.%1 = 0   [ ip success ]= TestPing").arg(host);
        scanned << "sacnn pass.....";
        const Run scan = tessra({"scan", "127.0.0"});
        QCOMPARE(scan.out, scanned);
        QCOMPARE(scan.status, 0);
    }

    // Three more adapters from 127.0.0.20 beside the fixture's adapter and gateway: all five are read in one run,
    // told in the order of their addresses; the hosts that answer the ping alone stay out of the records.
    void inventory()
    {
        if (!IcmpSocket().isOpen())
            QSKIP("this user may open no ICMP socket here");
        QJsonArray adapters;
        for (int eNum : {7, 8, 9})
            adapters.append(QJsonObject{{"type", "lanAdapter"}, {"eNum", eNum}, {"firmware", "1023"}, {"function", 1},
                                        {"gateway", "10.0.0.1"}, {"subnetMask", "255.0.0.0"}, {"flags", 3}});
        write("adapters.json", QJsonDocument(QJsonObject{{"port", m_port}, {"devices", adapters}}).toJson());
        QProcess sim;
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.start(TESSRA_SIM, {"--address", "127.0.0.20", "--destination", "127.0.0.1", "--config",
                               m_folder.filePath("adapters.json")});
        QByteArray said;
        QTRY_VERIFY2((said += sim.readAll()).contains("ready;"), said.constData());

        const Run json = tessra(withSettings({"inventory", "127.0.0", "--json"}));
        QStringList found;
        for (const QString &line : json.out) {
            const QJsonObject record = QJsonDocument::fromJson(line.toUtf8()).object();
            found << record["target"].toString() + " eNum " + QString::number(record["enum"].toInt());
        }
        QCOMPARE(found, (QStringList{"127.0.0.2 eNum 1", "127.0.0.3 eNum 2", "127.0.0.20 eNum 7", "127.0.0.21 eNum 8",
                                     "127.0.0.22 eNum 9"}));
        QCOMPARE(json.status, 0);

        const Run csv = tessra(withSettings({"inventory", "127.0.0", "--csv"}));
        QCOMPARE(csv.out.value(0), "time,target,kind,enum,device_class,device_function,firmware,ip_address,gateway,"
                                   "subnet_mask,standard_destination,port,flags");
        QCOMPARE(csv.out.value(3), QString("TIME+02:30,127.0.0.20,parameters,7,1,1,1.0.2.3,127.0.0.20,10.0.0.1,"
                                           "255.0.0.0,127.0.0.1,%1,out-state-mem in-state-mem").arg(m_port));
        QCOMPARE(csv.out.size(), 6);

        const Run lines = tessra(withSettings({"inventory", "127.0.0"}));
        QCOMPARE(lines.out.filter(QRegularExpression("^127[.]0[.]0[.]21: ")),
                 (QStringList{"127.0.0.21: -> Firmware 1.0.2.3",
                              QString("127.0.0.21: -> connectet: LAN 127.0.0.21,  GateWay 10.0.0.1, NwMask 255.0.0.0, "
                                      "StdDest-IP 127.0.0.1, Port %1, eNum=8").arg(m_port),
                              "127.0.0.21: -> Parameter: OutStateMem=1, InStateMem=1, SysTimeOut=0, AutoTxInChg=0, "
                              "AutoTxRepeat=0, T-DiffRegler=0, supress HighPr. Port=0, M2M Comm=0",
                              "127.0.0.21: -> Device: LAN-Devices, Funktion=Schalt-Devices",
                              "127.0.0.21: Verbindung geschlossen"}));
        QCOMPARE(lines.out.value(lines.out.indexOf("127.0.0.19: Socket error: Connection refused") + 1),
                 "127.0.0.20: -> Firmware 1.0.2.3");
        QCOMPARE(lines.out.first(), "scann ip-range ...000 to 255");
        QCOMPARE(lines.out.last(), "sacnn pass.....");
        // This machine's own address is no adapter, however it answers the ping.
        QVERIFY(lines.out.filter("127.0.0.1: ").isEmpty());

        // Where only hosts answer, no adapter: no answer.
        const Run none = tessra(withSettings({"inventory", "127.0.1", "--json"}));
        QCOMPARE(none.out, QStringList());
        QCOMPARE(none.status, 1);
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }

private:
    Run tessra(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(TESSRA_CLI, arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {lines(process.readAllStandardOutput()), lines(process.readAllStandardError()), process.exitCode()};
    }
    // Half past two hours ahead of UTC.
    // The user's configuration folder is the fixture's.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", "TST-2:30");
        environment.insert("XDG_CONFIG_HOME", m_folder.path());
        return environment;
    }
    // The fixture's settings file unless the arguments name another: of an option given twice the last counts.
    QStringList withSettings(const QStringList &arguments) const
    {
        return arguments.mid(0, 1) + QStringList{"--settings", m_folder.filePath("TessraPrg.ini"), "--listen",
                                                 "127.0.0.1"} + arguments.mid(1);
    }
    // The installation as the settings file names it to the window.
    QByteArray settings(const QByteArray &select) const
    {
        return "[TessraProg]\r\nIPAdresse=127.0.0.2\r\nFLGateway=127.0.0.3\r\nPort=" + QByteArray::number(m_port)
            + "\r\neNumLan=1\r\nDAdrH=1\r\nDAdrL=22\r\neNumFunk=123\r\n" + select + "\r\n";
    }
    void write(const QString &name, const QByteArray &content)
    {
        QFile file(m_folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
    }

    QTemporaryDir m_folder;
    quint16 m_port = 0;
    QProcess m_sim;
    QString m_simOutput;
};

TESSRA_TEST(TestCli)
#include "tst_Cli.moc"
