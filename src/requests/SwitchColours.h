#pragma once

#include <QColor>
#include <array>

// The four colours of a switch button, as the button control numbers them
// (0x00BBGGRR): outer shadow, light edge, face, inner shadow.
namespace SwitchColours {

using ColourSet = std::array<quint32, 4>;

inline constexpr ColourSet On = {0x008080, 0x80FFFF, 0x00FFFF, 0x00C0C0};
inline constexpr ColourSet Off = {0x404040, 0xE0E0E0, 0xC0C0C0, 0x808080};

inline const ColourSet &forState(bool on)
{
    return on ? On : Off;
}

inline QColor fromBgr(quint32 bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace SwitchColours
