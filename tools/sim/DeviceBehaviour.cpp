#include "DeviceBehaviour.h"

#include <QStringList>

namespace DeviceBehaviour {

namespace {

using Protocol::Header;
using Protocol::ParsedRequest;
using Protocol::Temperature;

// Where unasked frames go: the home of the LAN devices and the address the
// tool sends from.
constexpr quint8 LanHome = Protocol::LanDestination.home;
// A LAN adapter has no radio address of its own.
constexpr quint8 LanSourceHigh = 0;
constexpr quint8 LanSourceLow = 0;

constexpr quint8 RadioFlagMask = 0x3F;
constexpr quint8 TDiffRegulatorFlag = 0x20;
constexpr quint8 HeatingOutput = 0x01;

// Addresses a device cannot take: none, broadcast, multicast and above.
constexpr quint8 FirstUnusableOctet = 224;

// A reply goes back to whoever sent the request.
Header replyTo(const Header &request, quint8 code, quint8 eNum, quint8 srcHigh, quint8 srcLow, quint8 deviceClass,
               quint8 function)
{
    return {0, code, eNum, {request.destination.home, request.sourceHigh, request.sourceLow}, srcHigh, srcLow,
            deviceClass, function};
}

// The tool's address for frames that no request asked for.
Header unasked(quint8 code, quint8 eNum, quint8 home, quint8 srcHigh, quint8 srcLow, quint8 deviceClass,
               quint8 function)
{
    return {0, code, eNum, {home, Protocol::ToolAddressHigh, Protocol::ToolAddressLow}, srcHigh, srcLow,
            deviceClass, function};
}

Protocol::Firmware firmwareOf(const QByteArray &characters)
{
    const QByteArray padded = characters.leftJustified(FirmwareLength, ' ', true);
    Protocol::Firmware firmware{};
    std::copy(padded.begin(), padded.end(), firmware.begin());
    return firmware;
}

QString channelList(quint8 bits)
{
    QStringList channels;
    for (int n = 0; n < ChannelCount; ++n) {
        if (bits & (1u << n))
            channels << QString::number(n + 1);
    }
    return channels.join(QStringLiteral(", "));
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

Protocol::MeasurementValues measurementValues(const Channels &channels, int first, int second)
{
    return {quint8(channels.outputs & ChannelMask), quint8(channels.inputs & ChannelMask),
            Temperature::fromTenths(first), Temperature::fromTenths(second)};
}

Protocol::MeasurementValues radioMeasurementValues(const RadioDevice &device)
{
    const int second = device.kind == RadioKind::Thermostat ? device.setPoint : 0;
    return measurementValues(device.channels, device.temperature.tenths, second);
}

Protocol::WeatherData weatherData(const WeatherValues &weather)
{
    return {weather.wind, weather.windMax, weather.rain, Temperature::fromTenths(weather.outside.tenths), weather.light};
}

QString switchOutputs(Channels &channels, const Protocol::ChannelSelection &outputs)
{
    QStringList changes;
    for (int n = 0; n < ChannelCount; ++n) {
        if (!(outputs.addressed & (1u << n)))
            continue;
        const bool on = outputs.states & (1u << n);
        channels.outputs = static_cast<quint8>(on ? channels.outputs | (1u << n) : channels.outputs & ~(1u << n));
        changes << QStringLiteral("output %1 %2").arg(n + 1).arg(onOff(on));
    }
    return changes.isEmpty() ? QStringLiteral("no output addressed") : changes.join(QStringLiteral(", "));
}

QString enableAutoSend(Channels &channels, const Protocol::ChannelSelection &selection)
{
    const quint8 inputs = selection.addressed;
    channels.autoSend |= inputs;
    return inputs ? QStringLiteral("AutoSend on for input %1").arg(channelList(inputs))
                  : QStringLiteral("no input addressed");
}

Answer ignore(const QString &why)
{
    return {QByteArray(), why, true, false};
}

Answer tooShort(const ParsedRequest &request)
{
    return ignore(QStringLiteral("command %1 needs %2 payload bytes, %3 came")
                      .arg(request.message.header.code)
                      .arg(request.payloadLength())
                      .arg(request.payloadArrived()));
}

Answer unknownCommand()
{
    return ignore(QStringLiteral("unknown command"));
}

QString tenthsText(int tenths)
{
    constexpr double TenthsPerDegree = 10.0;
    return QString::number(tenths / TenthsPerDegree, 'f', 1);
}

Answer programLanAdapter(LanAdapter &adapter, const ParsedRequest &request, const Protocol::LanProgramming &p)
{
    if (!request.complete())
        return tooShort(request);
    if (p.ipAddress[0] == 0 || p.ipAddress[0] >= FirstUnusableOctet)
        return ignore(QStringLiteral("refused the new address %1: no device can take it").arg(ipv4Text(p.ipAddress)));
    if (p.port == 0)
        return ignore(QStringLiteral("refused port 0"));
    const bool moved = p.ipAddress != adapter.address || p.port != adapter.port;
    adapter.address = p.ipAddress;
    adapter.gateway = p.gateway;
    adapter.subnetMask = p.subnetMask;
    adapter.standardDestination = p.standardDestination;
    adapter.port = p.port;
    adapter.eNum = request.message.header.eNum; // the new eNum travels in the header
    adapter.flags = p.flags;
    adapter.tDiffOn = p.tDiffOn;
    adapter.tDiffOff = p.tDiffOff;
    const Header reply = replyTo(request.message.header, Protocol::CodeLanProgrammingAcknowledged, adapter.eNum,
                                 LanSourceHigh, LanSourceLow, DeviceClassLan, adapter.deviceFunction);
    const QString note = QStringLiteral("programmed: %1 port %2, gateway %3, mask %4, destination %5, eNum %6, "
                                        "flags %7, T-Diff %8/%9")
                             .arg(ipv4Text(adapter.address))
                             .arg(adapter.port)
                             .arg(ipv4Text(adapter.gateway), ipv4Text(adapter.subnetMask),
                                  ipv4Text(adapter.standardDestination))
                             .arg(adapter.eNum)
                             .arg(SimFrame::hexDump(QByteArray(1, char(adapter.flags))))
                             .arg(tenthsText(adapter.tDiffOn), tenthsText(adapter.tDiffOff));
    return {Protocol::encodeReply({reply, Protocol::LanProgrammingAcknowledged{}}), note, false, moved};
}

Answer programRadioDevice(RadioDevice &device, const ParsedRequest &request, const Protocol::RadioProgramming &p)
{
    if (!request.complete())
        return tooShort(request);
    device.home = p.address.home;
    device.high = p.address.high;
    device.low = p.address.low;
    device.txPowerCode = quint8(Protocol::txPowerCode(p.txPower));
    device.frequencyCode = quint16(Protocol::frequencyCode(p.frequency));
    device.flags = p.flags & RadioFlagMask;
    device.tDiffOn = p.tDiffOn;
    device.tDiffOff = p.tDiffOff;
    // Acknowledged from the new address: the device has taken it.
    const Header reply = replyTo(request.message.header, Protocol::CodeProgrammingAcknowledged, device.eNum,
                                 device.high, device.low, DeviceClassRadio, device.deviceFunction());
    const QString note = QStringLiteral("programmed: address %1, transmit power code %2, frequency code %3, "
                                        "flags %4, T-Diff %5/%6")
                             .arg(radioAddressText(device))
                             .arg(device.txPowerCode)
                             .arg(device.frequencyCode)
                             .arg(SimFrame::hexDump(QByteArray(1, char(device.flags))))
                             .arg(tenthsText(device.tDiffOn), tenthsText(device.tDiffOff));
    return {Protocol::encodeReply({reply, Protocol::ProgrammingAcknowledged{}}), note, false, false};
}

void regulate(RadioDevice &device)
{
    Channels &c = device.channels;
    const bool heating = c.outputs & HeatingOutput;
    device.temperature.tenths += heating ? 1 : -1;
    if (device.temperature.tenths <= device.setPoint - device.tDiffOn)
        c.outputs |= HeatingOutput;
    else if (device.temperature.tenths >= device.setPoint + device.tDiffOff)
        c.outputs &= static_cast<quint8>(~HeatingOutput);
}

} // namespace

Answer answerLanAdapter(LanAdapter &adapter, const ParsedRequest &request)
{
    const auto reply = [&](quint8 code, const Protocol::ReplyPayload &payload, const QString &note) {
        const Header header = replyTo(request.message.header, code, adapter.eNum, LanSourceHigh, LanSourceLow,
                                      DeviceClassLan, adapter.deviceFunction);
        return Answer{Protocol::encodeReply({header, payload}), note, false, false};
    };
    const Protocol::RequestPayload &asked = request.message.payload;
    if (std::holds_alternative<Protocol::ParameterRequest>(asked))
        return reply(Protocol::CodeParameterReply,
                     Protocol::LanParameters{firmwareOf(adapter.firmware), adapter.address, adapter.gateway,
                                             adapter.subnetMask, adapter.standardDestination, adapter.port,
                                             adapter.flags},
                     QStringLiteral("parameters"));
    if (const auto *programming = std::get_if<Protocol::LanProgramming>(&asked))
        return programLanAdapter(adapter, request, *programming);
    if (std::holds_alternative<Protocol::MeasurementRequest>(asked))
        return reply(Protocol::CodeMeasurementReplyEcho,
                     measurementValues(adapter.channels, adapter.temperature1.tenths, adapter.temperature2.tenths),
                     QStringLiteral("measurement values"));
    if (const auto *switching = std::get_if<Protocol::SwitchRequest>(&asked)) {
        if (!request.complete())
            return tooShort(request);
        const QString note = switchOutputs(adapter.channels, switching->outputs);
        return reply(Protocol::CodeSwitchAcknowledged,
                     Protocol::SwitchAcknowledged{quint8(adapter.channels.outputs & ChannelMask)}, note);
    }
    if (const auto *autoSend = std::get_if<Protocol::AutoSendRequest>(&asked)) {
        if (!request.complete())
            return tooShort(request);
        return {QByteArray(), enableAutoSend(adapter.channels, autoSend->inputs), false, false};
    }
    return unknownCommand();
}

Answer answerRadioDevice(RadioDevice &device, const ParsedRequest &request)
{
    const bool weatherStation = device.kind == RadioKind::WeatherStation;
    const auto reply = [&](quint8 code, const Protocol::ReplyPayload &payload, const QString &note) {
        const Header header = replyTo(request.message.header, code, device.eNum, device.high, device.low,
                                      DeviceClassRadio, device.deviceFunction());
        return Answer{Protocol::encodeReply({header, payload}), note, false, false};
    };
    const Protocol::RequestPayload &asked = request.message.payload;
    if (std::holds_alternative<Protocol::ParameterRequest>(asked))
        return reply(Protocol::CodeParameterReply,
                     Protocol::RadioParameters{Protocol::txPowerByte(device.txPowerCode),
                                               Protocol::frequencyWord(device.frequencyCode),
                                               firmwareOf(device.firmware), device.flags, device.tDiffOn,
                                               device.tDiffOff},
                     QStringLiteral("parameters"));
    if (const auto *programming = std::get_if<Protocol::RadioProgramming>(&asked))
        return programRadioDevice(device, request, *programming);
    if (std::holds_alternative<Protocol::MeasurementRequest>(asked)) {
        if (weatherStation) // its measurement values are the weather data
            return reply(Protocol::CodeWeatherData, weatherData(device.weather), QStringLiteral("weather data"));
        return reply(Protocol::CodeMeasurementReplyEcho, radioMeasurementValues(device),
                     QStringLiteral("measurement values"));
    }
    if (const auto *switching = std::get_if<Protocol::SwitchRequest>(&asked)) {
        if (weatherStation)
            return ignore(QStringLiteral("a weather station has no outputs"));
        if (!request.complete())
            return tooShort(request);
        const QString note = switchOutputs(device.channels, switching->outputs);
        return reply(Protocol::CodeSwitchAcknowledged,
                     Protocol::SwitchAcknowledged{quint8(device.channels.outputs & ChannelMask)}, note);
    }
    if (const auto *autoSend = std::get_if<Protocol::AutoSendRequest>(&asked)) {
        if (weatherStation)
            return ignore(QStringLiteral("a weather station has no inputs"));
        if (!request.complete())
            return tooShort(request);
        return {QByteArray(), enableAutoSend(device.channels, autoSend->inputs), false, false};
    }
    return unknownCommand();
}

QByteArray measurementReport(const LanAdapter &adapter)
{
    const Header header = unasked(Protocol::CodeMeasurementReply, adapter.eNum, LanHome, LanSourceHigh, LanSourceLow,
                                  DeviceClassLan, adapter.deviceFunction);
    return Protocol::encodeReply(
        {header, measurementValues(adapter.channels, adapter.temperature1.tenths, adapter.temperature2.tenths)});
}

QByteArray measurementReport(const RadioDevice &device)
{
    const Header header = unasked(Protocol::CodeMeasurementReply, device.eNum, device.home, device.high, device.low,
                                  DeviceClassRadio, device.deviceFunction());
    return Protocol::encodeReply({header, radioMeasurementValues(device)});
}

QByteArray weatherFrame(const RadioDevice &device)
{
    const Header header = unasked(Protocol::CodeWeatherData, device.eNum, device.home, device.high, device.low,
                                  DeviceClassRadio, device.deviceFunction());
    return Protocol::encodeReply({header, weatherData(device.weather)});
}

bool setInput(Channels &channels, int channel, bool active)
{
    const quint8 bit = static_cast<quint8>(1u << (channel - 1));
    const bool was = channels.inputs & bit;
    channels.inputs = static_cast<quint8>(active ? channels.inputs | bit : channels.inputs & ~bit);
    return was != active && (channels.autoSend & bit);
}

quint8 toggleChangingInputs(Channels &channels)
{
    const quint8 changing = channels.changingInputs & ChannelMask;
    channels.inputs ^= changing;
    return changing & channels.autoSend;
}

void drift(LanAdapter &adapter)
{
    adapter.temperature1.advance();
    adapter.temperature2.advance();
}

void drift(RadioDevice &device)
{
    switch (device.kind) {
    case RadioKind::Thermostat:
        if (device.flags & TDiffRegulatorFlag)
            regulate(device);
        else
            device.temperature.advance();
        break;
    case RadioKind::WeatherStation:
        device.weather.outside.advance();
        break;
    case RadioKind::Switching:
        device.temperature.advance();
        break;
    }
}

RadioAddress addressOf(const RadioDevice &device)
{
    return {device.home, device.high, device.low};
}

std::optional<RadioAddress> newRadioAddress(const ParsedRequest &request)
{
    const auto *programming = std::get_if<Protocol::RadioProgramming>(&request.message.payload);
    if (!programming || !request.complete())
        return std::nullopt;
    return programming->address;
}

QString radioAddressText(const RadioDevice &device)
{
    return QStringLiteral("%1/%2/%3").arg(device.home).arg(device.high).arg(device.low);
}

QString kindName(RadioKind kind)
{
    switch (kind) {
    case RadioKind::Thermostat:
        return QStringLiteral("thermostat");
    case RadioKind::WeatherStation:
        return QStringLiteral("weather station");
    case RadioKind::Switching:
        break;
    }
    return QStringLiteral("switching device");
}

} // namespace DeviceBehaviour
