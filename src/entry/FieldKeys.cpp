#include "entry/FieldKeys.h"

#include "entry/modTasMon.h"

namespace FieldKeys {

namespace {

constexpr int Text1LastEnterIndex = 15; // Enter walks through the 16 address octets
constexpr int Text2LastEnterIndex = 3; // Enter walks through the 4 IP-address octets
constexpr int Text1PortIndex = 16;
constexpr int Text1ENumIndex = 17;

KeyDecision keyPress(int index, int keyAscii, int lastEnterIndex, bool unfiltered)
{
    if (keyAscii == KeyEsc)
        return {keyAscii, index > 0 ? std::optional<int>(index - 1) : std::nullopt};
    if (keyAscii == KeyTab)
        return {keyAscii, std::nullopt};
    if (keyAscii == KeyEnter)
        return {keyAscii, index < lastEnterIndex ? std::optional<int>(index + 1) : std::nullopt};
    return {unfiltered ? keyAscii : modTasMon::FilterKey(keyAscii), std::nullopt};
}

} // namespace

KeyDecision text1KeyPress(int index, int keyAscii)
{
    // Port and eNum take any key; their leave check reads what leads the text.
    const bool unfiltered = index == Text1PortIndex || index == Text1ENumIndex;
    return keyPress(index, keyAscii, Text1LastEnterIndex, unfiltered);
}

KeyDecision text2KeyPress(int index, int keyAscii)
{
    return keyPress(index, keyAscii, Text2LastEnterIndex, false);
}

} // namespace FieldKeys
