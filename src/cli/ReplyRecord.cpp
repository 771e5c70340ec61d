#include "cli/ReplyRecord.h"

#include "entry/SelectorRows.h"
#include "protocol/Frame.h"
#include "replies/ReplyDecoder.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ReplyRecord {

const QStringList LanFlagNames = {
    QStringLiteral("out-state-mem"),     QStringLiteral("in-state-mem"),   QStringLiteral("sys-timeout"),
    QStringLiteral("auto-tx-in-change"), QStringLiteral("auto-tx-repeat"), QStringLiteral("t-diff-regulator"),
    QStringLiteral("suppress-high-priority-port"), QStringLiteral("m2m-comm")};

namespace {

using namespace Protocol;

constexpr double TenthsPerUnit = 10.0;
constexpr double BaseMHz = 860.0;
constexpr double FrequencyStepsPerMHz = 200.0; // 5 kHz steps

// The CSV columns; outputs and inputs take a column per channel, the flags one
// column of their names.
const QStringList MeasurementColumns = {
    QStringLiteral("time"), QStringLiteral("target"), QStringLiteral("kind"), QStringLiteral("enum"),
    QStringLiteral("output1"), QStringLiteral("output2"), QStringLiteral("output3"), QStringLiteral("output4"),
    QStringLiteral("input1"), QStringLiteral("input2"), QStringLiteral("input3"), QStringLiteral("input4"),
    QStringLiteral("temperature1_celsius"), QStringLiteral("temperature2_celsius"),
    QStringLiteral("outside_temperature_celsius"), QStringLiteral("rain_litres_per_square_metre"),
    QStringLiteral("wind_speed_kmh"), QStringLiteral("wind_speed_max_kmh"), QStringLiteral("light")};
const QStringList ParameterColumns = {
    QStringLiteral("time"), QStringLiteral("target"), QStringLiteral("kind"), QStringLiteral("enum"),
    QStringLiteral("device_class"), QStringLiteral("device_function"), QStringLiteral("firmware"),
    QStringLiteral("ip_address"), QStringLiteral("gateway"), QStringLiteral("subnet_mask"),
    QStringLiteral("standard_destination"), QStringLiteral("port"), QStringLiteral("flags")};

const QStringList &columns(Table table)
{
    return table == Table::Parameters ? ParameterColumns : MeasurementColumns;
}

QString address(const Ipv4 &octets)
{
    QStringList parts;
    for (quint8 octet : octets)
        parts << QString::number(octet);
    return parts.join(u'.');
}

// As the window shows it: the four characters joined with ".".
QString firmware(const Firmware &characters)
{
    QStringList parts;
    for (quint8 c : characters)
        parts << QString(QChar(char16_t(c)));
    return parts.join(u'.');
}

double celsius(const Temperature &t)
{
    return (t.negative ? -1 : 1) * t.tenths / TenthsPerUnit;
}

QJsonArray channels(quint8 bits)
{
    QJsonArray states;
    for (int n = 0; n < ChannelCount; ++n)
        states.append(bool(bits >> n & 1));
    return states;
}

QJsonArray flags(quint8 bits, int count)
{
    QJsonArray set;
    for (int k = 0; k < count; ++k) {
        if (bits >> k & 1)
            set.append(LanFlagNames[k]);
    }
    return set;
}

// Records only what arrived: a reply the decoder takes although it breaks off
// (a device without flags may leave them out) has its other values all the same.
struct Recorder
{
    explicit Recorder(const ParsedReply &parsed) : parsed(parsed), header(parsed.message.header) {}

    const ParsedReply &parsed;
    const Header &header;
    Fields fields;

    template<class Member>
    void add(const QString &key, Member member, const QJsonValue &value)
    {
        if (parsed.arrived(member))
            fields.append({key, value});
    }
    void kind(const QString &name)
    {
        fields.append({QStringLiteral("kind"), name});
        add(QStringLiteral("enum"), &Header::eNum, header.eNum);
    }
    void device()
    {
        add(QStringLiteral("device_class"), &Header::deviceClass, header.deviceClass);
        add(QStringLiteral("device_function"), &Header::deviceFunction, header.deviceFunction);
    }

