#pragma once

#include "protocol/Layout.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <optional>

// The frame that requests and replies share: two preamble bytes, then a body
// of a twelve-byte header and up to 25 payload bytes, whose checksum is the sum
// of the body's other bytes modulo 256.
namespace Protocol {

inline constexpr quint8 PreambleFirst = 0xFF;
inline constexpr quint8 PreambleSecond = 0xAA;
inline constexpr int PreambleLength = 2;
inline constexpr int HeaderLength = Layout::HeaderWidth;
inline constexpr int MaxPayloadLength = 25;
inline constexpr int MaxBodyLength = HeaderLength + MaxPayloadLength;

QByteArray preamble();

// Sum modulo 256 of every body byte but the checksum's own.
quint8 checksum(QByteArrayView body);

// What follows the two preamble bytes, whatever they are.
QByteArrayView frameBody(QByteArrayView wire);

// Whether the bytes can be the start of a frame: a first preamble byte, and
// the second unless it has yet to come.
bool mayBeginFrame(QByteArrayView bytes);

// The body length that a frame begun announces, once its length byte is there.
std::optional<int> announcedBodyLength(QByteArrayView begun);

// Why bytes are not one whole frame.
struct FrameFault
{
    enum class Kind {
        TooShort, // actual: the bytes there are
        NoPreamble,
        LengthMismatch, // carried: the length byte; actual: the body bytes there are
        WrongChecksum, // carried: the checksum byte; actual: what the body sums to
    };
    Kind kind = Kind::TooShort;
    int carried = 0;
    int actual = 0;
    bool operator==(const FrameFault &) const = default;
};

// Preamble, a length byte that matches the body and the checksum; nothing when they hold.
std::optional<FrameFault> checkFrame(QByteArrayView wire);

// A request or reply as far as its bytes arrived: the fields that did not
// arrive are 0, and arrived() tells which did, field by field.
template<class Message>
struct Parsed
{
    Message message;
    qsizetype bodyArrived = 0;

    // Whether every byte of a field (as &LanParameters::gateway names it) arrived.
    template<class Member>
    bool arrived(Member field) const
    {
        const Layout::Place place = Layout::placeOf(field);
        return bodyArrived >= place.offset + place.width;
    }
    // How many of a field's octets or characters arrived.
    template<class Member>
    int partsArrived(Member field) const
    {
        static_assert(std::is_same_v<typename Layout::MemberOf<Member>::Type, Ipv4>);
        const Layout::Place place = Layout::placeOf(field);
        return int(std::clamp<qsizetype>(bodyArrived - place.offset, 0, place.width));
    }
    // The payload bytes its kind has, and those of them that arrived.
    int payloadLength() const
    {
        return std::visit([](const auto &p) { return Layout::PayloadWidth<std::decay_t<decltype(p)>>; },
                          message.payload);
    }
    int payloadArrived() const { return int(std::clamp<qsizetype>(bodyArrived - HeaderLength, 0, payloadLength())); }
    bool complete() const { return bodyArrived >= HeaderLength + payloadLength(); }
};

using ParsedRequest = Parsed<Request>;
using ParsedReply = Parsed<Reply>;

// Preamble and body, with the length and checksum worked out. The payload
// goes as its kind says and the header as given, so its code (and for
// programming and parameters its device class) must name the same kind for a
// parse to give the value back.
QByteArray encodeRequest(const Request &request);
QByteArray encodeReply(const Reply &reply);

// From any bytes: the preamble, length and checksum are not looked at (see
// checkFrame), and nothing beyond what arrived is read. The kind follows the
// code, for programming and parameters also the device class.
ParsedRequest parseRequest(QByteArrayView wire);
ParsedReply parseReply(QByteArrayView wire);

} // namespace Protocol
