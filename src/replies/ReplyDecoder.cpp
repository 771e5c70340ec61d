#include "replies/ReplyDecoder.h"

#include "requests/BitOperations.h"
#include "requests/FrameFormat.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace ReplyDecoder {

namespace {

using namespace FrameFormat;
using namespace ReplyEffects;

constexpr char Blank = ' ';
constexpr int NoCode = -1; // the body is too short to hold a reply code
constexpr int TenthsPerUnit = 10;
constexpr int ByteBase = 256;
constexpr quint8 SignBit = 0x80;
constexpr int OctetsPerAddress = 4;
constexpr int FirmwareCharacters = 4;
constexpr int ChannelCount = 4;

// Payload byte k (from 1) of a reply sits at body position PosData + k - 1.
constexpr int payloadPosition(int byteNumber)
{
    return PosData + byteNumber - 1;
}

// Parameter reply of a LAN adapter.
constexpr int LanFirmware = payloadPosition(1);
constexpr int LanIpAddress = payloadPosition(5);
constexpr int LanGateway = payloadPosition(9);
constexpr int LanNetMask = payloadPosition(13);
constexpr int LanStdDest = payloadPosition(17);
constexpr int LanPort = payloadPosition(21); // high byte, then low byte
constexpr int LanFlags = payloadPosition(23);
constexpr int LanGatewayField = 4; // Text1(4) to Text1(7)
constexpr int LanStdDestField = 12; // Text1(12) to Text1(15)
constexpr int LanTDiffOnField = 18;
constexpr int LanTDiffOffField = 19;
constexpr int LanFlagCount = 8;
// Reply 240 makes the new address, port and eNum current, not the T-Diff fields.
constexpr int LanFieldsTakenOver = 18;

// Parameter reply of a radio device.
constexpr int RadioTxPower = payloadPosition(1);
constexpr int RadioFrequency = payloadPosition(2); // high byte, then low byte
constexpr int RadioFirmware = payloadPosition(4);
constexpr int RadioFlags = payloadPosition(8);
constexpr int RadioTDiffOn = payloadPosition(9);
constexpr int RadioTDiffOff = payloadPosition(10);
constexpr int RadioENumField = 3;
constexpr int RadioTDiffOnField = 4;
constexpr int RadioTDiffOffField = 5;
constexpr int RadioFieldCount = 6;
constexpr int RadioFlagCount = 6;
constexpr int TDiffRegulatorBit = 5;

// Measurement reply and switch acknowledgement.
constexpr int OutputChannels = payloadPosition(1);
constexpr int InputChannels = payloadPosition(2);
constexpr int Temperature1 = payloadPosition(3);
constexpr int Temperature2 = payloadPosition(5);

// Weather reply, payload bytes counted from 1.
constexpr int WeatherPayloadMinimum = 10;
constexpr int WeatherWindNow = 1;
constexpr int WeatherWindMax = 2;
constexpr int WeatherRain = 3;
constexpr int WeatherOutside = 8;
constexpr int WeatherLight = 10;

constexpr int DeviceClassLan = 1;
constexpr int DeviceClassRadio = 2;
constexpr int FunctionSwitching = 1;
constexpr int FunctionThermostat = 5;
constexpr int FunctionSolarTracker = 80;
constexpr int FunctionControlServer = 250;
// Only these device functions have flags worth showing.
constexpr int FlagFunctions[] = {FunctionSwitching, FunctionThermostat, FunctionSolarTracker, FunctionControlServer};

const QColor InputActive(255, 255, 0);
const QColor InputIdle(192, 192, 192);

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
    case 0: return QStringLiteral("Kabel-Devices");
    case 1: return QStringLiteral("LAN-Devices");
    case 2: return QStringLiteral("Funk-Devices");
    default: return QString();
    }
}

