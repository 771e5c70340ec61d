#pragma once

#include "protocol/Values.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

// The state of the simulated devices: what they report and what requests change.
// Temperatures and thresholds are in tenths of a degree Celsius.

using Protocol::Ipv4;

using Protocol::ChannelCount;
using Protocol::ChannelMask;
inline constexpr int FirmwareLength = int(std::tuple_size_v<Protocol::Firmware>); // characters

using Protocol::DeviceClassLan;
using Protocol::DeviceClassRadio;

using Protocol::FunctionGateway;
using Protocol::FunctionSwitching;
using Protocol::FunctionThermostat;
using Protocol::FunctionWeatherStation;

// Four outputs and four inputs; bit n-1 is channel n.
struct Channels
{
    quint8 outputs = 0;
    quint8 inputs = 0;
    quint8 autoSend = 0; // inputs whose changes are reported unasked
    quint8 changingInputs = 0; // inputs that change on the installation's schedule

    bool operator==(const Channels &) const = default;
};

// A temperature that wanders between two bounds, one tenth per step.
struct DriftingTemperature
{
    int tenths = 0;
    int low = 0;
    int high = 0;
    int step = 1;

    void advance()
    {
        if (low >= high)
            return; // nothing to wander in
        if (tenths + step > high || tenths + step < low)
            step = -step;
        tenths += step;
    }
    bool operator==(const DriftingTemperature &) const = default;
};

struct LanAdapter
{
    QByteArray firmware; // four characters
    Ipv4 address{};
    Ipv4 gateway{};
    Ipv4 subnetMask{};
    Ipv4 standardDestination{};
    quint16 port = 0;
    quint8 eNum = 0;
    quint8 flags = 0;
    quint8 deviceFunction = FunctionSwitching;
    quint8 tDiffOn = 0;
    quint8 tDiffOff = 0;
    Channels channels;
    DriftingTemperature temperature1;
    DriftingTemperature temperature2;

    bool operator==(const LanAdapter &) const = default;
};

enum class RadioKind { Switching, Thermostat, WeatherStation };

struct WeatherValues
{
    quint8 wind = 0; // km/h
    quint8 windMax = 0; // km/h
    quint16 rain = 0; // tenths of a litre per square metre
    DriftingTemperature outside;
    quint8 light = 0;

    bool operator==(const WeatherValues &) const = default;
};

struct RadioDevice
{
    RadioKind kind = RadioKind::Switching;
    quint8 home = 0;
    quint8 high = 0;
    quint8 low = 0;
    quint8 eNum = 0;
    QByteArray firmware; // four characters
    quint16 frequencyCode = 0; // 12 bits: 860 MHz + code x 5 kHz
    quint8 txPowerCode = 0; // 3 bits of attenuation
    quint8 flags = 0; // 6 bits
    quint8 tDiffOn = 0;
    quint8 tDiffOff = 0;
    Channels channels;
    DriftingTemperature temperature; // the thermostat's measured temperature
    int setPoint = 0; // thermostat
    WeatherValues weather; // weather station

    quint8 deviceFunction() const
    {
        switch (kind) {
        case RadioKind::Thermostat:
            return FunctionThermostat;
        case RadioKind::WeatherStation:
            return FunctionWeatherStation;
        case RadioKind::Switching:
            break;
        }
        return FunctionSwitching;
    }
    bool operator==(const RadioDevice &) const = default;
};

// A device on the network: a LAN adapter, or a radio/LAN gateway (its own LAN
// part answers like an adapter) with the radio devices it reaches.
struct SimNode
{
    LanAdapter lan;
    bool gateway = false;
    QList<RadioDevice> radioDevices;

    bool operator==(const SimNode &) const = default;
};

// Time-based behaviour; 0 switches a behaviour off.
struct SimTiming
{
    int callBackDelayMs = 0; // from the gateway taking a radio request to its call to the tool
    int weatherIntervalMs = 0;
    int driftIntervalMs = 0;
    int inputChangeIntervalMs = 0;

    bool operator==(const SimTiming &) const = default;
};

inline QString ipv4Text(const Ipv4 &address)
{
    return QStringLiteral("%1.%2.%3.%4").arg(address[0]).arg(address[1]).arg(address[2]).arg(address[3]);
}
