#include "scan/IcmpMessage.h"

#include "scan/EchoReply.h"

#include <cerrno>

namespace IcmpMessage {

namespace {

constexpr int TypeAt = 0;
constexpr int CodeAt = 1;
constexpr int ChecksumAt = 2;
constexpr int IdentifierAt = 4;
constexpr int SequenceAt = 6;

constexpr int IpHeaderMinSize = 20;
constexpr int IpVersion4 = 4;
constexpr int IpProtocolAt = 9;
constexpr quint8 IpProtocolIcmp = 1;
constexpr int BytesPerHeaderWord = 4;

// Destination-unreachable codes.
constexpr quint8 NetUnreachable = 0;
constexpr quint8 HostUnreachable = 1;
constexpr quint8 ProtocolUnreachable = 2;
constexpr quint8 PortUnreachable = 3;
constexpr quint8 FragmentationNeeded = 4;
constexpr quint8 SourceRouteFailed = 5;
constexpr quint8 NetUnknown = 6;
constexpr quint8 NetProhibited = 9;
constexpr quint8 NetUnreachableForTos = 11;
// Time-exceeded code of a fragment reassembly that ran out of time.
constexpr quint8 ReassemblyTimeExceeded = 1;

quint8 byteAt(const QByteArray &bytes, int at)
{
    return static_cast<quint8>(bytes[at]);
}

quint16 wordAt(const QByteArray &bytes, int at)
{
    return static_cast<quint16>(byteAt(bytes, at) << 8 | byteAt(bytes, at + 1));
}

void putWord(QByteArray &bytes, int at, quint16 value)
{
    bytes[at] = static_cast<char>(value >> 8);
    bytes[at + 1] = static_cast<char>(value & 0xFF);
}

// What follows an IPv4 header that carries ICMP; nothing when bytes begin with none.
std::optional<QByteArray> icmpAfterIpHeader(const QByteArray &bytes)
{
    if (bytes.size() < IpHeaderMinSize || byteAt(bytes, 0) >> 4 != IpVersion4)
        return std::nullopt;
    const int headerSize = (byteAt(bytes, 0) & 0x0F) * BytesPerHeaderWord;
    if (headerSize < IpHeaderMinSize || bytes.size() < headerSize || byteAt(bytes, IpProtocolAt) != IpProtocolIcmp)
        return std::nullopt;
    return bytes.mid(headerSize);
}

bool isError(quint8 type)
{
    return type == DestUnreachableType || type == SourceQuenchType || type == TimeExceededType
        || type == ParameterProblemType;
}

} // namespace

quint16 checksum(const QByteArray &bytes)
{
    quint32 sum = 0;
    for (int at = 0; at + 1 < bytes.size(); at += 2)
        sum += wordAt(bytes, at);
    if (bytes.size() % 2 != 0)
        sum += static_cast<quint32>(byteAt(bytes, bytes.size() - 1)) << 8;
    while (sum > 0xFFFF)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<quint16>(~sum);
}

QByteArray echoRequest(quint16 identifier, quint16 sequence, const QByteArray &payload)
{
    QByteArray message(HeaderSize, '\0');
    message[TypeAt] = static_cast<char>(EchoRequestType);
    putWord(message, IdentifierAt, identifier);
    putWord(message, SequenceAt, sequence);
    message += payload;
    putWord(message, ChecksumAt, checksum(message));
    return message;
}

std::optional<Answer> readAnswer(const QByteArray &datagram, Framing framing, quint16 identifier,
                                 const QByteArray &payload)
{
    const std::optional<QByteArray> icmp =
        framing == Framing::WithIpHeader ? icmpAfterIpHeader(datagram) : std::optional<QByteArray>(datagram);
    if (!icmp || icmp->size() < HeaderSize)
        return std::nullopt;
    const quint8 type = byteAt(*icmp, TypeAt);
    if (type == EchoReplyType) {
        const QByteArray data = icmp->mid(HeaderSize);
        if (wordAt(*icmp, IdentifierAt) != identifier || data != payload)
            return std::nullopt;
        return Answer{wordAt(*icmp, SequenceAt), IpStatus::Success, data};
    }
    if (!isError(type))
        return std::nullopt;
    const std::optional<QByteArray> quoted = icmpAfterIpHeader(icmp->mid(HeaderSize));
    if (!quoted)
        return std::nullopt;
    return readRefusal(*quoted, type, byteAt(*icmp, CodeAt), identifier, payload);
}

std::optional<Answer> readRefusal(const QByteArray &request, quint8 type, quint8 code, quint16 identifier,
                                  const QByteArray &payload)
{
    // An error quotes at least the request's header, and often less than its payload.
    if (request.size() < HeaderSize || byteAt(request, TypeAt) != EchoRequestType
        || wordAt(request, IdentifierAt) != identifier || !payload.startsWith(request.mid(HeaderSize)))
        return std::nullopt;
    return Answer{wordAt(request, SequenceAt), statusForError(type, code), QByteArray()};
}

qint32 statusForError(quint8 type, quint8 code)
{
    switch (type) {
    case DestUnreachableType:
        switch (code) {
        case NetUnreachable:
        case NetUnknown:
        case NetProhibited:
        case NetUnreachableForTos:
            return IpStatus::DestNetUnreachable;
        case ProtocolUnreachable:
            return IpStatus::DestProtUnreachable;
        case PortUnreachable:
            return IpStatus::DestPortUnreachable;
        case FragmentationNeeded:
            return IpStatus::PacketTooBig;
        case SourceRouteFailed:
            return IpStatus::BadRoute;
        case HostUnreachable:
        default:
            // Every other code names a host that cannot be reached.
            return IpStatus::DestHostUnreachable;
        }
    case SourceQuenchType:
        return IpStatus::SourceQuench;
    case TimeExceededType:
        return code == ReassemblyTimeExceeded ? IpStatus::TtlExpiredReassem : IpStatus::TtlExpiredTransit;
    case ParameterProblemType:
        return IpStatus::ParamProblem;
    default:
        return IpStatus::GeneralFailure;
    }
}

qint32 statusForSendError(int error)
{
    switch (error) {
    case ENETUNREACH:
        return IpStatus::DestNetUnreachable;
    case EHOSTUNREACH:
        return IpStatus::DestHostUnreachable;
    case EMSGSIZE:
        return IpStatus::PacketTooBig;
    case ENOBUFS:
    case ENOMEM:
    case EAGAIN:
        return IpStatus::NoResources;
    case EACCES:
        // A broadcast address, which the socket does not send to.
        return IpStatus::BadDestination;
    default:
        return IpStatus::GeneralFailure;
    }
}

} // namespace IcmpMessage
