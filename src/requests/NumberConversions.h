#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// How the texts of the window's fields become numbers and bytes.
namespace NumberConversions {

// The whole number of a field as a strict conversion reads it: blanks around
// the text are ignored, "." is the decimal separator, a half rounds to the even
// neighbour; an empty text, a text that is not a number, or one outside the
// 32-bit range gives no value.
std::optional<qint32> wholeNumber(const QString &text);

// The leading number of a field as the lenient reading takes it: blanks
// anywhere are ignored, an optional sign, digits and "." as the decimal
// separator; reading stops at the first character that cannot continue the
// number, and a text without a leading number gives 0 ("12x" gives 12).
// A number too large for a double gives an infinity of its sign.
double leadingNumber(const QString &text);

// The leading number rounded to a whole number (a half to the even neighbour);
// no value outside the 32-bit range.
std::optional<qint32> leadingWholeNumber(const QString &text);

// A value written into a byte position: no value outside 0 to 255.
std::optional<quint8> toByte(qint64 value);

// The port of a field, high byte first: high = integer part of port / 256,
// low = port - 256 * high (the high byte that was written, 0 if it failed).
// The port is the field's leading number, so an empty field gives 0.
struct PortBytes
{
    std::optional<quint8> high;
    std::optional<quint8> low;
    bool operator==(const PortBytes &) const = default;
};
PortBytes portBytes(const QString &text);

// A T-Diff threshold: the text is degrees Celsius with "." or "," as decimal
// separator, read as the T-Diff check reads it; the byte is that value in
// tenths, rounded to a whole tenth (a half to the even neighbour). No value
// outside 0 to 255 tenths. "2,5" gives 25, "4" gives 40.
std::optional<quint8> tDiffByte(const QString &text);

} // namespace NumberConversions
