#include "InstallationConfig.h"

#include "DeviceBehaviour.h"

#include "protocol/Values.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>

namespace {

constexpr int ByteMax = 255;
constexpr int PortMax = 65535;
constexpr int FrequencyCodeMax = (1 << Protocol::FrequencyCodeBits) - 1;
constexpr int TxPowerCodeMax = (1 << Protocol::TxPowerCodeBits) - 1;
constexpr int RadioFlagsMax = 0x3F;
constexpr int TenthsPerDegree = 10;
constexpr double TemperatureLimit = 3276.7; // what sign and magnitude in 15 bits hold
constexpr double TDiffLimit = 25.5;
constexpr double RainLimit = 6553.5;
constexpr int AddressOctets = 4;
constexpr int AddressBase = 256;

// Defaults for what a file leaves out.
constexpr int DefaultPort = 5000;
constexpr double DefaultDrift = 1.0; // degrees either side of the configured temperature
constexpr double DefaultTemperature = 20.0;
constexpr double DefaultSetPoint = 21.0;
constexpr double DefaultOutside = 10.0;
constexpr int RadioAddressParts = 3; // home, high, low
const QByteArray DefaultFirmware = QByteArrayLiteral("1000");
const Ipv4 DefaultDestination{127, 0, 0, 1};
const Ipv4 DefaultMask{255, 255, 255, 0};

// Reads the members of one JSON object and notes every problem with its place.
class ObjectReader
{
public:
    ObjectReader(const QJsonObject &object, QString path, QStringList &errors)
        : m_object(object), m_path(std::move(path)), m_errors(errors)
    {
    }

    // Members the reader was never asked for are typing errors in the file.
    void checkUnknown(const QSet<QString> &known) const
    {
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (!known.contains(it.key()))
                fail(it.key(), QStringLiteral("unknown setting"));
        }
    }

    int integer(const QString &key, int min, int max, int fallback) const
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined())
            return fallback;
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || number != std::floor(number) || number < min || number > max) {
            fail(key, QStringLiteral("a whole number from %1 to %2").arg(min).arg(max));
            return fallback;
        }
        return static_cast<int>(number);
    }

    // Degrees (or litres) with one decimal place, as tenths.
    int tenths(const QString &key, double min, double max, double fallback) const
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined())
            return static_cast<int>(std::lround(fallback * TenthsPerDegree));
        if (!value.isDouble() || value.toDouble() < min || value.toDouble() > max) {
            fail(key, QStringLiteral("a number from %1 to %2").arg(min).arg(max));
            return static_cast<int>(std::lround(fallback * TenthsPerDegree));
        }
        return static_cast<int>(std::lround(value.toDouble() * TenthsPerDegree));
    }

    QString text(const QString &key, const QString &fallback) const
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined())
            return fallback;
        if (!value.isString()) {
            fail(key, QStringLiteral("a text"));
            return fallback;
        }
        return value.toString();
    }

    QByteArray firmware() const
    {
        const QString value = text(QStringLiteral("firmware"), QString::fromLatin1(DefaultFirmware));
        if (value.size() != FirmwareLength || !value.isSimpleText() || value.toLatin1().contains('\0')) {
            fail(QStringLiteral("firmware"), QStringLiteral("four characters, such as \"1023\""));
            return DefaultFirmware;
        }
        return value.toLatin1();
    }

    Ipv4 address(const QString &key, const Ipv4 &fallback) const
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined())
            return fallback;
        const std::optional<Ipv4> address = parseIpv4(value.toString());
        if (!address) {
            fail(key, QStringLiteral("an IPv4 address such as \"192.168.28.1\""));
            return fallback;
        }
        return *address;
    }

    QJsonValue value(const QString &key) const { return m_object.value(key); }

    void fail(const QString &key, const QString &what) const
    {
        m_errors
            << QStringLiteral("%1%2%3: %4").arg(m_path, m_path.isEmpty() ? QString() : QStringLiteral("."), key, what);
    }

    QString path(const QString &key) const { return m_path.isEmpty() ? key : m_path + u'.' + key; }

