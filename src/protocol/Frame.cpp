#include "protocol/Frame.h"

namespace Protocol {

namespace {

using namespace Layout;

constexpr quint8 SignBit = 0x80;
constexpr int NibbleBits = 4;

void put(QByteArray &body, quint8 value)
{
    body.append(static_cast<char>(value));
}

void put(QByteArray &body, quint16 value)
{
    put(body, quint8(value >> ByteBits));
    put(body, quint8(value));
}

template<std::size_t N>
void put(QByteArray &body, const std::array<quint8, N> &parts)
{
    for (quint8 part : parts)
        put(body, part);
}

void put(QByteArray &body, const RadioAddress &address)
{
    put(body, address.home);
    put(body, address.high);
    put(body, address.low);
}

void put(QByteArray &body, const Temperature &temperature)
{
    put(body, quint8((temperature.tenths >> ByteBits & ~SignBit) | (temperature.negative ? SignBit : 0)));
    put(body, quint8(temperature.tenths));
}

void put(QByteArray &body, const ChannelSelection &channels)
{
    put(body, quint8((channels.addressed & ChannelMask) << NibbleBits | (channels.states & ChannelMask)));
}

// Each reads from exactly the field's bytes, but a field of parts from those of its parts that arrived.
quint8 at(QByteArrayView bytes, int index)
{
    return static_cast<quint8>(bytes[index]);
}

void take(QByteArrayView bytes, quint8 &value)
{
    value = at(bytes, 0);
}

void take(QByteArrayView bytes, quint16 &value)
{
    value = quint16(at(bytes, 0) << ByteBits | at(bytes, 1));
}

template<std::size_t N>
void take(QByteArrayView bytes, std::array<quint8, N> &parts)
{
    for (qsizetype k = 0; k < bytes.size(); ++k)
        parts[std::size_t(k)] = at(bytes, int(k));
}

void take(QByteArrayView bytes, RadioAddress &address)
{
    address = {at(bytes, 0), at(bytes, 1), at(bytes, 2)};
}

void take(QByteArrayView bytes, Temperature &temperature)
{
    temperature.negative = (at(bytes, 0) & SignBit) != 0;
    temperature.tenths = quint16((at(bytes, 0) & ~SignBit) << ByteBits | at(bytes, 1));
}

void take(QByteArrayView bytes, ChannelSelection &channels)
{
    channels = {quint8(at(bytes, 0) >> NibbleBits), quint8(at(bytes, 0) & ChannelMask)};
}

template<class T>
constexpr bool HasParts = false;
template<std::size_t N>
constexpr bool HasParts<std::array<quint8, N>> = true;

template<class Payload>
QByteArray encode(const Header &header, const Payload &payload)
{
    QByteArray body;
    const auto write = [&](auto field) {
        using F = decltype(field);
        if constexpr (!std::is_member_object_pointer_v<F>)
            body.append(QByteArray(widthOf<F>(), '\0')); // worked out below, or unused
        else if constexpr (std::is_same_v<typename MemberOf<F>::Class, Header>)
            put(body, header.*field);
        else
            put(body, payload.*field);
    };
    std::apply([&](auto... fields) { (write(fields), ...); }, HeaderFields);
    std::apply([&](auto... fields) { (write(fields), ...); }, Fields<Payload>::list);
    body[LengthOffset] = static_cast<char>(body.size());
    body[ChecksumOffset] = static_cast<char>(checksum(body));
    return preamble() + body;
}

// Reads the fields of the list, the first at offset start, from what arrived.
template<class Object, class List>
void read(QByteArrayView body, Object &object, const List &list, int start)
{
    int offset = start;
    const auto readField = [&](auto field) {
        using F = decltype(field);
        constexpr int width = widthOf<F>();
        if constexpr (std::is_member_object_pointer_v<F>) {
            const qsizetype there = std::clamp<qsizetype>(body.size() - offset, 0, width);
            if (there == width || (HasParts<typename MemberOf<F>::Type> && there > 0))
                take(body.sliced(offset, there), object.*field);
        }
        offset += width;
    };
    std::apply([&](auto... fields) { (readField(fields), ...); }, list);
}

template<class Message>
Parsed<Message> parse(QByteArrayView wire, auto kindOf)
{
    const QByteArrayView body = frameBody(wire);
    Parsed<Message> parsed;
    parsed.bodyArrived = body.size();
    read(body, parsed.message.header, HeaderFields, 0);
    parsed.message.payload = kindOf(parsed.message.header);
    std::visit([&](auto &payload) { read(body, payload, Fields<std::decay_t<decltype(payload)>>::list, HeaderLength); },
               parsed.message.payload);
    return parsed;
}

RequestPayload requestKind(const Header &header)
{
    switch (header.code) {
    case CodeParameterRequest:
        return ParameterRequest{};
    case CodeProgramming:
        if (header.deviceClass == DeviceClassRadio)
            return RadioProgramming{};
        return LanProgramming{};
    case CodeMeasurementRequest:
        return MeasurementRequest{};
    case CodeSwitch:
        return SwitchRequest{};
    case CodeAutoSend:
        return AutoSendRequest{};
    default:
        return UnknownRequest{};
    }
}

ReplyPayload replyKind(const Header &header)
{
    switch (header.code) {
    case CodeParameterReply:
        if (header.deviceClass == DeviceClassLan)
            return LanParameters{};
        if (header.deviceClass == DeviceClassRadio)
            return RadioParameters{};
        return OtherParameters{};
    case CodeProgrammingAcknowledged:
        return ProgrammingAcknowledged{};
    case CodeLanProgrammingAcknowledged:
        return LanProgrammingAcknowledged{};
    case CodeMeasurementReply:
    case CodeMeasurementReplyEcho:
        return MeasurementValues{};
    case CodeSwitchAcknowledged:
        return SwitchAcknowledged{};
    case CodeWeatherData:
        return WeatherData{};
    default:
        return UnknownReply{};
    }
}

} // namespace

QByteArray preamble()
{
    QByteArray bytes;
    bytes.append(static_cast<char>(PreambleFirst));
    bytes.append(static_cast<char>(PreambleSecond));
    return bytes;
}

quint8 checksum(QByteArrayView body)
{
    quint8 sum = 0;
    for (qsizetype index = 0; index < body.size(); ++index) {
        if (index != ChecksumOffset)
            sum = static_cast<quint8>(sum + static_cast<quint8>(body[index])); // keeps the low eight bits
    }
    return sum;
}

QByteArrayView frameBody(QByteArrayView wire)
{
    return wire.sliced(std::min<qsizetype>(wire.size(), PreambleLength));
}

bool mayBeginFrame(QByteArrayView bytes)
{
    return !bytes.isEmpty() && static_cast<quint8>(bytes[0]) == PreambleFirst
        && (bytes.size() == 1 || static_cast<quint8>(bytes[1]) == PreambleSecond);
}

std::optional<int> announcedBodyLength(QByteArrayView begun)
{
    constexpr int OnTheWire = PreambleLength + LengthOffset;
    if (begun.size() <= OnTheWire)
        return std::nullopt;
    return static_cast<quint8>(begun[OnTheWire]);
}

std::optional<FrameFault> checkFrame(QByteArrayView wire)
{
    using Kind = FrameFault::Kind;
    if (wire.size() < PreambleLength + HeaderLength)
        return FrameFault{Kind::TooShort, 0, int(wire.size())};
    if (!mayBeginFrame(wire))
        return FrameFault{Kind::NoPreamble};
    const QByteArrayView body = frameBody(wire);
    const int length = static_cast<quint8>(body[LengthOffset]);
    if (length != body.size())
        return FrameFault{Kind::LengthMismatch, length, int(body.size())};
    const int carried = static_cast<quint8>(body[ChecksumOffset]);
    const int sum = checksum(body);
    if (carried != sum)
        return FrameFault{Kind::WrongChecksum, carried, sum};
    return std::nullopt;
}

QByteArray encodeRequest(const Request &request)
{
    return std::visit([&](const auto &payload) { return encode(request.header, payload); }, request.payload);
}

QByteArray encodeReply(const Reply &reply)
{
    return std::visit([&](const auto &payload) { return encode(reply.header, payload); }, reply.payload);
}

ParsedRequest parseRequest(QByteArrayView wire)
{
    return parse<Request>(wire, requestKind);
}

ParsedReply parseReply(QByteArrayView wire)
{
    return parse<Reply>(wire, replyKind);
}

} // namespace Protocol
