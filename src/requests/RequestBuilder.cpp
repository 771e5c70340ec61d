#include "requests/RequestBuilder.h"

#include "entry/ProgrammingChecks.h"
#include "requests/BitOperations.h"
#include "requests/FrameFormat.h"
#include "requests/NumberConversions.h"

#include <array>
#include <optional>

namespace RequestBuilder {

namespace {

using namespace FrameFormat;
using NumberConversions::toByte;

// The body is prepared longer than any request and cut to its length at the end.
constexpr int BodyBufferLength = 40;

constexpr quint8 Reserved = 0;
constexpr quint8 SenderHigh = 255;
constexpr quint8 SenderLow = 254;
constexpr quint8 DeviceFunction = 1;
constexpr quint8 DeviceClassLan = 1;
constexpr quint8 DeviceClassRadio = 2;
// LAN devices are reached at their IP address; the header carries this fixed destination.
constexpr quint8 LanDestHome = 28;
constexpr quint8 LanDestHigh = 255;
constexpr quint8 LanDestLow = 254;

constexpr int ChannelFlagOffset = 4; // the high four bits of a switch or channel byte say which channel
constexpr int SwitchOn = 1;
constexpr int CheckedValue = 1;

constexpr int NewLanAddressFields = 16; // four addresses of four octets
constexpr int LanPortIndex = 16;
constexpr int LanENumIndex = 17;
constexpr int LanTDiffOnIndex = 18;
constexpr int LanTDiffOffIndex = 19;
constexpr int LanFlagCount = 8;
constexpr int RadioHomeIndex = 0;
constexpr int RadioHighIndex = 1;
constexpr int RadioLowIndex = 2;
constexpr int RadioENumIndex = 3;
constexpr int RadioTDiffOnIndex = 4;
constexpr int RadioTDiffOffIndex = 5;
constexpr int RadioFlagCount = 6;

// Payload byte k (from 1) sits at body position PosData + k - 1.
constexpr int payloadPosition(int byteNumber)
{
    return PosData + byteNumber - 1;
}

constexpr int LanPortHighByte = 17;
constexpr int LanPortLowByte = 18;
constexpr int LanFlagsByte = 19;
constexpr int LanTDiffOnByte = 20;
constexpr int LanTDiffOffByte = 21;
constexpr int RadioTxPowerByte = 4;
constexpr int RadioFrequencyHighByte = 5;
constexpr int RadioFrequencyLowByte = 6;
constexpr int RadioFlagsByte = 7;
constexpr int RadioTDiffOnByte = 8;
constexpr int RadioTDiffOffByte = 9;

class Body
{
public:
    // A step that could not compute its byte leaves the 0 it had.
    void put(int position, std::optional<quint8> value)
    {
        if (value)
            m_bytes[position - 1] = *value;
    }
    QByteArray first(int length) const
    {
        return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), length);
    }

private:
    std::array<quint8, BodyBufferLength> m_bytes{};
};

std::optional<quint8> byteOf(std::optional<qint32> value)
{
    return value ? toByte(*value) : std::nullopt;
}

std::optional<quint8> wholeByte(const QString &text)
{
    return byteOf(NumberConversions::wholeNumber(text));
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

struct Header
{
    quint8 deviceClass = 0;
    std::optional<quint8> destHome;
    std::optional<quint8> destHigh;
    std::optional<quint8> destLow;
};

struct Command
{
    quint8 code = 0;
    int length = 0;
};

std::optional<Command> commandFor(int currentCommand, bool radio)
{
    switch (currentCommand) {
    case CommandParameterRequest:
        return Command{CodeParameterRequest, LengthParameterRequest};
    case CommandProgramming:
        return Command{CodeProgramming, radio ? LengthProgrammingRadio : LengthProgrammingLan};
    case CommandMeasurementRequest:
        return Command{CodeMeasurementRequest, LengthMeasurementRequest};
    case CommandSwitch:
        return Command{CodeSwitch, LengthSwitch};
    case CommandAutoSend:
        return Command{CodeAutoSend, LengthAutoSend};
    default:
        return std::nullopt;
    }
}

} // namespace

