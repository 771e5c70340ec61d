#include "replies/ReplyDecoder.h"

#include "protocol/Frame.h"
#include "requests/BitOperations.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace ReplyDecoder {

namespace {

using namespace ReplyEffects;
using Protocol::Header;
using Protocol::ParsedReply;

constexpr char Blank = ' ';
constexpr int TenthsPerUnit = 10;
constexpr qsizetype MeasurementEffects = 16;
constexpr int OctetsPerAddress = 4;

// Fields of the window the replies fill.
constexpr int LanGatewayField = 4; // Text1(4) to Text1(7)
constexpr int LanStdDestField = 12; // Text1(12) to Text1(15)
constexpr int LanTDiffOnField = 18;
constexpr int LanTDiffOffField = 19;
constexpr int LanFlagCount = 8;
// Reply 240 makes the new address, port and eNum current, not the T-Diff fields.
constexpr int LanFieldsTakenOver = 18;
constexpr int RadioENumField = 3;
constexpr int RadioTDiffOnField = 4;
constexpr int RadioTDiffOffField = 5;
constexpr int RadioFieldCount = 6;
constexpr int RadioFlagCount = 6;
constexpr int TDiffRegulatorBit = 5;

// Only these device functions have flags worth showing.
constexpr quint8 FlagFunctions[] = {Protocol::FunctionSwitching, Protocol::FunctionThermostat,
                                    Protocol::FunctionSolarTracker, Protocol::FunctionControlServer};

constexpr quint32 InputActive = 0xFFFF00;
constexpr quint32 InputIdle = 0xC0C0C0;

const QString DecodeError = QStringLiteral("-> Error: kann Daten nicht dekodieren!!");
const QString NoDataError = QStringLiteral("-> Error: keine Daten !");

const QString LanFlagTexts[LanFlagCount] = {
    QStringLiteral("OutStateMem="),   QStringLiteral(", InStateMem="),
    QStringLiteral(", SysTimeOut="),  QStringLiteral(", AutoTxInChg="),
    QStringLiteral(", AutoTxRepeat="), QStringLiteral(", T-DiffRegler="),
    QStringLiteral(", supress HighPr. Port="), QStringLiteral(", M2M Comm="),
};
const QString RadioFlagTexts[RadioFlagCount] = {
    QStringLiteral("OutStateMem="),    QStringLiteral(", InStateMem="),  QStringLiteral(", SystemTimeOut="),
    QStringLiteral(", AutoTxInChg="),  QStringLiteral(", AutoTxRepeat="), QStringLiteral(", T-DiffRegler="),
};

QString deviceClassText(quint8 value)
{
    switch (value) {
    case Protocol::DeviceClassCable: return QStringLiteral("Kabel-Devices");
    case Protocol::DeviceClassLan: return QStringLiteral("LAN-Devices");
    case Protocol::DeviceClassRadio: return QStringLiteral("Funk-Devices");
    default: return QString();
    }
}

QString deviceFunctionText(quint8 value)
{
    switch (value) {
    case Protocol::FunctionUnassigned: return QStringLiteral("ohne Zuordnung");
    case Protocol::FunctionSwitching: return QStringLiteral("Schalt-Devices");
    case Protocol::FunctionThermostat: return QStringLiteral("Thermostat");
    case Protocol::FunctionHeatPumpController: return QStringLiteral("WärmepumpenController");
    case Protocol::FunctionSolarTracker: return QStringLiteral("Solartracker");
    case Protocol::FunctionRemoteControl: return QStringLiteral("Fernbedienung");
    case Protocol::FunctionWeatherStation: return QStringLiteral("Wetterstation");
    case Protocol::FunctionDataDisplay: return QStringLiteral("Datenanzeige");
    case Protocol::FunctionTimeServer: return QStringLiteral("TimeServer");
    case Protocol::FunctionControlServer: return QStringLiteral("ControlServer");
    case Protocol::FunctionGateway: return QStringLiteral("Gateway (Funk/Lan)");
    case Protocol::FunctionPcSoftware: return QStringLiteral("PC Software");
    default: return QString();
    }
}

// Channel and flag positions are 0 to 7, which BitB always answers.
bool bit(quint8 value, int position)
{
    return BitOperations::BitB(value, position).value_or(false);
}

// "0.0": one decimal place with the locale's decimal separator, no grouping.
QString oneDecimal(int tenths, const QLocale &locale)
{
    return QString::number(tenths / TenthsPerUnit) + locale.decimalPoint() + QString::number(tenths % TenthsPerUnit);
}

// The weather line's own form: shortest, "." whatever the locale.
QString shortestTenths(int tenths)
{
    const QString whole = QString::number(tenths / TenthsPerUnit);
    return tenths % TenthsPerUnit == 0 ? whole : whole + u'.' + QString::number(tenths % TenthsPerUnit);
}

// Four octets as decimal numbers separated by ".".
QString address(const Protocol::Ipv4 &octets)
{
    QStringList parts;
    for (quint8 octet : octets)
        parts << QString::number(octet);
    return parts.join(u'.');
}

// Firmware characters are shown as they are; one that did not arrive leaves its place empty.
QString firmwareLine(const Protocol::Firmware &firmware, int arrived)
{
    QStringList characters;
    for (int k = 0; k < int(firmware.size()); ++k)
        characters << (k < arrived ? QString(QChar(char16_t(firmware[std::size_t(k)]))) : QString());
    return QStringLiteral("-> Firmware ") + characters.join(u'.');
}

// One decoding: the reply as far as it arrived, what it reads of the window,
// and the effects so far. A step returns false where a field it needs did not arrive.
struct Decoding
{
    Decoding(const ParsedReply &parsed, const ReplySnapshot &snapshot)
        : parsed(parsed), header(parsed.message.header), snapshot(snapshot)
    {
        // Room for the effects of a measurement reply, the one that comes every 3 s while polling, so that the list
        // does not grow step by step; longer replies grow it as needed.
        effects.reserve(MeasurementEffects);
    }