private:
    QJsonObject m_object;
    QString m_path;
    QStringList &m_errors;
};

DriftingTemperature drifting(int tenths, int range)
{
    return {tenths, tenths - range, tenths + range, 1};
}

Channels channels(const ObjectReader &r)
{
    Channels c;
    c.outputs = static_cast<quint8>(r.integer(QStringLiteral("outputs"), 0, ChannelMask, 0));
    c.inputs = static_cast<quint8>(r.integer(QStringLiteral("inputs"), 0, ChannelMask, 0));
    c.changingInputs = static_cast<quint8>(r.integer(QStringLiteral("changingInputs"), 0, ChannelMask, 0));
    return c;
}

const QSet<QString> ChannelKeys = {QStringLiteral("outputs"), QStringLiteral("inputs"),
                                   QStringLiteral("changingInputs")};

RadioDevice radioDevice(const ObjectReader &r)
{
    RadioDevice d;
    const QString type = r.text(QStringLiteral("type"), QString());
    QSet<QString> known = {QStringLiteral("type"), QStringLiteral("address"), QStringLiteral("eNum"),
                           QStringLiteral("firmware"), QStringLiteral("frequencyCode"), QStringLiteral("txPowerCode"),
                           QStringLiteral("flags"), QStringLiteral("tDiffOn"), QStringLiteral("tDiffOff"),
                           QStringLiteral("drift")};
    const int range = r.tenths(QStringLiteral("drift"), 0, TemperatureLimit, DefaultDrift);
    if (type == QLatin1String("switching") || type == QLatin1String("thermostat")) {
        d.kind = type == QLatin1String("switching") ? RadioKind::Switching : RadioKind::Thermostat;
        d.channels = channels(r);
        d.temperature = drifting(
            r.tenths(QStringLiteral("temperature"), -TemperatureLimit, TemperatureLimit, DefaultTemperature), range);
        known += ChannelKeys;
        known += QStringLiteral("temperature");
        if (d.kind == RadioKind::Thermostat) {
            d.setPoint = r.tenths(QStringLiteral("setPoint"), -TemperatureLimit, TemperatureLimit, DefaultSetPoint);
            known += QStringLiteral("setPoint");
        }
    } else if (type == QLatin1String("weatherStation")) {
        d.kind = RadioKind::WeatherStation;
        d.weather.wind = static_cast<quint8>(r.integer(QStringLiteral("wind"), 0, ByteMax, 0));
        d.weather.windMax = static_cast<quint8>(r.integer(QStringLiteral("windMax"), 0, ByteMax, 0));
        d.weather.rain = static_cast<quint16>(r.tenths(QStringLiteral("rain"), 0, RainLimit, 0));
        d.weather.outside =
            drifting(r.tenths(QStringLiteral("outside"), -TemperatureLimit, TemperatureLimit, DefaultOutside), range);
        d.weather.light = static_cast<quint8>(r.integer(QStringLiteral("light"), 0, ByteMax, 0));
        known += {QStringLiteral("wind"), QStringLiteral("windMax"), QStringLiteral("rain"), QStringLiteral("outside"),
                  QStringLiteral("light")};
    } else {
        r.fail(QStringLiteral("type"), QStringLiteral("\"switching\", \"thermostat\" or \"weatherStation\""));
    }
    const QStringList address = r.text(QStringLiteral("address"), QString()).split(u'/');
    bool ok = address.size() == RadioAddressParts;
    std::array<quint8, RadioAddressParts> parts{};
    for (int i = 0; ok && i < RadioAddressParts; ++i) {
        const uint part = address[i].toUInt(&ok);
        ok = ok && part <= ByteMax;
        parts[i] = static_cast<quint8>(part);
    }
    if (!ok)
        r.fail(QStringLiteral("address"), QStringLiteral("home, high and low address, such as \"28/1/22\""));
    d.home = parts[0];
    d.high = parts[1];
    d.low = parts[2];
    d.eNum = static_cast<quint8>(r.integer(QStringLiteral("eNum"), 0, ByteMax, 0));
    d.firmware = r.firmware();
    d.frequencyCode = static_cast<quint16>(r.integer(QStringLiteral("frequencyCode"), 0, FrequencyCodeMax, 0));
    d.txPowerCode = static_cast<quint8>(r.integer(QStringLiteral("txPowerCode"), 0, TxPowerCodeMax, 0));
    d.flags = static_cast<quint8>(r.integer(QStringLiteral("flags"), 0, RadioFlagsMax, 0));
    d.tDiffOn = static_cast<quint8>(r.tenths(QStringLiteral("tDiffOn"), 0, TDiffLimit, 0));
    d.tDiffOff = static_cast<quint8>(r.tenths(QStringLiteral("tDiffOff"), 0, TDiffLimit, 0));
    r.checkUnknown(known);
    return d;
}