    void operator()(const UnknownReply &) { kind(QStringLiteral("unknown")); }
    void operator()(const LanParameters &lan)
    {
        kind(QStringLiteral("parameters"));
        device();
        add(QStringLiteral("firmware"), &LanParameters::firmware, firmware(lan.firmware));
        add(QStringLiteral("ip_address"), &LanParameters::ipAddress, address(lan.ipAddress));
        add(QStringLiteral("gateway"), &LanParameters::gateway, address(lan.gateway));
        add(QStringLiteral("subnet_mask"), &LanParameters::subnetMask, address(lan.subnetMask));
        add(QStringLiteral("standard_destination"), &LanParameters::standardDestination,
            address(lan.standardDestination));
        add(QStringLiteral("port"), &LanParameters::port, lan.port);
        add(QStringLiteral("flags"), &LanParameters::flags, flags(lan.flags, int(LanFlagNames.size())));
    }
    void operator()(const RadioParameters &radio)
    {
        kind(QStringLiteral("parameters"));
        device();
        add(QStringLiteral("device_address_high"), &Header::sourceHigh, header.sourceHigh);
        add(QStringLiteral("device_address_low"), &Header::sourceLow, header.sourceLow);
        add(QStringLiteral("firmware"), &RadioParameters::firmware, firmware(radio.firmware));
        const SelectorRows::TxPowerBoxes txPower = SelectorRows::txPowerBoxesFor(txPowerCode(radio.txPower));
        add(QStringLiteral("tx_power_attenuation_db"), &RadioParameters::txPower,
            SelectorRows::txPowerAttenuation(txPower));
        add(QStringLiteral("frequency_mhz"), &RadioParameters::frequency,
            BaseMHz + frequencyCode(radio.frequency) / FrequencyStepsPerMHz);
        add(QStringLiteral("flags"), &RadioParameters::flags, flags(radio.flags, RadioFlagNameCount));
        add(QStringLiteral("t_diff_on_celsius"), &RadioParameters::tDiffOn, radio.tDiffOn / TenthsPerUnit);
        add(QStringLiteral("t_diff_off_celsius"), &RadioParameters::tDiffOff, radio.tDiffOff / TenthsPerUnit);
    }
    void operator()(const OtherParameters &)
    {
        kind(QStringLiteral("parameters"));
        device();
    }
    void operator()(const ProgrammingAcknowledged &) { kind(QStringLiteral("programmed")); }
    void operator()(const LanProgrammingAcknowledged &) { kind(QStringLiteral("programmed")); }
    void operator()(const MeasurementValues &values)
    {
        using M = MeasurementValues;
        kind(QStringLiteral("measurement"));
        add(QStringLiteral("outputs"), &M::outputs, channels(values.outputs));
        add(QStringLiteral("inputs"), &M::inputs, channels(values.inputs));
        add(QStringLiteral("temperature1_celsius"), &M::temperature1, celsius(values.temperature1));
        add(QStringLiteral("temperature2_celsius"), &M::temperature2, celsius(values.temperature2));
    }
    void operator()(const SwitchAcknowledged &acknowledged)
    {
        kind(QStringLiteral("switch"));
        add(QStringLiteral("outputs"), &SwitchAcknowledged::outputs, channels(acknowledged.outputs));
    }
    void operator()(const WeatherData &weather)
    {
        using W = WeatherData;
        kind(QStringLiteral("weather"));
        add(QStringLiteral("outside_temperature_celsius"), &W::outside, celsius(weather.outside));
        add(QStringLiteral("rain_litres_per_square_metre"), &W::rain, weather.rain / TenthsPerUnit);
        add(QStringLiteral("wind_speed_kmh"), &W::windSpeed, weather.windSpeed);
        add(QStringLiteral("wind_speed_max_kmh"), &W::windSpeedMax, weather.windSpeedMax);
        add(QStringLiteral("light"), &W::light, weather.light);
    }
};

// A value as JSON text: strings quoted and escaped, numbers in their shortest form.
QString jsonText(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString csvText(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.isString())
        return value.toString();
    return jsonText(value);
}

} // namespace

Fields fromReply(QByteArrayView received, bool decodable)
{
    if (!decodable) {
        return {{QStringLiteral("kind"), QStringLiteral("undecodable")},
                {QStringLiteral("bytes"), QString::fromLatin1(received.toByteArray().toHex(' ').toUpper())}};
    }
    const qsizetype decoded = std::min<qsizetype>(received.size(), ReplyDecoder::MaxDecodedLength);
    const ParsedReply parsed = parseReply(received.first(decoded));
    Recorder recorder(parsed);
    std::visit(recorder, parsed.message.payload);
    return recorder.fields;
}

QString jsonLine(const Fields &fields)
{
    QStringList members;
    for (const Field &field : fields)
        members << jsonText(field.key) + u':' + jsonText(field.value);
    return u'{' + members.join(u',') + u'}';
}

QString csvHeader(Table table)
{
    return columns(table).join(u',');
}

QString csvRow(const Fields &fields, Table table)
{
    const QStringList &header = columns(table);
    QStringList row(header.size());
    for (const Field &field : fields) {
        if (const qsizetype column = header.indexOf(field.key); column >= 0 && field.value.isArray()) {
            // Names, such as the flags set, share one column; none contains a space.
            QStringList names;
            for (const QJsonValue &name : field.value.toArray())
                names << csvText(name);
            row[column] = names.join(u' ');
        } else if (field.value.isArray()) {
            const QJsonArray states = field.value.toArray();
            const QString prefix = field.key.chopped(1); // "outputs" gives output1 to output4
            for (int n = 0; n < states.size(); ++n) {
                const qsizetype column = header.indexOf(prefix + QString::number(n + 1));
                if (column >= 0)
                    row[column] = csvText(states[n]);
            }
        } else if (const qsizetype column = header.indexOf(field.key); column >= 0) {
            row[column] = csvText(field.value);
        }
    }
    return row.join(u',');
}

} // namespace ReplyRecord
