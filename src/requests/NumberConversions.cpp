#include "requests/NumberConversions.h"

#include <QLocale>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <limits>

namespace NumberConversions {

namespace {

constexpr int ByteMax = 255;
constexpr int PortBytesBase = 256;
constexpr int TenthsPerUnit = 10;
constexpr int HalfDigit = 5;
// Any T-Diff with more whole degrees than this is far outside a byte of tenths;
// the limit keeps the exact arithmetic below clear of overflow.
constexpr qsizetype TDiffMaxIntegerDigits = 4;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The digits of the leading number of a text, as the lenient reading finds them.
struct LeadingDigits
{
    bool negative = false;
    QString integerDigits;
    QString fractionDigits;

    bool empty() const { return integerDigits.isEmpty() && fractionDigits.isEmpty(); }
};

LeadingDigits scanLeadingDigits(QStringView text)
{
    LeadingDigits digits;
    bool signAllowed = true;
    bool inFraction = false;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if (signAllowed && (c == u'-' || c == u'+')) {
            digits.negative = c == u'-';
            signAllowed = false;
            continue;
        }
        signAllowed = false;
        if (c == u'.' && !inFraction) {
            inFraction = true;
            continue;
        }
        if (!isAsciiDigit(c))
            break;
        (inFraction ? digits.fractionDigits : digits.integerDigits).append(c);
    }
    return digits;
}

QStringView withoutLeadingZeros(const QString &digits)
{
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0')
        ++first;
    return QStringView(digits).mid(first);
}

// Rounds a half to the even neighbour without relying on the floating-point
// environment's rounding mode.
std::optional<qint64> roundHalfEven(double value)
{
    // Beyond 2^53 every double is whole already; the bound keeps the cast defined.
    constexpr double Limit = 9007199254740992.0;
    if (!std::isfinite(value) || value < -Limit || value > Limit)
        return std::nullopt;
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    return static_cast<qint64>(rounded);
}

std::optional<qint32> toInt32(std::optional<qint64> value)
{
    if (!value || *value < std::numeric_limits<qint32>::min() || *value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(*value);
}

} // namespace

std::optional<qint32> wholeNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // The C locale alone would also take "1,000" as a thousand; a field holds no group separators.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(trimmed, &ok);
    if (!ok)
        return std::nullopt;
    return toInt32(roundHalfEven(value));
}

double leadingNumber(const QString &text)
{
    const LeadingDigits digits = scanLeadingDigits(text);
    if (digits.empty())
        return 0.0;
    const QString number = (digits.negative ? QStringLiteral("-") : QString())
        + (digits.integerDigits.isEmpty() ? QStringLiteral("0") : digits.integerDigits) + u'.'
        + (digits.fractionDigits.isEmpty() ? QStringLiteral("0") : digits.fractionDigits);
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (ok)
        return value;
    // The text is well-formed, so only its size can fail: too large or too close to 0.
    if (withoutLeadingZeros(digits.integerDigits).isEmpty())
        return 0.0;
    const double infinity = std::numeric_limits<double>::infinity();
    return digits.negative ? -infinity : infinity;
}

std::optional<qint32> leadingWholeNumber(const QString &text)
{
    return toInt32(roundHalfEven(leadingNumber(text)));
}

std::optional<quint8> toByte(qint64 value)
{
    if (value < 0 || value > ByteMax)
        return std::nullopt;
    return static_cast<quint8>(value);
}

PortBytes portBytes(const QString &text)
{
    const double port = leadingNumber(text);
    PortBytes bytes;
    if (std::isfinite(port)) {
        const std::optional<qint64> high = roundHalfEven(std::floor(port / PortBytesBase));
        if (high)
            bytes.high = toByte(*high);
    }
    const double low = port - double(PortBytesBase) * bytes.high.value_or(0);
    if (const std::optional<qint64> rounded = roundHalfEven(low))
        bytes.low = toByte(*rounded);
    return bytes;
}

std::optional<quint8> tDiffByte(const QString &text)
{
    QString decimal = text;
    decimal.replace(u',', u'.');
    const LeadingDigits digits = scanLeadingDigits(decimal);
    const QStringView integerDigits = withoutLeadingZeros(digits.integerDigits);
    if (integerDigits.size() > TDiffMaxIntegerDigits)
        return std::nullopt;

    // Tenths are counted exactly on the digits, so 0.15 is a true half and rounds to 2.
    qint64 tenths = integerDigits.isEmpty() ? 0 : integerDigits.toLongLong();
    tenths *= TenthsPerUnit;
    const QStringView fraction(digits.fractionDigits);
    if (!fraction.isEmpty())
        tenths += fraction[0].digitValue();
    const QStringView rest = fraction.size() > 1 ? fraction.mid(1) : QStringView();
    if (!rest.isEmpty()) {
        const int firstRest = rest[0].digitValue();
        const bool restBeyondHalf = std::any_of(rest.begin() + 1, rest.end(), [](QChar c) { return c != u'0'; });
        if (firstRest > HalfDigit || (firstRest == HalfDigit && (restBeyondHalf || tenths % 2 != 0)))
            ++tenths;
    }
    if (digits.negative && tenths != 0)
        return std::nullopt;
    return toByte(tenths);
}

} // namespace NumberConversions