QString deviceFunctionText(quint8 value)
{
    switch (value) {
    case 0: return QStringLiteral("ohne Zuordnung");
    case 1: return QStringLiteral("Schalt-Devices");
    case 5: return QStringLiteral("Thermostat");
    case 14: return QStringLiteral("WärmepumpenController");
    case 80: return QStringLiteral("Solartracker");
    case 100: return QStringLiteral("Fernbedienung");
    case 150: return QStringLiteral("Wetterstation");
    case 200: return QStringLiteral("Datenanzeige");
    case 249: return QStringLiteral("TimeServer");
    case 250: return QStringLiteral("ControlServer");
    case 254: return QStringLiteral("Gateway (Funk/Lan)");
    case 255: return QStringLiteral("PC Software");
    default: return QString();
    }
}

// Channel and flag positions are 0 to 7, which BitB always answers.
bool bit(quint8 value, int position)
{
    return BitOperations::BitB(value, position).value_or(false);
}

// A temperature as it travels: sign bit, then the magnitude in tenths.
struct Temperature
{
    bool negative = false;
    int tenths = 0;
};

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

// The body of a reply, read by position from 1; a position beyond what
// arrived has no byte.
class Body
{
public:
    explicit Body(QByteArrayView bytes) : m_bytes(bytes) {}

    qsizetype size() const { return m_bytes.size(); }

    std::optional<quint8> byte(int position) const
    {
        if (position < 1 || position > m_bytes.size())
            return std::nullopt;
        return static_cast<quint8>(m_bytes[position - 1]);
    }

    // A firmware character is shown as it is; a missing one leaves its place empty.
    QString character(int position) const
    {
        const std::optional<quint8> value = byte(position);
        return value ? QString(QChar(char16_t(*value))) : QString(); // one byte, one character
    }

    std::optional<int> word(int highPosition) const
    {
        const std::optional<quint8> high = byte(highPosition);
        const std::optional<quint8> low = byte(highPosition + 1);
        if (!high || !low)
            return std::nullopt;
        return *high * ByteBase + *low;
    }

    std::optional<Temperature> temperature(int highPosition) const
    {
        const std::optional<quint8> high = byte(highPosition);
        const std::optional<quint8> low = byte(highPosition + 1);
        if (!high || !low)
            return std::nullopt;
        return Temperature{(*high & SignBit) != 0, (*high & ~SignBit) * ByteBase + *low};
    }

    // Four octets as decimal numbers separated by ".".
    std::optional<QString> address(int firstPosition) const
    {
        QStringList octets;
        for (int k = 0; k < OctetsPerAddress; ++k) {
            const std::optional<quint8> octet = byte(firstPosition + k);
            if (!octet)
                return std::nullopt;
            octets << QString::number(*octet);
        }
        return octets.join(u'.');
    }

    QString firmware(int firstPosition) const
    {
        QStringList characters;
        for (int k = 0; k < FirmwareCharacters; ++k)
            characters << character(firstPosition + k);
        return QStringLiteral("-> Firmware ") + characters.join(u'.');
    }

private:
    QByteArrayView m_bytes;
};

// One decoding: the body, what it reads of the window, and the effects so far.
// A handler returns false where a byte it needs did not arrive.
struct Decoding
{
    Decoding(Body body, const ReplySnapshot &snapshot) : body(body), snapshot(snapshot) {}

    const Body body;
    const ReplySnapshot &snapshot;
    QList<ReplyEffect> effects;

    void log(const QString &text) { effects.append(WriteLog{text}); }
    void setText(ControlArray array, int index, const QString &text) { effects.append(SetText{{array, index}, text}); }
    void setCheck(ControlArray array, int index, bool ticked) { effects.append(SetCheck{{array, index}, ticked ? 1 : 0}); }

    bool hasFlags() const
    {
        const std::optional<quint8> function = body.byte(PosDeviceFunction);
        return function && std::find(std::begin(FlagFunctions), std::end(FlagFunctions), *function)
            != std::end(FlagFunctions);
    }

    bool lanParameters();
    bool radioParameters();
    bool parameterReply();
    bool measurementReply();
    bool switchAcknowledged();
    ReplyEnd weatherReply();
};

