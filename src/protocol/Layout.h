#pragma once

#include "protocol/Messages.h"

#include <tuple>
#include <type_traits>

// Where every field of a frame's body sits: the fields of the header, then
// those of the payload, each in the order it travels and as wide as its value.
// Encoding and parsing both walk these lists; nothing else knows a position.
namespace Protocol::Layout {

// Bytes the frame works out itself.
struct LengthByte
{
};
struct ChecksumByte
{
};
// Bytes that no value holds: sent as 0, not read.
template<int N>
struct Unused
{
    static constexpr int bytes = N;
};

template<class T>
struct Width;
template<>
struct Width<quint8>
{
    static constexpr int bytes = 1;
};
template<>
struct Width<quint16> // high byte first
{
    static constexpr int bytes = 2;
};
template<std::size_t N>
struct Width<std::array<quint8, N>> // element 0 first
{
    static constexpr int bytes = N;
};
template<>
struct Width<RadioAddress> // home, high, low
{
    static constexpr int bytes = 3;
};
template<>
struct Width<Temperature> // the sign in bit 7 of the high byte, then the magnitude
{
    static constexpr int bytes = 2;
};
template<>
struct Width<ChannelSelection> // addressed in the high four bits, states in the low four
{
    static constexpr int bytes = 1;
};

template<class T>
struct MemberOf
{
};
template<class C, class M>
struct MemberOf<M C::*>
{
    using Class = C;
    using Type = M;
};

template<class E>
constexpr int widthOf()
{
    if constexpr (std::is_same_v<E, LengthByte> || std::is_same_v<E, ChecksumByte>)
        return 1;
    else if constexpr (requires { E::bytes; })
        return E::bytes;
    else
        return Width<typename MemberOf<E>::Type>::bytes;
}

inline constexpr std::tuple HeaderFields{&Header::reserved,       &Header::code,      LengthByte{},
                                         &Header::eNum,           &Header::destination, &Header::sourceHigh,
                                         &Header::sourceLow,      &Header::deviceClass, &Header::deviceFunction,
                                         ChecksumByte{}};

// The payload of each kind; a kind without one has none.
template<class Payload>
struct Fields
{
    static constexpr std::tuple<> list{};
};
template<>
struct Fields<LanProgramming>
{
    static constexpr std::tuple list{&LanProgramming::ipAddress,  &LanProgramming::gateway,
                                     &LanProgramming::subnetMask, &LanProgramming::standardDestination,
                                     &LanProgramming::port,       &LanProgramming::flags,
                                     &LanProgramming::tDiffOn,    &LanProgramming::tDiffOff};
};
template<>
struct Fields<RadioProgramming>
{
    static constexpr std::tuple list{&RadioProgramming::address, &RadioProgramming::txPower,
                                     &RadioProgramming::frequency, &RadioProgramming::flags,
                                     &RadioProgramming::tDiffOn, &RadioProgramming::tDiffOff};
};
template<>
struct Fields<SwitchRequest>
{
    static constexpr std::tuple list{&SwitchRequest::outputs};
};
template<>
struct Fields<AutoSendRequest>
{
    static constexpr std::tuple list{&AutoSendRequest::inputs};
};
template<>
struct Fields<LanParameters>
{
    static constexpr std::tuple list{&LanParameters::firmware,   &LanParameters::ipAddress,
                                     &LanParameters::gateway,    &LanParameters::subnetMask,
                                     &LanParameters::standardDestination,
                                     &LanParameters::port,       &LanParameters::flags};
};
// The same order as radio programming, with the firmware between frequency and flags.
template<>
struct Fields<RadioParameters>
{
    static constexpr std::tuple list{&RadioParameters::txPower, &RadioParameters::frequency,
                                     &RadioParameters::firmware, &RadioParameters::flags,
                                     &RadioParameters::tDiffOn, &RadioParameters::tDiffOff};
};
template<>
struct Fields<MeasurementValues>
{
    static constexpr std::tuple list{&MeasurementValues::outputs, &MeasurementValues::inputs,
                                     &MeasurementValues::temperature1, &MeasurementValues::temperature2};
};
template<>
struct Fields<SwitchAcknowledged>
{
    static constexpr std::tuple list{&SwitchAcknowledged::outputs};
};
template<>
struct Fields<WeatherData>
{
    static constexpr std::tuple list{&WeatherData::windSpeed, &WeatherData::windSpeedMax, &WeatherData::rain,
                                     Unused<3>{}, &WeatherData::outside, &WeatherData::light};
};

template<class List>
constexpr int widthOfAll(const List &list)
{
    return std::apply([](auto... field) { return (0 + ... + widthOf<decltype(field)>()); }, list);
}

inline constexpr int HeaderWidth = widthOfAll(HeaderFields);

template<class Payload>
inline constexpr int PayloadWidth = widthOfAll(Fields<Payload>::list);

// Offset in the body and width of one field.
struct Place
{
    int offset = -1;
    int width = 0;
};

template<class List, class Wanted>
constexpr Place placeIn(const List &list, Wanted wanted, int start)
{
    Place place;
    int offset = start;
    const auto visit = [&](auto field) {
        using F = decltype(field);
        if constexpr (std::is_same_v<F, Wanted> && std::is_member_object_pointer_v<F>) {
            if (field == wanted)
                place = {offset, widthOf<F>()};
        } else if constexpr (std::is_same_v<F, Wanted>) {
            place = {offset, widthOf<F>()};
        }
        offset += widthOf<F>();
    };
    std::apply([&](auto... fields) { (visit(fields), ...); }, list);
    return place;
}

// Where a field of the header or of a payload sits in the body.
template<class Member>
constexpr Place placeOf(Member member)
{
    using Class = typename MemberOf<Member>::Class;
    if constexpr (std::is_same_v<Class, Header>)
        return placeIn(HeaderFields, member, 0);
    else
        return placeIn(Fields<Class>::list, member, HeaderWidth);
}

inline constexpr int LengthOffset = placeIn(HeaderFields, LengthByte{}, 0).offset;
inline constexpr int ChecksumOffset = placeIn(HeaderFields, ChecksumByte{}, 0).offset;

} // namespace Protocol::Layout