BuiltRequest BuildRequest(const RequestSnapshot &snapshot)
{
    BuiltRequest result;
    result.effects.append(RequestEffects::SetLongReplyTimeout{true});

    // Only the two target kinds the window offers have a request.
    if (snapshot.targetKindIndex != TargetLan && snapshot.targetKindIndex != TargetRadio)
        return result;
    const bool radio = snapshot.targetKindIndex == TargetRadio;
    const std::optional<Command> command = commandFor(snapshot.currentCommand, radio);
    if (!command)
        return result;

    // The destination is read before programming can change the current fields.
    Header header;
    if (radio) {
        header.deviceClass = DeviceClassRadio;
        header.destHome = byteOf(NumberConversions::leadingWholeNumber(snapshot.text3[RadioHomeIndex]));
        header.destHigh = byteOf(NumberConversions::leadingWholeNumber(snapshot.text3[RadioHighIndex]));
        header.destLow = byteOf(NumberConversions::leadingWholeNumber(snapshot.text3[RadioLowIndex]));
    } else {
        header = {DeviceClassLan, LanDestHome, LanDestHigh, LanDestLow};
    }

    // The current eNum as the header reads it at the end, after any copy below.
    QString currentENum = radio ? snapshot.text3[RadioENumIndex] : snapshot.text1[LanENumIndex];
    Body body;

    switch (snapshot.currentCommand) {
    case CommandSwitch: {
        const int channel = snapshot.currentChannel;
        quint8 switchByte = 0;
        if (snapshot.port1State == SwitchOn)
            BitOperations::SetBitB(switchByte, channel);
        BitOperations::SetBitB(switchByte, channel + ChannelFlagOffset);
        body.put(PosData, switchByte);
        result.effects.append(RequestEffects::WriteLog{QStringLiteral("Sende Schalbefehl ")});
        break;
    }
    case CommandAutoSend: {
        quint8 channelByte = 0;
        BitOperations::SetBitB(channelByte, snapshot.currentChannel + ChannelFlagOffset);
        body.put(PosData, channelByte);
        result.effects.append(RequestEffects::SetLongReplyTimeout{false});
        break;
    }
    case CommandProgramming:
        if (!radio) {
            for (int field = 0; field < NewLanAddressFields; ++field)
                body.put(payloadPosition(field + 1), wholeByte(snapshot.text2[field]));
            const NumberConversions::PortBytes port = NumberConversions::portBytes(snapshot.text2[LanPortIndex]);
            body.put(payloadPosition(LanPortHighByte), port.high);
            body.put(payloadPosition(LanPortLowByte), port.low);
            body.put(payloadPosition(LanFlagsByte), flagByte(snapshot.check2, LanFlagCount));

            // The new eNum and flags become the current ones as soon as they are sent.
            currentENum = snapshot.text2[LanENumIndex];
            result.effects.append(RequestEffects::SetText{{ControlArray::Text1, LanENumIndex}, currentENum});
            for (int flag = 0; flag < LanFlagCount; ++flag)
                result.effects.append(RequestEffects::SetCheck{{ControlArray::Check1, flag}, snapshot.check2[flag]});

            body.put(payloadPosition(LanTDiffOnByte), NumberConversions::tDiffByte(snapshot.text2[LanTDiffOnIndex]));
            body.put(payloadPosition(LanTDiffOffByte), NumberConversions::tDiffByte(snapshot.text2[LanTDiffOffIndex]));
        } else {
            const CheckVerdict addresses = ProgrammingChecks::CheckRadioAddresses(
                snapshot.text5[RadioHomeIndex], snapshot.text5[RadioHighIndex], snapshot.text5[RadioLowIndex]);
            if (addresses.failed) {
                result.effects.append(RequestEffects::ShowCheckVerdict{addresses});
                return result;
            }
            for (int field = RadioHomeIndex; field <= RadioLowIndex; ++field)
                body.put(payloadPosition(field + 1), wholeByte(snapshot.text5[field]));
            body.put(payloadPosition(RadioTxPowerByte), snapshot.txPowerByte);
            body.put(payloadPosition(RadioFrequencyHighByte), snapshot.frequencyHigh);
            body.put(payloadPosition(RadioFrequencyLowByte), snapshot.frequencyLow);
            body.put(payloadPosition(RadioFlagsByte), flagByte(snapshot.check4, RadioFlagCount));

            const CheckVerdict tDiff =
                ProgrammingChecks::CheckTDiff(snapshot.text5[RadioTDiffOnIndex], snapshot.text5[RadioTDiffOffIndex]);
            if (tDiff.failed) {
                result.effects.append(RequestEffects::ShowCheckVerdict{tDiff});
                return result;
            }
            body.put(payloadPosition(RadioTDiffOnByte), NumberConversions::tDiffByte(snapshot.text5[RadioTDiffOnIndex]));
            body.put(payloadPosition(RadioTDiffOffByte), NumberConversions::tDiffByte(snapshot.text5[RadioTDiffOffIndex]));

            // Both checks passed: the device is known by its new address from now on.
            for (int field = RadioHomeIndex; field <= RadioLowIndex; ++field)
                result.effects.append(RequestEffects::SetText{{ControlArray::Text3, field}, snapshot.text5[field]});
        }
        break;
    default:
        break; // parameter and measurement requests carry no payload
    }

    // The header follows the payload, so it sees the eNum a LAN programming copied.
    body.put(PosReserved, Reserved);
    body.put(PosCommand, command->code);
    body.put(PosLength, static_cast<quint8>(command->length));
    body.put(PosENum, wholeByte(currentENum));
    body.put(PosDestHome, header.destHome);
    body.put(PosDestHigh, header.destHigh);
    body.put(PosDestLow, header.destLow);
    body.put(PosSrcHigh, SenderHigh);
    body.put(PosSrcLow, SenderLow);
    body.put(PosDeviceClass, header.deviceClass);
    body.put(PosDeviceFunction, DeviceFunction);

    QByteArray bodyBytes = body.first(command->length);
    bodyBytes[PosChecksum - 1] = static_cast<char>(frameChecksum(bodyBytes));
    result.requestFrame = framePreamble() + bodyBytes;
    return result;
}

} // namespace RequestBuilder
