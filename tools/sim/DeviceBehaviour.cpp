#include "DeviceBehaviour.h"

#include "entry/SelectorRows.h"
#include "requests/FrameFormat.h"

#include <QStringList>

namespace DeviceBehaviour {

namespace {

using SimFrame::Frame;
using namespace FrameFormat;

// Where unasked frames go: the home of the LAN devices and the address the
// tool sends from.
constexpr quint8 LanHome = 28;
constexpr quint8 ToolHigh = 255;
constexpr quint8 ToolLow = 254;
// A LAN adapter has no radio address of its own.
constexpr quint8 LanSourceHigh = 0;
constexpr quint8 LanSourceLow = 0;

constexpr int ChannelFlagOffset = 4; // the high four bits of a switch or AutoSend byte say which channels
constexpr quint8 RadioFlagMask = 0x3F;
constexpr quint8 TDiffRegulatorFlag = 0x20;
constexpr quint8 HeatingOutput = 0x01;
constexpr quint16 FrequencyCodeMask = (1u << SelectorRows::FrequencyBits) - 1;
constexpr quint8 TxPowerCodeMask = (1u << SelectorRows::TxPowerBits) - 1;
constexpr int ByteBits = 8;
constexpr int ByteBase = 256;
constexpr int UnreadWeatherBytes = 3;

// Payload of LAN programming.
constexpr int LanNewAddress = 0;
constexpr int LanNewGateway = 4;
constexpr int LanNewMask = 8;
constexpr int LanNewDestination = 12;
constexpr int LanNewPortHigh = 16;
constexpr int LanNewPortLow = 17;
constexpr int LanNewFlags = 18;
constexpr int LanNewTDiffOn = 19;
constexpr int LanNewTDiffOff = 20;
// Payload of radio programming.
constexpr int RadioNewHome = 0;
constexpr int RadioNewHigh = 1;
constexpr int RadioNewLow = 2;
constexpr int RadioNewTxPower = 3;
constexpr int RadioNewFrequencyHigh = 4;
constexpr int RadioNewFrequencyLow = 5;
constexpr int RadioNewFlags = 6;
constexpr int RadioNewTDiffOn = 7;
constexpr int RadioNewTDiffOff = 8;

// Addresses a device cannot take: none, broadcast, multicast and above.
constexpr quint8 FirstUnusableOctet = 224;

quint8 at(const QByteArray &payload, int index)
{
    return static_cast<quint8>(payload[index]);
}

void appendByte(QByteArray &bytes, int value)
{
    bytes.append(static_cast<char>(static_cast<quint8>(value)));
}

void appendAddress(QByteArray &bytes, const Ipv4 &address)
{
    for (quint8 octet : address)
        appendByte(bytes, octet);
}

Ipv4 addressAt(const QByteArray &payload, int first)
{
    return {at(payload, first), at(payload, first + 1), at(payload, first + 2), at(payload, first + 3)};
}

// A reply goes back to whoever sent the request.
Frame replyTo(const Frame &request, quint8 code, quint8 eNum, quint8 srcHigh, quint8 srcLow, quint8 deviceClass,
              quint8 function)
{
    Frame reply;
    reply.code = code;
    reply.eNum = eNum;
    reply.destHome = request.destHome;
    reply.destHigh = request.srcHigh;
    reply.destLow = request.srcLow;
    reply.srcHigh = srcHigh;
    reply.srcLow = srcLow;
    reply.deviceClass = deviceClass;
    reply.deviceFunction = function;
    return reply;
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

QByteArray measurementPayload(const Channels &channels, int first, int second)
{
    QByteArray payload;
    appendByte(payload, channels.outputs & ChannelMask);
    appendByte(payload, channels.inputs & ChannelMask);
    payload.append(SimFrame::encodeTemperature(first));
    payload.append(SimFrame::encodeTemperature(second));
    return payload;
}

QByteArray radioMeasurementPayload(const RadioDevice &device)
{
    const int second = device.kind == RadioKind::Thermostat ? device.setPoint : 0;
    return measurementPayload(device.channels, device.temperature.tenths, second);
}

QByteArray weatherPayload(const WeatherValues &weather)
{
    QByteArray payload;
    appendByte(payload, weather.wind);
    appendByte(payload, weather.windMax);
    appendByte(payload, weather.rain / ByteBase);
    appendByte(payload, weather.rain % ByteBase);
    payload.append(QByteArray(UnreadWeatherBytes, '\0'));
    payload.append(SimFrame::encodeTemperature(weather.outside.tenths));
    appendByte(payload, weather.light);
    return payload;
}

// Switch byte: the high four bits say which outputs are meant, the low four their new state.
QString switchOutputs(Channels &channels, quint8 switchByte)
{
    QStringList changes;
    for (int n = 0; n < ChannelCount; ++n) {
        if (!(switchByte & (1u << (n + ChannelFlagOffset))))
            continue;
        const bool on = switchByte & (1u << n);
        channels.outputs = static_cast<quint8>(on ? channels.outputs | (1u << n) : channels.outputs & ~(1u << n));
        changes << QStringLiteral("output %1 %2").arg(n + 1).arg(onOff(on));
    }
    return changes.isEmpty() ? QStringLiteral("no output addressed") : changes.join(QStringLiteral(", "));
}

QString enableAutoSend(Channels &channels, quint8 channelByte)
{
    const quint8 inputs = channelByte >> ChannelFlagOffset;
    channels.autoSend |= inputs;
    return inputs ? QStringLiteral("AutoSend on for input %1").arg(channelList(inputs))
                  : QStringLiteral("no input addressed");
}

Answer ignore(const QString &why)
{
    return {QByteArray(), why, true, false};
}

Answer tooShort(const Frame &request, int needed)
{
    return ignore(QStringLiteral("command %1 needs %2 payload bytes, %3 came")
                      .arg(request.code)
                      .arg(needed)
                      .arg(request.payload.size()));
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

Answer programLanAdapter(LanAdapter &adapter, const Frame &request)
{
    const QByteArray &p = request.payload;
    if (p.size() < PayloadLengthProgrammingLan)
        return tooShort(request, PayloadLengthProgrammingLan);
    const Ipv4 address = addressAt(p, LanNewAddress);
    const quint16 port = static_cast<quint16>(at(p, LanNewPortHigh) * ByteBase + at(p, LanNewPortLow));
    if (address[0] == 0 || address[0] >= FirstUnusableOctet)
        return ignore(QStringLiteral("refused the new address %1: no device can take it").arg(ipv4Text(address)));
    if (port == 0)
        return ignore(QStringLiteral("refused port 0"));
    const bool moved = address != adapter.address || port != adapter.port;
    adapter.address = address;
    adapter.gateway = addressAt(p, LanNewGateway);
    adapter.subnetMask = addressAt(p, LanNewMask);
    adapter.standardDestination = addressAt(p, LanNewDestination);
    adapter.port = port;
    adapter.eNum = request.eNum; // the new eNum travels in the header
    adapter.flags = at(p, LanNewFlags);
    adapter.tDiffOn = at(p, LanNewTDiffOn);
    adapter.tDiffOff = at(p, LanNewTDiffOff);
    const Frame reply = replyTo(request, CodeProgrammingAcknowledgedNewLan, adapter.eNum, LanSourceHigh, LanSourceLow,
                                DeviceClassLan, adapter.deviceFunction);
    const QString note = QStringLiteral("programmed: %1 port %2, gateway %3, mask %4, destination %5, eNum %6, "
                                        "flags %7, T-Diff %8/%9")
                             .arg(ipv4Text(adapter.address))
                             .arg(adapter.port)
                             .arg(ipv4Text(adapter.gateway), ipv4Text(adapter.subnetMask),
                                  ipv4Text(adapter.standardDestination))
                             .arg(adapter.eNum)
                             .arg(SimFrame::hexDump(QByteArray(1, char(adapter.flags))))
                             .arg(tenthsText(adapter.tDiffOn), tenthsText(adapter.tDiffOff));
    return {SimFrame::encode(reply), note, false, moved};
}

Answer programRadioDevice(RadioDevice &device, const Frame &request)
{
    const QByteArray &p = request.payload;
    if (p.size() < PayloadLengthProgrammingRadio)
        return tooShort(request, PayloadLengthProgrammingRadio);
    device.home = at(p, RadioNewHome);
    device.high = at(p, RadioNewHigh);
    device.low = at(p, RadioNewLow);
    device.txPowerCode = at(p, RadioNewTxPower) & TxPowerCodeMask;
    device.frequencyCode = static_cast<quint16>((at(p, RadioNewFrequencyHigh) << ByteBits | at(p, RadioNewFrequencyLow))
                                                & FrequencyCodeMask);
    device.flags = at(p, RadioNewFlags) & RadioFlagMask;
    device.tDiffOn = at(p, RadioNewTDiffOn);
    device.tDiffOff = at(p, RadioNewTDiffOff);
    // Acknowledged from the new address: the device has taken it.
    const Frame reply = replyTo(request, CodeProgrammingAcknowledged, device.eNum, device.high, device.low,
                                DeviceClassRadio, device.deviceFunction());
    const QString note = QStringLiteral("programmed: address %1, transmit power code %2, frequency code %3, "
                                        "flags %4, T-Diff %5/%6")
                             .arg(radioAddressText(device))
                             .arg(device.txPowerCode)
                             .arg(device.frequencyCode)
                             .arg(SimFrame::hexDump(QByteArray(1, char(device.flags))))
                             .arg(tenthsText(device.tDiffOn), tenthsText(device.tDiffOff));
    return {SimFrame::encode(reply), note, false, false};
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

Answer answerLanAdapter(LanAdapter &adapter, const Frame &request)
{
    const auto reply = [&](quint8 code, const QByteArray &payload, const QString &note) {
        Frame frame = replyTo(request, code, adapter.eNum, LanSourceHigh, LanSourceLow, DeviceClassLan,
                              adapter.deviceFunction);
        frame.payload = payload;
        return Answer{SimFrame::encode(frame), note, false, false};
    };
    switch (request.code) {
    case CodeParameterRequest: {
        QByteArray payload = adapter.firmware.leftJustified(FirmwareLength, ' ', true);
        appendAddress(payload, adapter.address);
        appendAddress(payload, adapter.gateway);
        appendAddress(payload, adapter.subnetMask);
        appendAddress(payload, adapter.standardDestination);
        appendByte(payload, adapter.port / ByteBase);
        appendByte(payload, adapter.port % ByteBase);
        appendByte(payload, adapter.flags);
        return reply(CodeParameterReply, payload, QStringLiteral("parameters"));
    }
    case CodeProgramming:
        return programLanAdapter(adapter, request);
    case CodeMeasurementRequest:
        return reply(CodeMeasurementReplyEcho,
                     measurementPayload(adapter.channels, adapter.temperature1.tenths, adapter.temperature2.tenths),
                     QStringLiteral("measurement values"));
    case CodeSwitch: {
        if (request.payload.size() < PayloadLengthSwitch)
            return tooShort(request, PayloadLengthSwitch);
        const QString note = switchOutputs(adapter.channels, at(request.payload, 0));
        return reply(CodeSwitchAcknowledged, QByteArray(1, char(adapter.channels.outputs & ChannelMask)), note);
    }
    case CodeAutoSend:
        if (request.payload.size() < PayloadLengthAutoSend)
            return tooShort(request, PayloadLengthAutoSend);
        return {QByteArray(), enableAutoSend(adapter.channels, at(request.payload, 0)), false, false};
    default:
        return unknownCommand();
    }
}

Answer answerRadioDevice(RadioDevice &device, const Frame &request)
{
    const bool weatherStation = device.kind == RadioKind::WeatherStation;
    const auto reply = [&](quint8 code, const QByteArray &payload, const QString &note) {
        Frame frame = replyTo(request, code, device.eNum, device.high, device.low, DeviceClassRadio,
                              device.deviceFunction());
        frame.payload = payload;
        return Answer{SimFrame::encode(frame), note, false, false};
    };
    switch (request.code) {
    case CodeParameterRequest: {
        QByteArray payload;
        appendByte(payload, SelectorRows::CodeBytePattern | device.txPowerCode);
        appendByte(payload, SelectorRows::CodeBytePattern | device.frequencyCode >> ByteBits);
        appendByte(payload, device.frequencyCode % ByteBase);
        payload.append(device.firmware.leftJustified(FirmwareLength, ' ', true));
        appendByte(payload, device.flags);
        appendByte(payload, device.tDiffOn);
        appendByte(payload, device.tDiffOff);
        return reply(CodeParameterReply, payload, QStringLiteral("parameters"));
    }
    case CodeProgramming:
        return programRadioDevice(device, request);
    case CodeMeasurementRequest:
        if (weatherStation) // its measurement values are the weather data
            return reply(CodeWeatherData, weatherPayload(device.weather), QStringLiteral("weather data"));
        return reply(CodeMeasurementReplyEcho, radioMeasurementPayload(device), QStringLiteral("measurement values"));
    case CodeSwitch: {
        if (weatherStation)
            return ignore(QStringLiteral("a weather station has no outputs"));
        if (request.payload.size() < PayloadLengthSwitch)
            return tooShort(request, PayloadLengthSwitch);
        const QString note = switchOutputs(device.channels, at(request.payload, 0));
        return reply(CodeSwitchAcknowledged, QByteArray(1, char(device.channels.outputs & ChannelMask)), note);
    }
    case CodeAutoSend:
        if (weatherStation)
            return ignore(QStringLiteral("a weather station has no inputs"));
        if (request.payload.size() < PayloadLengthAutoSend)
            return tooShort(request, PayloadLengthAutoSend);
        return {QByteArray(), enableAutoSend(device.channels, at(request.payload, 0)), false, false};
    default:
        return unknownCommand();
    }
}

QByteArray measurementReport(const LanAdapter &adapter)
{
    Frame frame{CodeMeasurementReply, adapter.eNum, LanHome, ToolHigh, ToolLow, LanSourceHigh, LanSourceLow,
                DeviceClassLan, adapter.deviceFunction,
                measurementPayload(adapter.channels, adapter.temperature1.tenths, adapter.temperature2.tenths)};
    return SimFrame::encode(frame);
}

QByteArray measurementReport(const RadioDevice &device)
{
    Frame frame{CodeMeasurementReply, device.eNum, device.home, ToolHigh, ToolLow, device.high, device.low,
                DeviceClassRadio, device.deviceFunction(), radioMeasurementPayload(device)};
    return SimFrame::encode(frame);
}

QByteArray weatherFrame(const RadioDevice &device)
{
    Frame frame{CodeWeatherData, device.eNum, device.home, ToolHigh, ToolLow, device.high, device.low,
                DeviceClassRadio, device.deviceFunction(), weatherPayload(device.weather)};
    return SimFrame::encode(frame);
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

std::optional<RadioAddress> newRadioAddress(const Frame &request)
{
    if (request.code != CodeProgramming || request.payload.size() < PayloadLengthProgrammingRadio)
        return std::nullopt;
    const QByteArray &p = request.payload;
    return RadioAddress{at(p, RadioNewHome), at(p, RadioNewHigh), at(p, RadioNewLow)};
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
