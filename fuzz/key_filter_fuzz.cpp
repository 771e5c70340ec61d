// The key filter and the key handling of the LAN parameter fields, for any
// sequence of keys typed into any field.
//
// Input: a sequence of steps of three bytes: the field's index (signed: also
// indices the arrays do not have), then the key code, low byte first (signed 16 bits).
//
// Properties:
// - FilterKey lets a digit, Backspace or "." through as it is, turns "," into
//   ".", swallows everything else, and filtering twice is filtering once;
// - Esc, Tab and Enter always reach the field; the focus moves only on Esc
//   and Enter, one field down or up, and never leaves the array;
// - a filtered field takes the key FilterKey makes of it; Port and eNum take
//   every key as it is;
// - whatever is typed into a filtered field leaves only digits and "." in it.

#include "FuzzSupport.h"

#include "entry/FieldKeys.h"
#include "entry/modTasMon.h"

using namespace FuzzSupport;
using namespace FieldKeys;

namespace {

constexpr int FieldCount = 20;
constexpr int Text1PortIndex = 16;
constexpr int Text1ENumIndex = 17;
constexpr int BitsPerByte = 8;

bool passes(int key)
{
    return key == modTasMon::KeyBackspace || key == modTasMon::KeyPoint
        || (key >= modTasMon::KeyDigitZero && key <= modTasMon::KeyDigitNine);
}

void checkFilter(int key)
{
    const int filtered = modTasMon::FilterKey(key);
    const int expected = passes(key) ? key : key == modTasMon::KeyComma ? modTasMon::KeyPoint : modTasMon::KeySwallowed;
    require(filtered == expected, "FilterKey passes digits, Backspace and \".\", turns \",\" into \".\"",
            QString::number(key));
    require(modTasMon::FilterKey(filtered) == filtered || filtered == modTasMon::KeySwallowed,
            "filtering twice is filtering once", QString::number(key));
}

void checkKeyPress(const KeyDecision &decision, int index, int key, bool filtered)
{
    const bool inArray = index >= 0 && index < FieldCount;
    const QString detail = QStringLiteral("index %1, key %2").arg(index).arg(key);
    if (key == KeyEsc || key == KeyTab || key == KeyEnter) {
        require(decision.keyAscii == key, "Esc, Tab and Enter reach the field", detail);
    } else {
        require(decision.keyAscii == (filtered ? modTasMon::FilterKey(key) : key),
                "a filtered field takes what FilterKey makes of the key", detail);
        require(!decision.focusIndex, "only Esc and Enter move the focus", detail);
    }
    if (decision.focusIndex) {
        const int step = key == KeyEsc ? -1 : 1;
        require(key == KeyEsc || key == KeyEnter, "only Esc and Enter move the focus", detail);
        require(*decision.focusIndex == index + step, "the focus moves one field", detail);
        require(!inArray || (*decision.focusIndex >= 0 && *decision.focusIndex < FieldCount),
                "the focus stays in the array", detail);
    }
}

// A field's text as typing leaves it: a key that reaches the field is a
// character, Backspace takes the last one away.
void type(QString &text, int key)
{
    if (key == modTasMon::KeyBackspace)
        text.chop(1);
    else if (key > 0 && key != KeyEsc && key != KeyTab && key != KeyEnter)
        text += QChar(char16_t(key));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    QString filteredField;
    while (!input.atEnd()) {
        const int index = qint8(input.byte());
        const int low = input.byte();
        const int key = qint16(low | input.byte() << BitsPerByte);
        checkFilter(key);
        const KeyDecision text1 = text1KeyPress(index, key);
        checkKeyPress(text1, index, key, index != Text1PortIndex && index != Text1ENumIndex);
        const KeyDecision text2 = text2KeyPress(index, key);
        checkKeyPress(text2, index, key, true);
        type(filteredField, text2.keyAscii);
    }
    for (const QChar c : filteredField)
        require((c >= u'0' && c <= u'9') || c == u'.', "a filtered field holds only digits and \".\"", filteredField);
    return 0;
}
