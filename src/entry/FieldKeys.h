#pragma once

#include <optional>

// What a key typed into a field of the LAN parameter frames does: Esc and
// Enter walk through the address fields, the other keys are filtered.
namespace FieldKeys {

inline constexpr int KeyTab = 9;
inline constexpr int KeyEnter = 13;
inline constexpr int KeyEsc = 27;

struct KeyDecision
{
    int keyAscii = 0; // the key the field receives; 0: swallowed
    std::optional<int> focusIndex; // the field of the same array that takes the focus
    bool operator==(const KeyDecision &) const = default;
};

// Text1_KeyPress: Esc goes one field lower (not from 0), Enter one higher
// below 15; Text1(16) and Text1(17) take every other key unfiltered, the other
// fields through FilterKey. Tab moves nothing itself: the window's normal
// focus chain, which runs in index order, takes it on, so the focus is never
// trapped in a field. Esc, Tab and Enter are not swallowed.
KeyDecision text1KeyPress(int index, int keyAscii);

// Text2_KeyPress: as Text1, but Enter walks only below 3 (the IP-address
// octets) and every field filters.
KeyDecision text2KeyPress(int index, int keyAscii);

} // namespace FieldKeys
