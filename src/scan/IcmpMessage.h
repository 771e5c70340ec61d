#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// ICMP echo messages as bytes: the request the tool sends, and what it makes of
// a received datagram. Identifier, sequence and payload tie an answer to the
// one request it belongs to, so that late answers to an earlier round, or
// answers meant for another program, count for nothing.
namespace IcmpMessage {

inline constexpr int HeaderSize = 8;
inline constexpr quint8 EchoReplyType = 0;
inline constexpr quint8 DestUnreachableType = 3;
inline constexpr quint8 SourceQuenchType = 4;
inline constexpr quint8 EchoRequestType = 8;
inline constexpr quint8 TimeExceededType = 11;
inline constexpr quint8 ParameterProblemType = 12;

// How a datagram reaches the tool: a raw socket hands over the IP header too,
// an ICMP datagram socket only the ICMP message.
enum class Framing { WithIpHeader, IcmpOnly };

// What a datagram says about one of the tool's echo requests.
struct Answer
{
    quint16 sequence = 0;
    qint32 status = 0;
    // The echoed payload of a reply; empty for an error.
    QByteArray data;
};

// The Internet checksum of bytes: the ones' complement of the ones' complement
// sum of their 16-bit words, high byte first, an odd last byte padded with 0.
quint16 checksum(const QByteArray &bytes);

// An echo request: type 8, code 0, checksum, identifier and sequence, each
// high byte first, then the payload.
QByteArray echoRequest(quint16 identifier, quint16 sequence, const QByteArray &payload);

// The answer that datagram gives to an echo request with this identifier and
// payload: an echo reply carrying the whole payload, or an ICMP error that
// quotes such a request. Nothing for anything else.
std::optional<Answer> readAnswer(const QByteArray &datagram, Framing framing, quint16 identifier,
                                 const QByteArray &payload);

// The answer that an ICMP error of type and code, reported for the echo
// request request (as sent, or as much of it as was quoted), gives; nothing
// when request is not one of the tool's.
std::optional<Answer> readRefusal(const QByteArray &request, quint8 type, quint8 code, quint16 identifier,
                                  const QByteArray &payload);

// The status an ICMP error of type and code stands for.
qint32 statusForError(quint8 type, quint8 code);

// The status of an echo request that the system refused to send, by errno.
qint32 statusForSendError(int error);

} // namespace IcmpMessage
