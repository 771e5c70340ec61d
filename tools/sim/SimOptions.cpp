#include "SimOptions.h"

#include "InstallationConfig.h"

#include <QCommandLineParser>

SimOptions SimOptions::parse(const QStringList &arguments, QString &error, QString &helpText)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Behaves like a small installation of LAN adapters and a radio/LAN gateway with radio devices behind it, "
        "each device on its own address. Every request and reply is written to standard output with a hex dump. "
        "Commands on standard input: input <device> <channel> on|off, weather, list, help."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this text."));
    const QCommandLineOption addressOption(
        QStringLiteral("address"),
        QStringLiteral("Address of the first device; the others take the addresses that follow (default %1).")
            .arg(ipv4Text(DefaultAddress)),
        QStringLiteral("address"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port of every device (default: the installation file's)."),
                                        QStringLiteral("port"));
    const QCommandLineOption configOption(
        QStringLiteral("config"), QStringLiteral("Installation file (JSON; default: the example installation)."),
        QStringLiteral("file"));
    const QCommandLineOption destinationOption(
        QStringLiteral("destination"),
        QStringLiteral("Standard destination of every device: where unasked frames go, such as the tool's address."),
        QStringLiteral("address"));
    parser.addOptions({helpOption, addressOption, portOption, configOption, destinationOption});
    helpText = parser.helpText();

    SimOptions options;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return options;
    }
    options.help = parser.isSet(helpOption);
    if (parser.isSet(addressOption)) {
        const std::optional<Ipv4> address = parseIpv4(parser.value(addressOption));
        if (!address) {
            error = QStringLiteral("--address takes an IPv4 address, such as 127.0.0.2");
            return options;
        }
        options.address = *address;
    }
    if (parser.isSet(portOption)) {
        bool ok = false;
        const uint port = parser.value(portOption).toUInt(&ok);
        constexpr uint PortMax = 65535;
        if (!ok || port == 0 || port > PortMax) {
            error = QStringLiteral("--port takes a port from 1 to 65535");
            return options;
        }
        options.port = static_cast<quint16>(port);
    }
    if (parser.isSet(destinationOption)) {
        options.destination = parseIpv4(parser.value(destinationOption));
        if (!options.destination) {
            error = QStringLiteral("--destination takes an IPv4 address, such as 127.0.0.1");
            return options;
        }
    }
    options.configPath = parser.value(configOption);
    return options;
}
