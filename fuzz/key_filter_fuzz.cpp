// The key filter and the key handling of the LAN parameter fields, for any sequence of keys typed into any field.
//
// Input: a sequence of steps of three bytes: the field's index (signed: also indices the arrays do not have), then
// the key code, low byte first (signed 16 bits).
//
// Properties:
// - FilterKey lets a digit, Backspace or "." through as it is, turns "," into ".", swallows everything else, and
//   filtering twice is filtering once;
// - Esc, Tab and Enter always reach the field; the focus moves only on Esc and Enter, one field down or up, and
//   never leaves the array;
// - a filtered field takes the key FilterKey makes of it; Port and eNum take every key as it is;
// - whatever is typed into a filtered field leaves only digits and "." in it.

#include "FuzzSupport.h"

#include "entry/FieldKeys.h"
#include "entry/modTasMon.h"

using namespace FuzzSupport;
using namespace FieldKeys;
using namespace modTasMon;

namespace {

constexpr int FieldCount = 20;
constexpr int Text1Port = 16; // and the eNum after it

void checkKeyPress(const KeyDecision &decision, int index, int key, bool filtered)
{
    const bool walks = key == KeyEsc || key == KeyEnter;
    require(decision.keyAscii == (walks || key == KeyTab || !filtered ? key : FilterKey(key)),
            "Esc, Tab and Enter reach the field; a filtered field takes what FilterKey makes of a key");
    require(!decision.focusIndex || (walks && *decision.focusIndex == index + (key == KeyEsc ? -1 : 1)),
            "only Esc and Enter move the focus, one field");
    require(!decision.focusIndex || index < 0 || index >= FieldCount
                || (*decision.focusIndex >= 0 && *decision.focusIndex < FieldCount),
            "the focus stays in the array");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    QString typed; // into a filtered field: a key that reaches it is a character, Backspace takes the last away
    while (!input.rest.isEmpty()) {
        const int index = qint8(input.byte()), low = input.byte(); // in this order
        const int key = qint16(low | input.byte() << 8);
        const int filtered = FilterKey(key);
        const bool passes = key == KeyBackspace || key == KeyPoint || (key >= KeyDigitZero && key <= KeyDigitNine);
        require(filtered == (passes ? key : key == KeyComma ? KeyPoint : KeySwallowed),
                "FilterKey passes digits, Backspace and \".\", turns \",\" into \".\"", QString::number(key));
        require(FilterKey(filtered) == filtered, "filtering twice is filtering once", QString::number(key));
        checkKeyPress(text1KeyPress(index, key), index, key, index != Text1Port && index != Text1Port + 1);
        checkKeyPress(text2KeyPress(index, key), index, key, true);
        const int reached = text2KeyPress(index, key).keyAscii;
        if (reached == KeyBackspace)
            typed.chop(1);
        else if (reached > 0 && reached != KeyEsc && reached != KeyTab && reached != KeyEnter)
            typed += QChar(char16_t(reached));
    }
    for (const QChar c : typed)
        require((c >= u'0' && c <= u'9') || c == u'.', "a filtered field holds only digits and \".\"", typed);
    return 0;
}
