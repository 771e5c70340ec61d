// The typed parse of requests and replies, on any bytes.
// Input: a byte whose bit 0 says whether the bytes are a request (0) or a reply (1), then the bytes that arrived.
// Properties:
// - nothing beyond what arrived is read: every parse gets its bytes in a heap block of exactly their size;
// - a parse of every prefix says how far it got: a field that arrived in the prefix has the value it has in the
//   whole, one that did not is 0 (of a field of octets or characters, those that arrived have theirs), and once
//   the header has arrived up to the device class, the kind is the whole's;
// - a value parsed whole encodes to a whole frame that parses back to the value;
// - a whole frame of its kind's length encodes back to itself, but for the bytes no value holds (weather data).

#include "FuzzSupport.h"

#include "protocol/Frame.h"

using namespace FuzzSupport;
using namespace Protocol;

namespace {

template<class T>
constexpr bool HasParts = false;
template<std::size_t N>
constexpr bool HasParts<std::array<quint8, N>> = true;

// The fields of a list in a prefix's parse against those in the whole's.
template<class Message, class Object, class List>
void agree(const Parsed<Message> &part, const Object &inPart, const Object &inWhole, const List &list)
{
    const auto field = [&](auto member) {
        if constexpr (std::is_member_object_pointer_v<decltype(member)>) {
            using T = typename Layout::MemberOf<decltype(member)>::Type;
            const T &got = inPart.*member, &wanted = inWhole.*member;
            if constexpr (HasParts<T>) {
                const std::size_t there = std::size_t(part.partsArrived(member));
                for (std::size_t k = 0; k < got.size(); ++k)
                    require(got[k] == (k < there ? wanted[k] : 0),
                            "octets and characters that arrived are the whole's, the others 0");
            } else {
                require(got == (part.arrived(member) ? wanted : T{}), "a field that arrived is the whole's, else 0");
            }
        }
    };
    std::apply([&](auto... members) { (field(members), ...); }, list);
}

template<class Message>
void check(QByteArrayView wire, Parsed<Message> (*parse)(QByteArrayView), QByteArray (*encode)(const Message &))
{
    const Parsed<Message> whole = parse(ExactBytes(wire).view());
    for (qsizetype length = 0; length < wire.size(); ++length) {
        const Parsed<Message> part = parse(ExactBytes(wire.first(length)).view());
        agree(part, part.message.header, whole.message.header, Layout::HeaderFields);
        if (!part.arrived(&Header::deviceClass))
            continue;
        require(part.message.payload.index() == whole.message.payload.index(), "the kind is known by the class");
        std::visit(
            [&](const auto &inPart) {
                using P = std::decay_t<decltype(inPart)>;
                agree(part, inPart, std::get<P>(whole.message.payload), Layout::Fields<P>::list);
            },
            part.message.payload);
    }
    if (!whole.complete())
        return;
    const QByteArray encoded = encode(whole.message);
    const Parsed<Message> again = parse(ExactBytes(encoded).view());
    require(!checkFrame(encoded) && again.complete() && again.message == whole.message,
            "a value parsed whole encodes to a whole frame that parses back to it");
    const bool unusedBytes = std::visit(
        [](const auto &payload) { return std::is_same_v<std::decay_t<decltype(payload)>, WeatherData>; },
        whole.message.payload);
    if (!checkFrame(wire) && wire.size() == encoded.size() && !unusedBytes)
        require(encoded == wire, "a whole frame of its kind's length encodes back to itself");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    if (input.byte() & 1)
        check<Reply>(input.rest, parseReply, encodeReply);
    else
        check<Request>(input.rest, parseRequest, encodeRequest);
    return 0;
}
