#include "entry/LeaveChecks.h"

#include "requests/NumberConversions.h"

namespace LeaveChecks {

namespace {

constexpr int LastAddressIndex = 15;
constexpr int PortIndex = 16;
constexpr int ENumIndex = 17;
constexpr int LastNewIpIndex = 3;
constexpr double ByteMin = 0;
constexpr double ByteMax = 255;
constexpr double PortMin = 1;
constexpr double PortMax = 32000;

CheckVerdict text1Refusal(int index, const QString &message)
{
    return {true, message, MessageIcon::Exclamation, QStringLiteral("TessraProg"),
            FieldRef{ControlArray::Text1, index}, true};
}

} // namespace

CheckVerdict text1LostFocus(int index, const QString &text)
{
    const double value = NumberConversions::leadingNumber(text);
    if ((index >= 0 && index <= LastAddressIndex) || index == ENumIndex) {
        if (value < ByteMin || value > ByteMax)
            return text1Refusal(index, QStringLiteral("Wert muss zwischen 0 und 255 liegen"));
    } else if (index == PortIndex) {
        if (value < PortMin || value > PortMax)
            return text1Refusal(index, QStringLiteral("Wert muss zwischen 1 und 32000 liegen!"));
    }
    return {};
}

CheckVerdict text2LostFocus(int index, const QString &text)
{
    if (index < 0 || index > LastNewIpIndex || text.trimmed().isEmpty())
        return {};
    // A text that is no number at all (a lone or a second point) is refused like
    // one too large: the octet it would send is not what was meant.
    const std::optional<qint32> value = NumberConversions::wholeNumber(text);
    if (value && *value <= ByteMax)
        return {};
    return {true, QString(), MessageIcon::None, QString(), FieldRef{ControlArray::Text2, index}, true};
}

} // namespace LeaveChecks
