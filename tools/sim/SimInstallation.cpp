#include "SimInstallation.h"

#include "DeviceBehaviour.h"
#include "SimFrame.h"

#include <QRegularExpression>

using namespace DeviceBehaviour;

namespace {

QString commandName(quint8 code)
{
    switch (code) {
    case Protocol::CodeParameterRequest:
        return QStringLiteral("parameter request");
    case Protocol::CodeProgramming:
        return QStringLiteral("programming");
    case Protocol::CodeMeasurementRequest:
        return QStringLiteral("measurement request");
    case Protocol::CodeSwitch:
        return QStringLiteral("switching");
    case Protocol::CodeAutoSend:
        return QStringLiteral("AutoSend request");
    default:
        return QStringLiteral("command");
    }
}

const QString HelpText = QStringLiteral(
    "commands: input <device> <channel 1-4> on|off   (device: a LAN address such as 127.0.0.2, or a radio "
    "address such as 28/1/22)\n"
    "          weather   (every weather station sends its data now)\n"
    "          list      (the devices and their addresses)");

} // namespace

SimInstallation::SimInstallation(QList<SimNode> nodes, SimTiming timing)
    : m_nodes(std::move(nodes)), m_timing(timing)
{
}

QString SimInstallation::nodeName(int node) const
{
    const LanAdapter &lan = m_nodes[node].lan;
    return QStringLiteral("%1 eNum %2")
        .arg(m_nodes[node].gateway ? QStringLiteral("gateway") : QStringLiteral("LAN adapter"))
        .arg(lan.eNum);
}

SimInstallation::Handling SimInstallation::receive(int node, QByteArrayView wire)
{
    Handling handling;
    const SimFrame::Parsed parsed = SimFrame::parse(wire);
    if (!parsed.request) {
        handling.ignored = true;
        handling.note = parsed.fault;
        return handling;
    }
    const Protocol::Header &request = parsed.request->message.header;
    SimNode &target = m_nodes[node];
    const QString name = commandName(request.code);
    const auto answered = [&handling](const Answer &answer) {
        handling.reply = answer.reply;
        handling.note = answer.note;
        handling.ignored = answer.ignored;
        handling.moved = answer.moved;
    };

    // A gateway's own LAN part answers LAN requests as an adapter does.
    if (request.deviceClass == DeviceClassLan) {
        handling.request = QStringLiteral("%1 %2").arg(name).arg(request.code);
        answered(answerLanAdapter(target.lan, *parsed.request));
        return handling;
    }
    if (request.deviceClass != DeviceClassRadio) {
        handling.request = QStringLiteral("%1 %2").arg(name).arg(request.code);
        handling.ignored = true;
        handling.note = QStringLiteral("device class %1 is neither LAN (1) nor radio (2)").arg(request.deviceClass);
        return handling;
    }
    const RadioAddress &destination = request.destination;
    const QString address = QStringLiteral("%1/%2/%3").arg(destination.home).arg(destination.high).arg(destination.low);
    handling.request = QStringLiteral("%1 %2 for radio device %3").arg(name).arg(request.code).arg(address);
    if (!target.gateway) {
        handling.ignored = true;
        handling.note = QStringLiteral("a LAN adapter relays nothing by radio");
        return handling;
    }
    for (RadioDevice &device : target.radioDevices) {
        if (addressOf(device) != destination)
            continue;
        const std::optional<RadioAddress> taking = newRadioAddress(*parsed.request);
        for (const RadioDevice &other : target.radioDevices) {
            // Two devices on one address would leave one of them unreachable.
            if (taking && &other != &device && addressOf(other) == *taking) {
                handling.ignored = true;
                handling.note = QStringLiteral("refused: the %1 already has the address %2")
                                    .arg(kindName(other.kind), radioAddressText(other));
                return handling;
            }
        }
        answered(answerRadioDevice(device, *parsed.request));
        handling.relayed = !handling.ignored;
        handling.note = kindName(device.kind) + QStringLiteral(": ") + handling.note;
        return handling;
    }
    handling.ignored = true;
    handling.note = QStringLiteral("no radio device has the address %1").arg(address);
    return handling;
}

void SimInstallation::restoreAddress(int node, const Ipv4 &address, quint16 port)
{
    m_nodes[node].lan.address = address;
    m_nodes[node].lan.port = port;
}

SimInstallation::Outgoing SimInstallation::reportOf(int node, int radio) const
{
    const SimNode &n = m_nodes[node];
    if (radio < 0)
        return {node, measurementReport(n.lan), n.lan.standardDestination, n.lan.port,
                nodeName(node) + QStringLiteral(" reports its inputs")};
    const RadioDevice &device = n.radioDevices[radio];
    return {node, measurementReport(device), n.lan.standardDestination, n.lan.port,
            QStringLiteral("%1 %2 reports its inputs").arg(kindName(device.kind), radioAddressText(device))};
}

