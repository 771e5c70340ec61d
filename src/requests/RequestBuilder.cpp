#include "requests/RequestBuilder.h"

#include "entry/ProgrammingChecks.h"
#include "protocol/Frame.h"
#include "requests/BitOperations.h"
#include "requests/NumberConversions.h"

#include <optional>

namespace RequestBuilder {

namespace {

using NumberConversions::toByte;

constexpr int SwitchOn = 1;
constexpr int CheckedValue = 1;


// A step that cannot compute its byte leaves it 0.
quint8 byteOr0(std::optional<qint32> value)
{
    return value ? toByte(*value).value_or(0) : 0;
}

quint8 wholeByte(const QString &text)
{
    return byteOr0(NumberConversions::wholeNumber(text));
}

quint8 leadingByte(const QString &text)
{
    return byteOr0(NumberConversions::leadingWholeNumber(text));
}

quint8 tDiffByte(const QString &text)
{
    return NumberConversions::tDiffByte(text).value_or(0);
}

Protocol::Ipv4 address(const std::array<QString, 20> &fields, int first)
{
    Protocol::Ipv4 octets{};
    for (int k = 0; k < OctetsPerAddress; ++k)
        octets[std::size_t(k)] = wholeByte(fields[std::size_t(first + k)]);
    return octets;
}

template<std::size_t N>
quint8 flagByte(const std::array<int, N> &boxes, int count)
{
    quint8 flags = 0;
    for (int bit = 0; bit < count; ++bit) {
        if (boxes[bit] == CheckedValue)
            BitOperations::SetBitB(flags, bit);
    }
    return flags;
}

bool knownCommand(int command)
{
    return command >= CommandParameterRequest && command <= CommandAutoSend;
}

} // namespace

BuiltRequest BuildRequest(const RequestSnapshot &snapshot)
{
    BuiltRequest result;
    result.effects.append(RequestEffects::SetLongReplyTimeout{true});

    // Only the two target kinds the window offers have a request.
    if (snapshot.targetKindIndex != TargetLan && snapshot.targetKindIndex != TargetRadio)
        return result;
    if (!knownCommand(snapshot.currentCommand))
        return result;
    const bool radio = snapshot.targetKindIndex == TargetRadio;

    // The destination is read before programming can change the current fields.
    Protocol::Header header;
    header.sourceHigh = Protocol::ToolAddressHigh;
    header.sourceLow = Protocol::ToolAddressLow;
    header.deviceFunction = Protocol::ToolDeviceFunction;
    if (radio) {
        header.deviceClass = Protocol::DeviceClassRadio;
        header.destination = {leadingByte(snapshot.text3[RadioHomeIndex]), leadingByte(snapshot.text3[RadioHighIndex]),
                              leadingByte(snapshot.text3[RadioLowIndex])};
    } else {
        header.deviceClass = Protocol::DeviceClassLan;
        header.destination = Protocol::LanDestination;
    }

    // The current eNum as the header reads it at the end, after any copy below.
    QString currentENum = radio ? snapshot.text3[RadioENumIndex] : snapshot.text1[LanENumIndex];
    Protocol::RequestPayload payload;

    switch (snapshot.currentCommand) {
    case CommandParameterRequest:
        header.code = Protocol::CodeParameterRequest;
        payload = Protocol::ParameterRequest{};
        break;
    case CommandMeasurementRequest:
        header.code = Protocol::CodeMeasurementRequest;
        payload = Protocol::MeasurementRequest{};
        break;
    case CommandSwitch: {
        header.code = Protocol::CodeSwitch;
        Protocol::ChannelSelection outputs;
        if (snapshot.port1State == SwitchOn)
            BitOperations::SetBitB(outputs.states, snapshot.currentChannel);
        BitOperations::SetBitB(outputs.addressed, snapshot.currentChannel);
        payload = Protocol::SwitchRequest{outputs};
        result.effects.append(RequestEffects::WriteLog{QStringLiteral("Sende Schalbefehl ")});
        break;
    }
    case CommandAutoSend: {
        header.code = Protocol::CodeAutoSend;
        Protocol::ChannelSelection inputs;
        BitOperations::SetBitB(inputs.addressed, snapshot.currentChannel);
        payload = Protocol::AutoSendRequest{inputs};
        result.effects.append(RequestEffects::SetLongReplyTimeout{false});
        break;
    }
    case CommandProgramming:
        header.code = Protocol::CodeProgramming;
        if (!radio) {
            Protocol::LanProgramming lan;
            lan.ipAddress = address(snapshot.text2, LanIpAddressIndex);
            lan.gateway = address(snapshot.text2, LanGatewayIndex);
            lan.subnetMask = address(snapshot.text2, LanSubnetMaskIndex);
            lan.standardDestination = address(snapshot.text2, LanStdDestIndex);
            const NumberConversions::PortBytes port = NumberConversions::portBytes(snapshot.text2[LanPortIndex]);
            lan.port = quint16(port.high.value_or(0) << Protocol::ByteBits | port.low.value_or(0));
            lan.flags = flagByte(snapshot.check2, LanFlagCount);

            // The new eNum and flags become the current ones as soon as they are sent.
            currentENum = snapshot.text2[LanENumIndex];
            result.effects.append(RequestEffects::SetText{{ControlArray::Text1, LanENumIndex}, currentENum});
            for (int flag = 0; flag < LanFlagCount; ++flag)
                result.effects.append(RequestEffects::SetCheck{{ControlArray::Check1, flag}, snapshot.check2[flag]});

            lan.tDiffOn = tDiffByte(snapshot.text2[LanTDiffOnIndex]);
            lan.tDiffOff = tDiffByte(snapshot.text2[LanTDiffOffIndex]);
            payload = lan;
        } else {
            const CheckVerdict addresses = ProgrammingChecks::CheckRadioAddresses(
                snapshot.text5[RadioHomeIndex], snapshot.text5[RadioHighIndex], snapshot.text5[RadioLowIndex]);
            if (addresses.failed) {
                result.effects.append(RequestEffects::ShowCheckVerdict{addresses});
                return result;
            }
            Protocol::RadioProgramming radioDevice;
            radioDevice.address = {wholeByte(snapshot.text5[RadioHomeIndex]), wholeByte(snapshot.text5[RadioHighIndex]),
                                   wholeByte(snapshot.text5[RadioLowIndex])};
            radioDevice.txPower = snapshot.txPowerByte;
            radioDevice.frequency = quint16(snapshot.frequencyHigh << Protocol::ByteBits | snapshot.frequencyLow);
            radioDevice.flags = flagByte(snapshot.check4, RadioFlagCount);

            const CheckVerdict tDiff =
                ProgrammingChecks::CheckTDiff(snapshot.text5[RadioTDiffOnIndex], snapshot.text5[RadioTDiffOffIndex]);
            if (tDiff.failed) {
                result.effects.append(RequestEffects::ShowCheckVerdict{tDiff});
                return result;
            }
            radioDevice.tDiffOn = tDiffByte(snapshot.text5[RadioTDiffOnIndex]);
            radioDevice.tDiffOff = tDiffByte(snapshot.text5[RadioTDiffOffIndex]);
            payload = radioDevice;

            // Both checks passed: the device is known by its new address from now on.
            for (int field = RadioHomeIndex; field <= RadioLowIndex; ++field)
                result.effects.append(RequestEffects::SetText{{ControlArray::Text3, field}, snapshot.text5[field]});
        }
        break;
    }

    // The header's eNum is read last, so it sees the eNum a LAN programming copied.
    header.eNum = wholeByte(currentENum);
    result.requestFrame = Protocol::encodeRequest({header, payload});
    return result;
}

} // namespace RequestBuilder
