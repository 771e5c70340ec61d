// The installation file and the command line of tessra-sim.

#include "TestMain.h"
#include "DeviceBehaviour.h"
#include "InstallationConfig.h"
#include "SimOptions.h"

#include <QFile>
#include <QTest>

class TestSimConfig : public QObject
{
    Q_OBJECT

private slots:
    void exampleInstallationIsALanAdapterAndAGateway();
    void mistakesInTheFileAreNamedWithTheirPlace_data();
    void mistakesInTheFileAreNamedWithTheirPlace();
    void devicesTakeTheAddressesThatFollow_data();
    void devicesTakeTheAddressesThatFollow();
    void commandLine_data();
    void commandLine();
};

void TestSimConfig::exampleInstallationIsALanAdapterAndAGateway()
{
    QFile file(EXAMPLE_INSTALLATION);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList errors;
    InstallationConfig config = InstallationConfig::fromJson(file.readAll(), errors);
    QCOMPARE(errors, QStringList());
    QString error;
    QVERIFY(config.place(SimOptions::DefaultAddress, config.port, std::nullopt, error));
    QCOMPARE(config.nodes.size(), 2);
    const SimNode &lan = config.nodes[0];
    QVERIFY(!lan.gateway);
    QCOMPARE(lan.lan.eNum, 1);
    QCOMPARE(ipv4Text(lan.lan.address), QString("127.0.0.2"));
    const SimNode &gateway = config.nodes[1];
    QVERIFY(gateway.gateway);
    QCOMPARE(gateway.lan.deviceFunction, FunctionGateway);
    QCOMPARE(ipv4Text(gateway.lan.address), QString("127.0.0.3"));
    QCOMPARE(gateway.lan.port, config.port);
    QStringList radio;
    for (const RadioDevice &device : gateway.radioDevices)
        radio << DeviceBehaviour::kindName(device.kind) + ' ' + DeviceBehaviour::radioAddressText(device);
    // The first answers at the tool's own first radio address.
    QCOMPARE(radio, (QStringList{"switching device 28/1/22", "thermostat 28/1/23", "weather station 28/1/30"}));
    QCOMPARE(gateway.radioDevices[0].eNum, 123);
    QVERIFY(config.timing.callBackDelayMs > 0);
}

void TestSimConfig::mistakesInTheFileAreNamedWithTheirPlace_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("not JSON") << QByteArray("{\"devices\": [")
                              << QStringList{"not JSON at character 13: unterminated array"};
    QTest::newRow("no devices") << QByteArray("{\"devices\": []}")
                                << QStringList{"devices: a list of at least one device"};
    QTest::newRow("a misspelt setting") << QByteArray(R"({"devices": [{"type": "lanAdapter", "enum": 1}]})")
                                        << QStringList{"devices[0].enum: unknown setting"};
    QTest::newRow("flags beyond a byte and a bad gateway address")
        << QByteArray(R"({"devices": [{"type": "lanAdapter", "flags": 256, "gateway": "192.168.28"}]})")
        << QStringList{"devices[0].gateway: an IPv4 address such as \"192.168.28.1\"",
                       "devices[0].flags: a whole number from 0 to 255"};
    QTest::newRow("radio device mistakes")
        << QByteArray(R"({"devices": [{"type": "gateway", "radioDevices": [
               {"type": "switching", "address": "28/1/22", "frequencyCode": 4096, "firmware": "12"},
               {"type": "lamp", "address": "28/1/22", "tDiffOn": 25.6}]}]})")
        << QStringList{"devices[0].radioDevices[0].firmware: four characters, such as \"1023\"",
                       "devices[0].radioDevices[0].frequencyCode: a whole number from 0 to 4095",
                       "devices[0].radioDevices[1].type: \"switching\", \"thermostat\" or \"weatherStation\"",
                       "devices[0].radioDevices[1].tDiffOn: a number from 0 to 25.5",
                       "devices[0].radioDevices[1]: the address is taken by radioDevices[0]"};
    QTest::newRow("timing in seconds")
        << QByteArray(R"({"timing": {"callBackDelay": 1}, "devices": [{"type": "lanAdapter"}]})")
        << QStringList{"timing.callBackDelay: unknown setting"};
}

void TestSimConfig::mistakesInTheFileAreNamedWithTheirPlace()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, errors);
    QStringList found;
    const InstallationConfig config = InstallationConfig::fromJson(json, found);
    QCOMPARE(found, errors);
    QVERIFY(config.nodes.isEmpty());
}

void TestSimConfig::devicesTakeTheAddressesThatFollow_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second"); // empty: the addresses run out
    QTest::newRow("next address") << "10.73.92.10" << "10.73.92.11";
    QTest::newRow("carry into the third octet") << "10.0.0.255" << "10.0.1.0";
    QTest::newRow("no address after the last") << "255.255.255.255" << "";
}

void TestSimConfig::devicesTakeTheAddressesThatFollow()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QStringList errors;
    InstallationConfig config = InstallationConfig::fromJson(
        R"({"devices": [{"type": "lanAdapter", "standardDestination": "10.0.0.1"}, {"type": "gateway"}]})", errors);
    QString error;
    const bool placed = config.place(*parseIpv4(first), 6000, parseIpv4("10.73.92.200"), error);
    QCOMPARE(placed, !second.isEmpty());
    if (!placed) {
        QCOMPARE(error, QString("2 devices do not fit from 255.255.255.255 on"));
        return;
    }
    QCOMPARE(ipv4Text(config.nodes[1].lan.address), second);
    QCOMPARE(config.nodes[1].lan.port, 6000);
    // The destination given at start replaces the file's.
    QCOMPARE(ipv4Text(config.nodes[0].lan.standardDestination), QString("10.73.92.200"));
}

void TestSimConfig::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port"); // 0: the file's
    QTest::addColumn<QString>("config");
    QTest::newRow("nothing: the example on 127.0.0.2") << QStringList{} << "" << "127.0.0.2" << 0 << "";
    QTest::newRow("address, port and file")
        << QStringList{"--address", "10.73.92.10", "--port", "340", "--config", "my.json"} << "" << "10.73.92.10"
        << 340 << "my.json";
    QTest::newRow("port 0") << QStringList{"--port", "0"} << "--port takes a port from 1 to 65535"
                            << "127.0.0.2" << 0 << "";
    QTest::newRow("a name is no address")
        << QStringList{"--address", "localhost"} << "--address takes an IPv4 address, such as 127.0.0.2" << "127.0.0.2"
        << 0 << "";
    QTest::newRow("unknown option") << QStringList{"--adress", "1.2.3.4"} << "Unknown option 'adress'." << "127.0.0.2"
                                    << 0 << "";
}

void TestSimConfig::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QString, config);
    QString found;
    QString help;
    const SimOptions options = SimOptions::parse(QStringList{"tessra-sim"} + arguments, found, help);
    QCOMPARE(found, error);
    QCOMPARE(ipv4Text(options.address), address);
    QCOMPARE(options.port.value_or(0), port);
    QCOMPARE(options.configPath, config);
    QVERIFY(help.contains("--destination <address>"));
}

TESSRA_TEST(TestSimConfig)
#include "tst_SimConfig.moc"