bool Decoding::lanParameters()
{
    log(body.firmware(LanFirmware));

    const std::optional<QString> ip = body.address(LanIpAddress);
    const std::optional<QString> gateway = body.address(LanGateway);
    if (!ip || !gateway)
        return false;
    for (int k = 0; k < OctetsPerAddress; ++k)
        setText(ControlArray::Text1, LanGatewayField + k, QString::number(*body.byte(LanGateway + k)));
    const std::optional<QString> netMask = body.address(LanNetMask);
    if (!netMask)
        return false;
    // Field by field, so the octets that arrived stay shown when the reply breaks off.
    for (int k = 0; k < OctetsPerAddress; ++k) {
        const std::optional<quint8> octet = body.byte(LanStdDest + k);
        if (!octet)
            return false;
        setText(ControlArray::Text1, LanStdDestField + k, QString::number(*octet));
    }
    const std::optional<int> port = body.word(LanPort);
    if (!port)
        return false;
    log(QStringLiteral("-> connectet: LAN ") + *ip + QStringLiteral(",  GateWay ") + *gateway
        + QStringLiteral(", NwMask ") + *netMask + QStringLiteral(", StdDest-IP ") + *body.address(LanStdDest)
        + QStringLiteral(", Port ") + QString::number(*port) + QStringLiteral(", eNum=")
        + QString::number(*body.byte(PosENum)));

    if (!hasFlags())
        return true;
    const std::optional<quint8> flags = body.byte(LanFlags);
    if (!flags)
        return false;
    QString line = QStringLiteral("-> Parameter: ");
    for (int k = 0; k < LanFlagCount; ++k) {
        setCheck(ControlArray::Check1, k, bit(*flags, k));
        line += LanFlagTexts[k] + QString::number(bit(*flags, k) ? 1 : 0);
    }
    log(line);

    setText(ControlArray::Text2, LanTDiffOnField, snapshot.text1[LanTDiffOnField]);
    setText(ControlArray::Text2, LanTDiffOffField, snapshot.text1[LanTDiffOffField]);
    for (int k = 0; k < LanFlagCount; ++k)
        setCheck(ControlArray::Check2, k, bit(*flags, k));
    // A LAN reply carries no T-Diff values, so it has no T-Diff line.
    return true;
}