    const ParsedReply &parsed;
    const Header &header;
    const ReplySnapshot &snapshot;
    QList<ReplyEffect> effects;
    ReplyEnd end = ReplyEnd::Decoded;

    void log(const QString &text) { effects.append(WriteLog{text}); }
    void setText(ControlArray array, int index, const QString &text) { effects.append(SetText{{array, index}, text}); }
    void setCheck(ControlArray array, int index, bool ticked) { effects.append(SetCheck{{array, index}, ticked ? 1 : 0}); }

    bool hasFlags() const
    {
        return parsed.arrived(&Header::deviceFunction)
            && std::find(std::begin(FlagFunctions), std::end(FlagFunctions), header.deviceFunction)
            != std::end(FlagFunctions);
    }

    bool parameterReply(auto branch);
    bool lanParameters(const Protocol::LanParameters &lan);
    bool radioParameters(const Protocol::RadioParameters &radio);

    bool decode(const Protocol::UnknownReply &) { return false; }
    bool decode(const Protocol::LanParameters &lan)
    {
        return parameterReply([&] { return lanParameters(lan); });
    }
    bool decode(const Protocol::RadioParameters &radio)
    {
        return parameterReply([&] { return radioParameters(radio); });
    }
    bool decode(const Protocol::OtherParameters &)
    {
        return parameterReply([] { return true; });
    }
    bool decode(const Protocol::ProgrammingAcknowledged &)
    {
        log(QStringLiteral("-> Programmierung erfolgreich. Boote neu........"));
        return true;
    }
    bool decode(const Protocol::LanProgrammingAcknowledged &)
    {
        log(QStringLiteral("-> Programmierung erfolgreich! Device bootet neu...."));
        // From now on the tool listens on the new port and addresses the new IP.
        for (int k = 0; k < LanFieldsTakenOver; ++k)
            setText(ControlArray::Text1, k, snapshot.text2[std::size_t(k)]);
        return true;
    }
    bool decode(const Protocol::MeasurementValues &values);
    bool decode(const Protocol::SwitchAcknowledged &acknowledged);
    bool decode(const Protocol::WeatherData &weather);
};

bool Decoding::parameterReply(auto branch)
{
    if (!parsed.arrived(&Header::deviceClass) || !branch() || !parsed.arrived(&Header::deviceFunction))
        return false;
    log(QStringLiteral("-> Device: ") + deviceClassText(header.deviceClass) + QStringLiteral(", Funktion=")
        + deviceFunctionText(header.deviceFunction));
    return true;
}

bool Decoding::lanParameters(const Protocol::LanParameters &lan)
{
    using Protocol::LanParameters;
    log(firmwareLine(lan.firmware, parsed.partsArrived(&LanParameters::firmware)));

    if (!parsed.arrived(&LanParameters::ipAddress) || !parsed.arrived(&LanParameters::gateway))
        return false;
    for (int k = 0; k < OctetsPerAddress; ++k)
        setText(ControlArray::Text1, LanGatewayField + k, QString::number(lan.gateway[std::size_t(k)]));
    if (!parsed.arrived(&LanParameters::subnetMask))
        return false;
    // Octet by octet, so the octets that arrived stay shown when the reply breaks off.
    const int destinationOctets = parsed.partsArrived(&LanParameters::standardDestination);
    for (int k = 0; k < destinationOctets; ++k)
        setText(ControlArray::Text1, LanStdDestField + k, QString::number(lan.standardDestination[std::size_t(k)]));
    if (!parsed.arrived(&LanParameters::standardDestination) || !parsed.arrived(&LanParameters::port))
        return false;
    log(QStringLiteral("-> connectet: LAN ") + address(lan.ipAddress) + QStringLiteral(",  GateWay ")
        + address(lan.gateway) + QStringLiteral(", NwMask ") + address(lan.subnetMask)
        + QStringLiteral(", StdDest-IP ") + address(lan.standardDestination) + QStringLiteral(", Port ")
        + QString::number(lan.port) + QStringLiteral(", eNum=") + QString::number(header.eNum));

    if (!hasFlags())
        return true;
    if (!parsed.arrived(&LanParameters::flags))
        return false;
    QString line = QStringLiteral("-> Parameter: ");
    for (int k = 0; k < LanFlagCount; ++k) {
        setCheck(ControlArray::Check1, k, bit(lan.flags, k));
        line += LanFlagTexts[k] + QString::number(bit(lan.flags, k) ? 1 : 0);
    }
    log(line);

    setText(ControlArray::Text2, LanTDiffOnField, snapshot.text1[LanTDiffOnField]);
    setText(ControlArray::Text2, LanTDiffOffField, snapshot.text1[LanTDiffOffField]);
    for (int k = 0; k < LanFlagCount; ++k)
        setCheck(ControlArray::Check2, k, bit(lan.flags, k));
    // A LAN reply carries no T-Diff values, so it has no T-Diff line.
    return true;
}

bool Decoding::radioParameters(const Protocol::RadioParameters &radio)
{
    using Protocol::RadioParameters;
    log(firmwareLine(radio.firmware, parsed.partsArrived(&RadioParameters::firmware)));

    const QString eNum = QString::number(header.eNum);
    setText(ControlArray::Text3, RadioENumField, eNum);
    log(QStringLiteral("-> Deviceadresse ") + QString::number(header.sourceHigh) + u'.'
        + QString::number(header.sourceLow) + QStringLiteral(", eNum ") + eNum);

    if (!parsed.arrived(&RadioParameters::frequency))
        return false;
    const SelectorRows::FrequencyBoxes frequency = SelectorRows::frequencyBoxesFor(radio.frequency);
    for (int k = SelectorRows::FrequencyBits - 1; k >= 0; --k)
        setCheck(ControlArray::Check5, k, frequency[std::size_t(k)]);
    // The label follows the boxes only when one of them changed.
    const QString frequencyCaption = frequency == snapshot.check5
        ? snapshot.label15Frequency
        : SelectorRows::frequencyCaption(frequency, snapshot.locale);

    if (!parsed.arrived(&RadioParameters::txPower))
        return false;
    const SelectorRows::TxPowerBoxes txPower = SelectorRows::txPowerBoxesFor(radio.txPower);
    for (int k = 0; k < SelectorRows::TxPowerBits; ++k)
        setCheck(ControlArray::Check6, k, txPower[std::size_t(k)]);
    log(QStringLiteral("-> Sendeleistung(Dämpfung) =") + QString::number(SelectorRows::txPowerAttenuation(txPower))
        + QStringLiteral(" dB, ") + frequencyCaption);

    if (!hasFlags())
        return true;
    if (!parsed.arrived(&RadioParameters::flags))
        return false;
    QString line = QStringLiteral("-> Parameter: ");
    for (int k = 0; k < RadioFlagCount; ++k) {
        setCheck(ControlArray::Check3, k, bit(radio.flags, k));
        line += RadioFlagTexts[k] + QString::number(bit(radio.flags, k) ? 1 : 0);
    }
    log(line);

    if (!parsed.arrived(&RadioParameters::tDiffOn))
        return false;
    const QString tDiffOnText = oneDecimal(radio.tDiffOn, snapshot.locale);
    setText(ControlArray::Text3, RadioTDiffOnField, tDiffOnText);
    if (!parsed.arrived(&RadioParameters::tDiffOff))
        return false;
    const QString tDiffOffText = oneDecimal(radio.tDiffOff, snapshot.locale);
    setText(ControlArray::Text3, RadioTDiffOffField, tDiffOffText);
    if (bit(radio.flags, TDiffRegulatorBit))
        log(QStringLiteral("-> T-Diff EIN=") + tDiffOnText + QStringLiteral("°C, T-Diff AUS=") + tDiffOffText
            + QStringLiteral("°C"));

    for (int k = 0; k < RadioFlagCount; ++k)
        setCheck(ControlArray::Check4, k, bit(radio.flags, k));
    for (int k = 0; k < SelectorRows::FrequencyBits; ++k)
        setCheck(ControlArray::Check7, k, frequency[std::size_t(k)]);
    for (int k = 0; k < SelectorRows::TxPowerBits; ++k)
        setCheck(ControlArray::Check8, k, txPower[std::size_t(k)]);
    // The address fields were not written from the reply; the new ones take them as they are.
    std::array<QString, RadioFieldCount> current = snapshot.text3;
    current[RadioENumField] = eNum;
    current[RadioTDiffOnField] = tDiffOnText;
    current[RadioTDiffOffField] = tDiffOffText;
    for (int k = 0; k < RadioFieldCount; ++k)
        setText(ControlArray::Text5, k, current[std::size_t(k)]);
    return true;
}

bool Decoding::decode(const Protocol::MeasurementValues &values)
{
    using Protocol::MeasurementValues;
    // The outputs are known before UpdatingPorts is raised, so a reply that
    // breaks off can never leave the switch buttons silenced.
    if (!parsed.arrived(&MeasurementValues::outputs))
        return false;
    effects.append(SetUpdatingPorts{true});
    QString line = QStringLiteral("-> OutPort: ");
    for (int n = 1; n <= Protocol::ChannelCount; ++n) {
        const bool on = bit(values.outputs, n - 1);
        line += QStringLiteral("Kanal ") + QString::number(n) + QLatin1String(on ? "=ON, " : "=OFF, ");
        effects.append(SetSwitchState{{ControlArray::Port1, n - 1}, on});
    }
    line.chop(2);
    log(line);
    effects.append(SetUpdatingPorts{false});

    if (!parsed.arrived(&MeasurementValues::inputs))
        return false;
    line = QStringLiteral("-> InPort: ");
    for (int n = 1; n <= Protocol::ChannelCount; ++n) {
        const bool active = bit(values.inputs, n - 1);
        line += QStringLiteral("Kanal ") + QString::number(n) + QLatin1String(active ? "=ON, " : "=OFF, ");
        effects.append(SetFillColour{{ControlArray::Shape1, n - 1}, active ? InputActive : InputIdle});
    }
    line.chop(2);
    log(line);

    if (!parsed.arrived(&MeasurementValues::temperature1) || !parsed.arrived(&MeasurementValues::temperature2))
        return false;
    // A positive value has a blank where the minus would stand.
    const auto shown = [this](const Protocol::Temperature &t) {
        return (t.negative ? QStringLiteral("-") : QStringLiteral(" ")) + oneDecimal(t.tenths, snapshot.locale);
    };
    const QString first = shown(values.temperature1);
    const QString second = shown(values.temperature2);
    setText(ControlArray::Label12, 0,
            QStringLiteral("Temperatur 1: ") + first + QStringLiteral(" °C ") + QStringLiteral("Temperatur 2: ")
                + second + QStringLiteral(" °C"));
    const QString eNum = QString::number(header.eNum);
    if (header.deviceFunction == Protocol::FunctionThermostat)
        log(QStringLiteral("-> Messwert: ") + first + QStringLiteral(" °C, Sollwert: ") + second
            + QStringLiteral(" °C, eNum=") + eNum);
    else
        log(QStringLiteral("-> Temperatur1: ") + first + QStringLiteral(" °C,  Temperatur2: ") + second
            + QStringLiteral(" °C, eNum=") + eNum);
    return true;
}

bool Decoding::decode(const Protocol::SwitchAcknowledged &acknowledged)
{
    if (!parsed.arrived(&Protocol::SwitchAcknowledged::outputs))
        return false;
    QStringList channels;
    for (int n = 1; n <= Protocol::ChannelCount; ++n)
        channels << QStringLiteral("Ch %1=%2").arg(n).arg(bit(acknowledged.outputs, n - 1) ? 1 : 0);
    log(QStringLiteral("-> Port geschaltet! Status:  ") + channels.join(QStringLiteral(",  ")));
    return true;
}

bool Decoding::decode(const Protocol::WeatherData &weather)
{
    log(QStringLiteral("-> empfange Wetterdaten...."));
    // Short weather data is no error: the exchange stays open for the rest.
    if (!parsed.complete()) {
        end = ReplyEnd::KeptOpen;
        return true;
    }
    log(QStringLiteral("außen= ") + (weather.outside.negative ? QStringLiteral("-") : QString())
        + shortestTenths(weather.outside.tenths) + QStringLiteral(" °C, Regen=") + shortestTenths(weather.rain)
        + QStringLiteral(" Lt/m², Wind akt.=") + QString::number(weather.windSpeed)
        + QStringLiteral(" Km/h, Wind max=") + QString::number(weather.windSpeedMax)
        + QStringLiteral(" Km/h, Licht=") + QString::number(weather.light));
    return true;
}

} // namespace

bool NothingReadable(QByteArrayView received)
{
    return std::all_of(received.begin(), received.end(), [](char c) { return c == Blank; });
}

DecodedReply DecodeReply(QByteArrayView received, const ReplySnapshot &snapshot)
{
    DecodedReply result;
    if (NothingReadable(received)) {
        result.effects.append(WriteLog{NoDataError});
        result.rxBuffer = received.toByteArray();
        return result;
    }
    const QByteArrayView decoded = received.first(std::min<qsizetype>(received.size(), MaxDecodedLength));
    result.rxBuffer = Protocol::frameBody(decoded).toByteArray();

    const ParsedReply parsed = Protocol::parseReply(decoded);
    Decoding decoding(parsed, snapshot);
    const bool handled = std::visit([&decoding](const auto &reply) { return decoding.decode(reply); },
                                    parsed.message.payload);
    result.end = decoding.end;
    if (!handled) {
        decoding.log(DecodeError);
        result.end = ReplyEnd::Undecodable;
    }
    result.effects = std::move(decoding.effects);
    return result;
}

} // namespace ReplyDecoder
