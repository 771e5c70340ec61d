#include "SimFrame.h"

#include "requests/FrameFormat.h"

#include <QStringList>

#include <cstdlib>

namespace SimFrame {

namespace {

using namespace FrameFormat;

constexpr quint8 Reserved = 0;
constexpr quint8 TemperatureSignBit = 0x80;
constexpr int LargestMagnitude = 0x7FFF;
constexpr int ByteBase = 256;

quint8 byteAt(QByteArrayView body, int position)
{
    return static_cast<quint8>(body[position - 1]);
}

} // namespace

QByteArray encode(const Frame &frame)
{
    const QByteArray payload = frame.payload.left(MaxPayloadLength);
    QByteArray body(FrameHeaderLength, '\0');
    const auto put = [&body](int position, quint8 value) { body[position - 1] = static_cast<char>(value); };
    put(PosReserved, Reserved);
    put(PosCommand, frame.code);
    put(PosLength, static_cast<quint8>(FrameHeaderLength + payload.size()));
    put(PosENum, frame.eNum);
    put(PosDestHome, frame.destHome);
    put(PosDestHigh, frame.destHigh);
    put(PosDestLow, frame.destLow);
    put(PosSrcHigh, frame.srcHigh);
    put(PosSrcLow, frame.srcLow);
    put(PosDeviceClass, frame.deviceClass);
    put(PosDeviceFunction, frame.deviceFunction);
    body.append(payload);
    put(PosChecksum, frameChecksum(body));
    return framePreamble() + body;
}

Parsed parse(QByteArrayView wire)
{
    if (wire.size() < PreambleLength + FrameHeaderLength)
        return {std::nullopt, QStringLiteral("frame too short (%1 bytes)").arg(wire.size())};
    if (static_cast<quint8>(wire[0]) != PreambleFirst || static_cast<quint8>(wire[1]) != PreambleSecond)
        return {std::nullopt, QStringLiteral("no preamble FF AA")};
    const QByteArrayView body = wire.sliced(PreambleLength);
    const int length = byteAt(body, PosLength);
    if (length != body.size())
        return {std::nullopt, QStringLiteral("length byte %1, but %2 body bytes").arg(length).arg(body.size())};
    const quint8 expected = frameChecksum(body);
    const quint8 carried = byteAt(body, PosChecksum);
    if (carried != expected)
        return {std::nullopt, QStringLiteral("wrong checksum %1, the body sums to %2")
                                  .arg(hexDump(QByteArray(1, char(carried))), hexDump(QByteArray(1, char(expected))))};
    Frame frame;
    frame.code = byteAt(body, PosCommand);
    frame.eNum = byteAt(body, PosENum);
    frame.destHome = byteAt(body, PosDestHome);
    frame.destHigh = byteAt(body, PosDestHigh);
    frame.destLow = byteAt(body, PosDestLow);
    frame.srcHigh = byteAt(body, PosSrcHigh);
    frame.srcLow = byteAt(body, PosSrcLow);
    frame.deviceClass = byteAt(body, PosDeviceClass);
    frame.deviceFunction = byteAt(body, PosDeviceFunction);
    frame.payload = body.sliced(FrameHeaderLength).toByteArray();
    return {frame, QString()};
}

QString hexDump(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QByteArray encodeTemperature(int tenths)
{
    const int magnitude = std::min(std::abs(tenths), LargestMagnitude);
    quint8 high = static_cast<quint8>(magnitude / ByteBase);
    if (tenths < 0)
        high |= TemperatureSignBit;
    QByteArray bytes;
    bytes.append(static_cast<char>(high));
    bytes.append(static_cast<char>(magnitude % ByteBase));
    return bytes;
}

} // namespace SimFrame
