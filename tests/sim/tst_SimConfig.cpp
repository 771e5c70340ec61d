// The command line and the installation file of tessra-sim.

#include "TestMain.h"
#include "InstallationConfig.h"
#include "SimInstallation.h"
#include "SimOptions.h"

#include <QTemporaryDir>
#include <QTest>

class TestSimConfig : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("file"); // given with --config; none: the example installation
        QTest::addColumn<QString>("printed"); // the adapter and gateway it lists first, or the mistakes it stops with
        QTest::newRow("nothing: the example installation from 127.0.0.2")
            << "" << "" << "LAN adapter eNum 1 on 127.0.0.2 port 5000, standard destination 127.0.0.1\n"
                           "gateway eNum 2 on 127.0.0.3 port 5000, standard destination 127.0.0.1";
        QTest::newRow("address, port and destination; the next address carries into the third octet")
            << "--address 10.0.0.255 --port 340 --destination 10.73.92.200" << ""
            << "LAN adapter eNum 1 on 10.0.0.255 port 340, standard destination 10.73.92.200\n"
               "gateway eNum 2 on 10.0.1.0 port 340, standard destination 10.73.92.200";
        QTest::newRow("no address after the last")
            << "--address 255.255.255.255" << "" << "2 devices do not fit from 255.255.255.255 on";
        QTest::newRow("port 0") << "--port 0" << "" << "--port takes a port from 1 to 65535";
        QTest::newRow("a name is no address")
            << "--address localhost" << "" << "--address takes an IPv4 address, such as 127.0.0.2";
        // Mistakes in the file are named with their place.
        QTest::newRow("not JSON") << "" << R"({"devices": [)" << "not JSON at character 13: unterminated array";
        QTest::newRow("no devices") << "" << R"({"devices": []})" << "devices: a list of at least one device";
        QTest::newRow("a misspelt setting")
            << "" << R"({"devices": [{"type": "lanAdapter", "enum": 1}]})" << "devices[0].enum: unknown setting";
        QTest::newRow("gateway and radio device mistakes")
            << "" << R"({"devices": [{"type": "gateway", "gateway": "192.168.28", "radioDevices": [
                   {"type": "switching", "address": "28/1/22", "frequencyCode": 4096, "firmware": "12"},
                   {"type": "lamp", "address": "28/1/22", "tDiffOn": 25.6}]}]})"
            << "devices[0].gateway: an IPv4 address such as \"192.168.28.1\"\n"
               "devices[0].radioDevices[0].firmware: four characters, such as \"1023\"\n"
               "devices[0].radioDevices[0].frequencyCode: a whole number from 0 to 4095\n"
               "devices[0].radioDevices[1].type: \"switching\", \"thermostat\" or \"weatherStation\"\n"
               "devices[0].radioDevices[1].tDiffOn: a number from 0 to 25.5\n"
               "devices[0].radioDevices[1]: the address is taken by radioDevices[0]";
    }

    // As main() starts: the options, then the installation file, placed as they say.
    void startUp()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, file);
        QFETCH(QString, printed);
        QTemporaryDir folder;
        QFile given(folder.filePath("installation.json"));
        if (!file.isEmpty() && given.open(QIODevice::WriteOnly) && given.write(file.toUtf8()) > 0 && given.flush())
            arguments += " --config " + given.fileName();
        QString out; // what it prints
        QString help;
        const QStringList words = ("tessra-sim " + arguments).split(' ', Qt::SkipEmptyParts);
        const SimOptions options = SimOptions::parse(words, out, help);
        QFile in(options.configPath.isEmpty() ? QString(EXAMPLE_INSTALLATION) : options.configPath);
        QStringList errors;
        InstallationConfig config = InstallationConfig::fromJson(in.open(QFile::ReadOnly) ? in.readAll() : "", errors);
        if (!errors.isEmpty())
            out = errors.join('\n');
        else if (out.isEmpty()
                 && config.place(options.address, options.port.value_or(config.port), options.destination, out))
            out = SimInstallation(config.nodes, config.timing).describe().mid(0, 2).join('\n');
        QCOMPARE(out, printed);
    }
};

TESSRA_TEST(TestSimConfig)
#include "tst_SimConfig.moc"
