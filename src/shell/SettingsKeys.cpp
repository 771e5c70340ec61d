#include "shell/SettingsKeys.h"

#include <QLocale>
#include <QStringList>

#include <cstddef>

namespace SettingsKeys {
namespace {

constexpr QLatin1StringView IpAdresseKey("IPAdresse");
constexpr QLatin1StringView SubnetMaskKey("SubnetMask");
// The gateway row is read as "Gateway" and written as "GateWay"; keys match without regard
// to case, so both name the same line.
constexpr QLatin1StringView GatewayReadKey("Gateway");
constexpr QLatin1StringView GatewayWriteKey("GateWay");
constexpr QLatin1StringView StdDestIpKey("StdDestIp");
constexpr QLatin1StringView PortKey("Port");
constexpr QLatin1StringView ENumLanKey("eNumLan");
constexpr QLatin1StringView FlPortKey("FLPort");
constexpr QLatin1StringView FlGatewayKey("FLGateway");
constexpr QLatin1StringView DAdrHKey("DAdrH");
constexpr QLatin1StringView DAdrLKey("DAdrL");
constexpr QLatin1StringView ENumFunkKey("eNumFunk");
constexpr QLatin1StringView TDiffOnFunkKey("TDiffOnFunk");
constexpr QLatin1StringView TDiffOffFunkKey("TDiffOffFunk");
constexpr QLatin1StringView TDiffOnLanKey("TDiffOnLan");
constexpr QLatin1StringView TDiffOffLanKey("TDiffOffLan");
constexpr QLatin1StringView SelectKey("Select");


// Text1: the first field of each address row, then the single fields.
constexpr int IpAddressRow = 0;
constexpr int GatewayRow = 4;
constexpr int SubnetMaskRow = 8;
constexpr int StdDestIpRow = 12;
constexpr int PortField = 16;
constexpr int ENumLanField = 17;
constexpr int TDiffOnLanField = 18;
constexpr int TDiffOffLanField = 19;

// Text3, and Text5 for the copies of the thresholds.
constexpr int DAdrHField = 1;
constexpr int DAdrLField = 2;
constexpr int ENumFunkField = 3;
constexpr int TDiffOnFunkField = 4;
constexpr int TDiffOffFunkField = 5;

// Text4: the gateway address row.
constexpr int FlGatewayRow = 0;


// The leading number of the text, read leniently: no number gives 0. Spaces, then an optional sign, then digits with
// an optional point, or a point and digits; all of them ASCII, and nothing read from a text that is not valid UTF-16.
// Read by hand, as a regular expression would be compiled at every start for this one setting.
double leadingNumber(const QString &text)
{
    if (!QStringView(text).isValidUtf16())
        return 0.0;
    qsizetype at = 0;
    const auto next = [&](auto test) { return at < text.size() && test(text.at(at).unicode()); };
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    const auto digits = [&] {
        const qsizetype from = at;
        while (next(isDigit))
            ++at;
        return at - from;
    };
    while (next([](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }))
        ++at;
    const qsizetype start = at;
    if (next([](char16_t c) { return c == u'+' || c == u'-'; }))
        ++at;
    const qsizetype whole = digits();
    const bool point = next([](char16_t c) { return c == u'.'; });
    if (point)
        ++at;
    const qsizetype fraction = point ? digits() : 0;
    if (whole == 0 && fraction == 0)
        return 0.0;
    return QLocale::c().toDouble(QStringView(text).mid(start, at - start));
}

// Only an index the selector has is taken; anything else falls back to "LAN".
int selectionFrom(const QString &text)
{
    return leadingNumber(text) == SelectFunk ? SelectFunk : SelectLan;
}

} // namespace

void applyStoredSettings(SettingsTexts &texts, const ReadValue &read)
{
    const QString ipAddress = read(IpAdresseKey);
    const QString subnetMask = read(SubnetMaskKey);
    const QString gateway = read(GatewayReadKey);
    const QString stdDestIp = read(StdDestIpKey);
    const QString port = read(PortKey);
    const QString eNumLan = read(ENumLanKey);
    texts.flPort = read(FlPortKey);
    texts.flGateway = read(FlGatewayKey);

    texts.text1[PortField] = port;
    texts.text1[ENumLanField] = eNumLan;

    texts.text3[DAdrHField] = read(DAdrHKey);
    texts.text3[DAdrLField] = read(DAdrLKey);
    texts.text3[ENumFunkField] = read(ENumFunkKey);
    texts.text3[TDiffOnFunkField] = read(TDiffOnFunkKey);
    texts.text3[TDiffOffFunkField] = read(TDiffOffFunkKey);
    texts.text5[TDiffOnFunkField] = texts.text3[TDiffOnFunkField];
    texts.text5[TDiffOffFunkField] = texts.text3[TDiffOffFunkField];

    texts.text1[TDiffOnLanField] = read(TDiffOnLanKey);
    texts.text1[TDiffOffLanField] = read(TDiffOffLanKey);
    texts.text2[TDiffOnLanField] = texts.text1[TDiffOnLanField];
    texts.text2[TDiffOffLanField] = texts.text1[TDiffOffLanField];

    fillAddressRow(texts.text1, IpAddressRow, ipAddress);
    fillAddressRow(texts.text1, GatewayRow, gateway);
    fillAddressRow(texts.text1, SubnetMaskRow, subnetMask);
    fillAddressRow(texts.text1, StdDestIpRow, stdDestIp);
    fillAddressRow(texts.text4, FlGatewayRow, texts.flGateway);

    texts.select = selectionFrom(read(SelectKey));
}

StoredValues settingsToStore(const SettingsTexts &texts)
{
    return {
        {IpAdresseKey, joinAddressRow(texts.text1, IpAddressRow)},
        {GatewayWriteKey, joinAddressRow(texts.text1, GatewayRow)},
        {SubnetMaskKey, joinAddressRow(texts.text1, SubnetMaskRow)},
        {StdDestIpKey, joinAddressRow(texts.text1, StdDestIpRow)},
        {PortKey, texts.text1[PortField]},
        {ENumLanKey, texts.text1[ENumLanField]},
        {SelectKey, QString::number(texts.select)},
        {DAdrHKey, texts.text3[DAdrHField]},
        {DAdrLKey, texts.text3[DAdrLField]},
        {ENumFunkKey, texts.text3[ENumFunkField]},
        {TDiffOnFunkKey, texts.text3[TDiffOnFunkField]},
        {TDiffOffFunkKey, texts.text3[TDiffOffFunkField]},
        {TDiffOnLanKey, texts.text1[TDiffOnLanField]},
        {TDiffOffLanKey, texts.text1[TDiffOffLanField]},
    };
}

} // namespace SettingsKeys