SimNode node(const ObjectReader &r, const Ipv4 &destination, QStringList &errors)
{
    SimNode n;
    const QString type = r.text(QStringLiteral("type"), QString());
    QSet<QString> known = {QStringLiteral("type"), QStringLiteral("eNum"), QStringLiteral("firmware"),
                           QStringLiteral("function"), QStringLiteral("gateway"), QStringLiteral("subnetMask"),
                           QStringLiteral("standardDestination"), QStringLiteral("flags"), QStringLiteral("tDiffOn"),
                           QStringLiteral("tDiffOff"), QStringLiteral("temperature1"), QStringLiteral("temperature2"),
                           QStringLiteral("drift")};
    known += ChannelKeys;
    n.gateway = type == QLatin1String("gateway");
    if (!n.gateway && type != QLatin1String("lanAdapter"))
        r.fail(QStringLiteral("type"), QStringLiteral("\"lanAdapter\" or \"gateway\""));
    LanAdapter &lan = n.lan;
    lan.eNum = static_cast<quint8>(r.integer(QStringLiteral("eNum"), 0, ByteMax, 0));
    lan.firmware = r.firmware();
    lan.deviceFunction = static_cast<quint8>(
        r.integer(QStringLiteral("function"), 0, ByteMax, n.gateway ? FunctionGateway : FunctionSwitching));
    lan.gateway = r.address(QStringLiteral("gateway"), Ipv4{});
    lan.subnetMask = r.address(QStringLiteral("subnetMask"), DefaultMask);
    lan.standardDestination = r.address(QStringLiteral("standardDestination"), destination);
    lan.flags = static_cast<quint8>(r.integer(QStringLiteral("flags"), 0, ByteMax, 0));
    lan.tDiffOn = static_cast<quint8>(r.tenths(QStringLiteral("tDiffOn"), 0, TDiffLimit, 0));
    lan.tDiffOff = static_cast<quint8>(r.tenths(QStringLiteral("tDiffOff"), 0, TDiffLimit, 0));
    lan.channels = channels(r);
    const int range = r.tenths(QStringLiteral("drift"), 0, TemperatureLimit, DefaultDrift);
    lan.temperature1 = drifting(
        r.tenths(QStringLiteral("temperature1"), -TemperatureLimit, TemperatureLimit, DefaultTemperature), range);
    lan.temperature2 = drifting(
        r.tenths(QStringLiteral("temperature2"), -TemperatureLimit, TemperatureLimit, DefaultTemperature), range);
    if (n.gateway) {
        known += QStringLiteral("radioDevices");
        const QJsonValue list = r.value(QStringLiteral("radioDevices"));
        if (!list.isUndefined() && !list.isArray())
            r.fail(QStringLiteral("radioDevices"), QStringLiteral("a list of radio devices"));
        const QJsonArray devices = list.toArray();
        for (int i = 0; i < devices.size(); ++i) {
            const QString path = r.path(QStringLiteral("radioDevices[%1]").arg(i));
            if (!devices[i].isObject()) {
                errors << path + QStringLiteral(": a radio device");
                continue;
            }
            n.radioDevices << radioDevice(ObjectReader(devices[i].toObject(), path, errors));
            for (int j = 0; j < n.radioDevices.size() - 1; ++j) {
                if (DeviceBehaviour::addressOf(n.radioDevices[j]) == DeviceBehaviour::addressOf(n.radioDevices.last()))
                    errors << path + QStringLiteral(": the address is taken by radioDevices[%1]").arg(j);
            }
        }
    }
    r.checkUnknown(known);
    return n;
}

} // namespace