bool Decoding::radioParameters()
{
    log(body.firmware(RadioFirmware));

    const QString eNum = QString::number(*body.byte(PosENum));
    setText(ControlArray::Text3, RadioENumField, eNum);
    log(QStringLiteral("-> Deviceadresse ") + QString::number(*body.byte(PosSrcHigh)) + u'.'
        + QString::number(*body.byte(PosSrcLow)) + QStringLiteral(", eNum ") + eNum);

    const std::optional<int> frequencyWord = body.word(RadioFrequency);
    if (!frequencyWord)
        return false;
    const SelectorRows::FrequencyBoxes frequency = SelectorRows::frequencyBoxesFor(*frequencyWord);
    for (int k = SelectorRows::FrequencyBits - 1; k >= 0; --k)
        setCheck(ControlArray::Check5, k, frequency[std::size_t(k)]);
    // The label follows the boxes only when one of them changed.
    const QString frequencyCaption = frequency == snapshot.check5
        ? snapshot.label15Frequency
        : SelectorRows::frequencyCaption(frequency, snapshot.locale);

    const std::optional<quint8> txPowerByte = body.byte(RadioTxPower);
    if (!txPowerByte)
        return false;
    const SelectorRows::TxPowerBoxes txPower = SelectorRows::txPowerBoxesFor(*txPowerByte);
    for (int k = 0; k < SelectorRows::TxPowerBits; ++k)
        setCheck(ControlArray::Check6, k, txPower[std::size_t(k)]);
    log(QStringLiteral("-> Sendeleistung(Dämpfung) =") + QString::number(SelectorRows::txPowerAttenuation(txPower))
        + QStringLiteral(" dB, ") + frequencyCaption);

    if (!hasFlags())
        return true;
    const std::optional<quint8> flags = body.byte(RadioFlags);
    if (!flags)
        return false;
    QString line = QStringLiteral("-> Parameter: ");
    for (int k = 0; k < RadioFlagCount; ++k) {
        setCheck(ControlArray::Check3, k, bit(*flags, k));
        line += RadioFlagTexts[k] + QString::number(bit(*flags, k) ? 1 : 0);
    }
    log(line);

    const std::optional<quint8> tDiffOn = body.byte(RadioTDiffOn);
    if (!tDiffOn)
        return false;
    const QString tDiffOnText = oneDecimal(*tDiffOn, snapshot.locale);
    setText(ControlArray::Text3, RadioTDiffOnField, tDiffOnText);
    const std::optional<quint8> tDiffOff = body.byte(RadioTDiffOff);
    if (!tDiffOff)
        return false;
    const QString tDiffOffText = oneDecimal(*tDiffOff, snapshot.locale);
    setText(ControlArray::Text3, RadioTDiffOffField, tDiffOffText);
    if (bit(*flags, TDiffRegulatorBit))
        log(QStringLiteral("-> T-Diff EIN=") + tDiffOnText + QStringLiteral("°C, T-Diff AUS=") + tDiffOffText
            + QStringLiteral("°C"));

    for (int k = 0; k < RadioFlagCount; ++k)
        setCheck(ControlArray::Check4, k, bit(*flags, k));
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

bool Decoding::parameterReply()
{
    const std::optional<quint8> deviceClass = body.byte(PosDeviceClass);
    if (!deviceClass)
        return false;
    if (*deviceClass == DeviceClassLan && !lanParameters())
        return false;
    if (*deviceClass == DeviceClassRadio && !radioParameters())
        return false;
    const std::optional<quint8> function = body.byte(PosDeviceFunction);
    if (!function)
        return false;
    log(QStringLiteral("-> Device: ") + deviceClassText(*deviceClass) + QStringLiteral(", Funktion=")
        + deviceFunctionText(*function));
    return true;
}

bool Decoding::measurementReply()
{
    // The output byte is read before UpdatingPorts is raised, so a reply that
    // breaks off can never leave the switch buttons silenced.
    const std::optional<quint8> outputs = body.byte(OutputChannels);
    if (!outputs)
        return false;
    effects.append(SetUpdatingPorts{true});
    QString line = QStringLiteral("-> OutPort: ");
    for (int n = 1; n <= ChannelCount; ++n) {
        const bool on = bit(*outputs, n - 1);
        line += QStringLiteral("Kanal %1=").arg(n) + (on ? QStringLiteral("ON, ") : QStringLiteral("OFF, "));
        effects.append(SetSwitchState{{ControlArray::Port1, n - 1}, on});
    }
    line.chop(2);
    log(line);
    effects.append(SetUpdatingPorts{false});

    const std::optional<quint8> inputs = body.byte(InputChannels);
    if (!inputs)
        return false;
    line = QStringLiteral("-> InPort: ");
    for (int n = 1; n <= ChannelCount; ++n) {
        const bool active = bit(*inputs, n - 1);
        line += QStringLiteral("Kanal %1=").arg(n) + (active ? QStringLiteral("ON, ") : QStringLiteral("OFF, "));
        effects.append(SetFillColour{{ControlArray::Shape1, n - 1}, active ? InputActive : InputIdle});
    }
    line.chop(2);
    log(line);

    const std::optional<Temperature> first = body.temperature(Temperature1);
    const std::optional<Temperature> second = body.temperature(Temperature2);
    if (!first || !second)
        return false;
    // A positive value has a blank where the minus would stand.
    const auto shown = [this](const Temperature &t) {
        return (t.negative ? QStringLiteral("-") : QStringLiteral(" ")) + oneDecimal(t.tenths, snapshot.locale);
    };
    setText(ControlArray::Label12, 0,
            QStringLiteral("Temperatur 1: ") + shown(*first) + QStringLiteral(" °C ") + QStringLiteral("Temperatur 2: ")
                + shown(*second) + QStringLiteral(" °C"));
    const QString eNum = QString::number(*body.byte(PosENum));
    if (body.byte(PosDeviceFunction) == FunctionThermostat)
        log(QStringLiteral("-> Messwert: ") + shown(*first) + QStringLiteral(" °C, Sollwert: ") + shown(*second)
            + QStringLiteral(" °C, eNum=") + eNum);
    else
        log(QStringLiteral("-> Temperatur1: ") + shown(*first) + QStringLiteral(" °C,  Temperatur2: ") + shown(*second)
            + QStringLiteral(" °C, eNum=") + eNum);
    return true;
}

bool Decoding::switchAcknowledged()
{
    const std::optional<quint8> outputs = body.byte(OutputChannels);
    if (!outputs)
        return false;
    QStringList channels;
    for (int n = 1; n <= ChannelCount; ++n)
        channels << QStringLiteral("Ch %1=%2").arg(n).arg(bit(*outputs, n - 1) ? 1 : 0);
    log(QStringLiteral("-> Port geschaltet! Status:  ") + channels.join(QStringLiteral(",  ")));
    return true;
}

ReplyEnd Decoding::weatherReply()
{
    log(QStringLiteral("-> empfange Wetterdaten...."));
    if (body.size() - (PosData - 1) < WeatherPayloadMinimum)
        return ReplyEnd::KeptOpen;
    const auto payload = [this](int byteNumber) { return *body.byte(payloadPosition(byteNumber)); };
    const Temperature outside = *body.temperature(payloadPosition(WeatherOutside));
    const int rain = *body.word(payloadPosition(WeatherRain));
    log(QStringLiteral("außen= ") + (outside.negative ? QStringLiteral("-") : QString()) + shortestTenths(outside.tenths)
        + QStringLiteral(" °C, Regen=") + shortestTenths(rain) + QStringLiteral(" Lt/m², Wind akt.=")
        + QString::number(payload(WeatherWindNow)) + QStringLiteral(" Km/h, Wind max=")
        + QString::number(payload(WeatherWindMax)) + QStringLiteral(" Km/h, Licht=")
        + QString::number(payload(WeatherLight)));
    return ReplyEnd::Decoded;
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
    const QByteArrayView bodyBytes = decoded.sliced(std::min<qsizetype>(decoded.size(), PreambleLength));
    result.rxBuffer = bodyBytes.toByteArray();

    Decoding decoding(Body(bodyBytes), snapshot);
    const std::optional<quint8> code = decoding.body.byte(PosCommand);
    bool handled = false;
    result.end = ReplyEnd::Decoded;
    switch (code ? int(*code) : NoCode) {
    case CodeParameterReply:
        handled = decoding.parameterReply();
        break;
    case CodeProgrammingAcknowledged:
        decoding.log(QStringLiteral("-> Programmierung erfolgreich. Boote neu........"));
        handled = true;
        break;
    case CodeProgrammingAcknowledgedNewLan:
        decoding.log(QStringLiteral("-> Programmierung erfolgreich! Device bootet neu...."));
        // From now on the tool listens on the new port and addresses the new IP.
        for (int k = 0; k < LanFieldsTakenOver; ++k)
            decoding.setText(ControlArray::Text1, k, snapshot.text2[std::size_t(k)]);
        handled = true;
        break;
    case CodeMeasurementReply:
    case CodeMeasurementReplyEcho:
        handled = decoding.measurementReply();
        break;
    case CodeSwitchAcknowledged:
        handled = decoding.switchAcknowledged();
        break;
    case CodeWeatherData:
        result.end = decoding.weatherReply();
        handled = true;
        break;
    default:
        break; // an unknown code, or no code at all
    }
    if (!handled) {
        decoding.log(DecodeError);
        result.end = ReplyEnd::Undecodable;
    }
    result.effects = std::move(decoding.effects);
    return result;
}

} // namespace ReplyDecoder
