#include "entry/ProgrammingChecks.h"

#include "requests/NumberConversions.h"

namespace ProgrammingChecks {

namespace {

constexpr double DestinationMin = 0;
constexpr double DestinationMax = 250;
constexpr double TDiffMin = 0.1;
constexpr double TDiffMax = 25.5;
constexpr int TDiffOnIndex = 4;
constexpr int TDiffOffIndex = 5;

CheckVerdict refusal(const QString &firstLine, const QString &secondLine, std::optional<FieldRef> focus)
{
    return {true, firstLine + QChar(u'\r') + secondLine, MessageIcon::CriticalStop, QStringLiteral("Achtung !"),
            focus, false};
}

double tDiffValue(const QString &text)
{
    QString decimal = text;
    return NumberConversions::leadingNumber(decimal.replace(u',', u'.'));
}

bool outsideTDiff(double value)
{
    return value < TDiffMin || value > TDiffMax;
}

} // namespace

CheckVerdict CheckRadioAddresses(const QString &home, const QString &high, const QString &low)
{
    if (NumberConversions::leadingNumber(home) == 0)
        return refusal(QStringLiteral("Bitte Homeadresse prüfen !"), QStringLiteral("Die Adresse darf nicht 0 sein !"),
                       std::nullopt);
    const auto outsideDestination = [](const QString &text) {
        const double value = NumberConversions::leadingNumber(text);
        return value < DestinationMin || value > DestinationMax;
    };
    if (outsideDestination(high) || outsideDestination(low))
        return refusal(QStringLiteral("Bitte Zieladresse prüfen !"),
                       QStringLiteral("Die Zieladresse darf nur zwischen 0 und 250 liegen !"), std::nullopt);
    return {};
}

CheckVerdict CheckTDiff(const QString &on, const QString &off)
{
    const QString range = QStringLiteral("Nur Werte von 0,1 bis 25,5 zulässig !");
    if (outsideTDiff(tDiffValue(on)))
        return refusal(QStringLiteral("Bitte T-DiffON-Wert prüfen !"), range,
                       FieldRef{ControlArray::Text5, TDiffOnIndex});
    if (outsideTDiff(tDiffValue(off)))
        return refusal(QStringLiteral("Bitte T-DiffOFF-Wert prüfen !"), range,
                       FieldRef{ControlArray::Text5, TDiffOffIndex});
    return {};
}

} // namespace ProgrammingChecks