std::optional<Ipv4> parseIpv4(const QString &text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != AddressOctets)
        return std::nullopt;
    Ipv4 address{};
    for (int i = 0; i < AddressOctets; ++i) {
        bool ok = false;
        const uint octet = parts[i].toUInt(&ok);
        if (!ok || octet > ByteMax || parts[i].isEmpty() || !parts[i][0].isDigit())
            return std::nullopt;
        address[i] = static_cast<quint8>(octet);
    }
    return address;
}

std::optional<Ipv4> addressAfter(const Ipv4 &first, int count)
{
    quint64 value = 0;
    for (quint8 octet : first)
        value = value * AddressBase + octet;
    value += static_cast<quint64>(count);
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    Ipv4 address{};
    for (int i = AddressOctets - 1; i >= 0; --i) {
        address[i] = static_cast<quint8>(value % AddressBase);
        value /= AddressBase;
    }
    return address;
}

InstallationConfig InstallationConfig::fromJson(const QByteArray &json, QStringList &errors)
{
    InstallationConfig config;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        errors << QStringLiteral("not JSON at character %1: %2").arg(parseError.offset).arg(parseError.errorString());
        return config;
    }
    if (!document.isObject()) {
        errors << QStringLiteral("the file must hold one object");
        return config;
    }
    const int before = errors.size();
    const ObjectReader top(document.object(), QString(), errors);
    top.checkUnknown({QStringLiteral("port"), QStringLiteral("standardDestination"), QStringLiteral("timing"),
                      QStringLiteral("devices")});
    config.port = static_cast<quint16>(top.integer(QStringLiteral("port"), 1, PortMax, DefaultPort));
    const Ipv4 destination = top.address(QStringLiteral("standardDestination"), DefaultDestination);

    const QJsonValue timing = top.value(QStringLiteral("timing"));
    if (!timing.isUndefined() && !timing.isObject())
        top.fail(QStringLiteral("timing"), QStringLiteral("an object"));
    const ObjectReader t(timing.toObject(), QStringLiteral("timing"), errors);
    const QString callBack = QStringLiteral("callBackDelayMs");
    const QString weather = QStringLiteral("weatherIntervalMs");
    const QString drift = QStringLiteral("driftIntervalMs");
    const QString inputs = QStringLiteral("inputChangeIntervalMs");
    t.checkUnknown({callBack, weather, drift, inputs});
    constexpr int LongestMs = 24 * 60 * 60 * 1000;
    config.timing = {t.integer(callBack, 0, LongestMs, 0), t.integer(weather, 0, LongestMs, 0),
                     t.integer(drift, 0, LongestMs, 0), t.integer(inputs, 0, LongestMs, 0)};

    const QJsonValue devices = top.value(QStringLiteral("devices"));
    if (!devices.isArray() || devices.toArray().isEmpty())
        top.fail(QStringLiteral("devices"), QStringLiteral("a list of at least one device"));
    const QJsonArray list = devices.toArray();
    for (int i = 0; i < list.size(); ++i) {
        const QString path = QStringLiteral("devices[%1]").arg(i);
        if (!list[i].isObject()) {
            errors << path + QStringLiteral(": a device");
            continue;
        }
        config.nodes << node(ObjectReader(list[i].toObject(), path, errors), destination, errors);
    }
    if (errors.size() > before)
        config.nodes.clear();
    return config;
}

bool InstallationConfig::place(const Ipv4 &first, quint16 newPort, const std::optional<Ipv4> &destination,
                               QString &error)
{
    for (int i = 0; i < nodes.size(); ++i) {
        const std::optional<Ipv4> address = addressAfter(first, i);
        if (!address) {
            error = QStringLiteral("%1 devices do not fit from %2 on").arg(nodes.size()).arg(ipv4Text(first));
            return false;
        }
        nodes[i].lan.address = *address;
        nodes[i].lan.port = newPort;
        if (destination)
            nodes[i].lan.standardDestination = *destination;
    }
    port = newPort;
    return true;
}