SimInstallation::Outgoing SimInstallation::weatherOf(int node, int radio) const
{
    const SimNode &n = m_nodes[node];
    const RadioDevice &device = n.radioDevices[radio];
    return {node, weatherFrame(device), n.lan.standardDestination, n.lan.port,
            QStringLiteral("weather station %1 sends its data").arg(radioAddressText(device))};
}

QList<SimInstallation::Outgoing> SimInstallation::changeScheduledInputs()
{
    QList<Outgoing> outgoing;
    for (int node = 0; node < m_nodes.size(); ++node) {
        if (toggleChangingInputs(m_nodes[node].lan.channels))
            outgoing << reportOf(node, -1);
        QList<RadioDevice> &radio = m_nodes[node].radioDevices;
        for (int r = 0; r < radio.size(); ++r) {
            if (radio[r].kind != RadioKind::WeatherStation && toggleChangingInputs(radio[r].channels))
                outgoing << reportOf(node, r);
        }
    }
    return outgoing;
}

QList<SimInstallation::Outgoing> SimInstallation::weatherReports()
{
    QList<Outgoing> outgoing;
    for (int node = 0; node < m_nodes.size(); ++node) {
        for (int r = 0; r < m_nodes[node].radioDevices.size(); ++r) {
            if (m_nodes[node].radioDevices[r].kind == RadioKind::WeatherStation)
                outgoing << weatherOf(node, r);
        }
    }
    return outgoing;
}

void SimInstallation::drift()
{
    for (SimNode &node : m_nodes) {
        DeviceBehaviour::drift(node.lan);
        for (RadioDevice &device : node.radioDevices)
            DeviceBehaviour::drift(device);
    }
}

SimInstallation::CommandResult SimInstallation::runCommand(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.trimmed().split(blanks, Qt::SkipEmptyParts);
    CommandResult result;
    if (words.isEmpty())
        return result;
    const QString &command = words[0];
    if (command == QLatin1String("list") && words.size() == 1) {
        result.lines = describe();
        return result;
    }
    if (command == QLatin1String("weather") && words.size() == 1) {
        result.outgoing = weatherReports();
        if (result.outgoing.isEmpty())
            result.lines << QStringLiteral("the installation has no weather station");
        return result;
    }
    if (command == QLatin1String("input") && words.size() == 4) {
        bool channelOk = false;
        const int channel = words[2].toInt(&channelOk);
        const QString &state = words[3];
        if (!channelOk || channel < 1 || channel > ChannelCount ||
            (state != QLatin1String("on") && state != QLatin1String("off"))) {
            result.lines << QStringLiteral("input: channel 1 to 4, then on or off");
            return result;
        }
        const bool active = state == QLatin1String("on");
        const auto change = [&](Channels &channels, const QString &who) {
            const bool reported = setInput(channels, channel, active);
            result.lines << QStringLiteral("%1: input %2 %3%4")
                                .arg(who)
                                .arg(channel)
                                .arg(state,
                                     reported ? QString() : QStringLiteral(" (AutoSend is off, nothing reported)"));
            return reported;
        };
        for (int node = 0; node < m_nodes.size(); ++node) {
            SimNode &n = m_nodes[node];
            if (ipv4Text(n.lan.address) == words[1]) {
                if (change(n.lan.channels, nodeName(node)))
                    result.outgoing << reportOf(node, -1);
                return result;
            }
            for (int r = 0; r < n.radioDevices.size(); ++r) {
                RadioDevice &device = n.radioDevices[r];
                if (radioAddressText(device) != words[1] || device.kind == RadioKind::WeatherStation)
                    continue;
                if (change(device.channels, kindName(device.kind) + u' ' + radioAddressText(device)))
                    result.outgoing << reportOf(node, r);
                return result;
            }
        }
        result.lines << QStringLiteral("input: no device with inputs at %1").arg(words[1]);
        return result;
    }
    result.lines << HelpText.split(u'\n');
    return result;
}

QStringList SimInstallation::describe() const
{
    QStringList lines;
    for (int node = 0; node < m_nodes.size(); ++node) {
        const SimNode &n = m_nodes[node];
        lines << QStringLiteral("%1 on %2 port %3, standard destination %4")
                     .arg(nodeName(node), ipv4Text(n.lan.address))
                     .arg(n.lan.port)
                     .arg(ipv4Text(n.lan.standardDestination));
        for (const RadioDevice &device : n.radioDevices)
            lines << QStringLiteral("    %1 %2, eNum %3")
                         .arg(kindName(device.kind), radioAddressText(device))
                         .arg(device.eNum);
    }
    return lines;
}
