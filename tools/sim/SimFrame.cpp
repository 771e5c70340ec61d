#include "SimFrame.h"

namespace SimFrame {

namespace {

QString byteHex(int value)
{
    return hexDump(QByteArray(1, static_cast<char>(value)));
}

QString faultText(const Protocol::FrameFault &fault)
{
    using Kind = Protocol::FrameFault::Kind;
    switch (fault.kind) {
    case Kind::TooShort:
        return QStringLiteral("frame too short (%1 bytes)").arg(fault.actual);
    case Kind::NoPreamble:
        break;
    case Kind::LengthMismatch:
        return QStringLiteral("length byte %1, but %2 body bytes").arg(fault.carried).arg(fault.actual);
    case Kind::WrongChecksum:
        return QStringLiteral("wrong checksum %1, the body sums to %2").arg(byteHex(fault.carried), byteHex(fault.actual));
    }
    return QStringLiteral("no preamble FF AA");
}

} // namespace

Parsed parse(QByteArrayView wire)
{
    if (const std::optional<Protocol::FrameFault> fault = Protocol::checkFrame(wire))
        return {std::nullopt, faultText(*fault)};
    return {Protocol::parseRequest(wire), QString()};
}

QString hexDump(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

} // namespace SimFrame
