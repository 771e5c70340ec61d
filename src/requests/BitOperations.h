#pragma once

#include <QtGlobal>
#include <optional>

// Bits 0 to 7 of a flag byte; bit p has the weight 2^p. A position outside
// 0 to 7 is an overflow: the byte stays as it was and the caller is told.
namespace BitOperations {

inline constexpr int HighestBit = 7;

// Sets bit position of value; false (value unchanged) for a position outside 0 to 7.
constexpr bool SetBitB(quint8 &value, int position)
{
    if (position < 0 || position > HighestBit)
        return false;
    value = static_cast<quint8>(value | (1u << position));
    return true;
}

// Whether bit position of value is 1; no value for a position outside 0 to 7.
constexpr std::optional<bool> BitB(quint8 value, int position)
{
    if (position < 0 || position > HighestBit)
        return std::nullopt;
    return (value & (1u << position)) != 0;
}

} // namespace BitOperations
