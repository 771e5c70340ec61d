// The key filter and the key handling of the LAN parameter fields, for any keys typed into any field.
// Input: steps of three bytes: the field's index (signed: also indices the arrays lack), then the key code, low
// byte first (signed 16 bits).
// Properties:
// - FilterKey lets a digit, Backspace or "." through, turns "," into ".", swallows everything else; twice is once;
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

static void checkKeyPress(const KeyDecision &decision, int index, int key, bool filtered)
{
    constexpr int FieldCount = 20;
    const bool walks = key == KeyEsc || key == KeyEnter;
    require(decision.keyAscii == (walks || key == KeyTab || !filtered ? key : FilterKey(key)),
            "Esc, Tab and Enter reach the field; a filtered field takes what FilterKey makes of a key");
    const int focus = decision.focusIndex.value_or(index);
    require(!decision.focusIndex || (walks && focus == index + (key == KeyEsc ? -1 : 1)),
            "only Esc and Enter move the focus, one field");
    require(index < 0 || index >= FieldCount || (focus >= 0 && focus < FieldCount), "the focus stays in the array");
}

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    constexpr int Text1Port = 16; // and the eNum after it
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
        const KeyDecision inText2 = text2KeyPress(index, key);
        checkKeyPress(inText2, index, key, true);
        if (inText2.keyAscii == KeyBackspace)
            typed.chop(1);
        else if (inText2.keyAscii > 0 && inText2.keyAscii != KeyEsc && inText2.keyAscii != KeyTab
                 && inText2.keyAscii != KeyEnter)
            typed += QChar(char16_t(inText2.keyAscii));
    }
    require(std::all_of(typed.begin(), typed.end(), [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'.'; }),
            "a filtered field holds only digits and \".\"", typed);
    return 0;
}
