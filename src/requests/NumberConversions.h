#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace NumberConversions {

// The whole number of a field as a strict conversion reads it: blanks around
// the text are ignored, "." is the decimal separator, a half rounds to the even
// neighbour; an empty text, a text that is not a number, or one outside the
// 32-bit range gives no value.
std::optional<qint32> wholeNumber(const QString &text);

} // namespace NumberConversions
