#pragma once

#include "protocol/Values.h"

#include <variant>

// Requests and replies as plain values. The frame works out the length and
// the checksum itself, so neither is a value here.
namespace Protocol {

struct Header
{
    quint8 reserved = 0;
    quint8 code = 0;
    quint8 eNum = 0;
    RadioAddress destination;
    quint8 sourceHigh = 0;
    quint8 sourceLow = 0;
    quint8 deviceClass = 0;
    quint8 deviceFunction = 0;
    bool operator==(const Header &) const = default;
};

// Requests, by code; programming takes the form of the device class it addresses.

struct ParameterRequest
{
    bool operator==(const ParameterRequest &) const = default;
};

struct MeasurementRequest
{
    bool operator==(const MeasurementRequest &) const = default;
};

// New parameters of a LAN device; its new eNum travels in the header.
struct LanProgramming
{
    Ipv4 ipAddress{};
    Ipv4 gateway{};
    Ipv4 subnetMask{};
    Ipv4 standardDestination{};
    quint16 port = 0;
    quint8 flags = 0;
    quint8 tDiffOn = 0; // tenths of a degree
    quint8 tDiffOff = 0;
    bool operator==(const LanProgramming &) const = default;
};

// New parameters of a radio device; the header still addresses it by its old address.
struct RadioProgramming
{
    RadioAddress address;
    quint8 txPower = 0; // the code in the low bits (txPowerCode)
    quint16 frequency = 0; // the code in the low bits (frequencyCode)
    quint8 flags = 0;
    quint8 tDiffOn = 0;
    quint8 tDiffOff = 0;
    bool operator==(const RadioProgramming &) const = default;
};

struct SwitchRequest
{
    ChannelSelection outputs;
    bool operator==(const SwitchRequest &) const = default;
};

// The inputs that are to report their changes by themselves.
struct AutoSendRequest
{
    ChannelSelection inputs;
    bool operator==(const AutoSendRequest &) const = default;
};

// A code no device answers; only its header is known.
struct UnknownRequest
{
    bool operator==(const UnknownRequest &) const = default;
};

using RequestPayload = std::variant<UnknownRequest, ParameterRequest, LanProgramming, RadioProgramming,
                                    MeasurementRequest, SwitchRequest, AutoSendRequest>;

struct Request
{
    Header header;
    RequestPayload payload;
    bool operator==(const Request &) const = default;
};

// Replies, by code; the parameter reply takes the form of the answering device's class.

struct LanParameters
{
    Firmware firmware{};
    Ipv4 ipAddress{};
    Ipv4 gateway{};
    Ipv4 subnetMask{};
    Ipv4 standardDestination{};
    quint16 port = 0;
    quint8 flags = 0;
    bool operator==(const LanParameters &) const = default;
};

struct RadioParameters
{
    quint8 txPower = 0; // the code in the low bits (txPowerCode)
    quint16 frequency = 0; // the code in the low bits (frequencyCode)
    Firmware firmware{};
    quint8 flags = 0; // bits 0 to 5
    quint8 tDiffOn = 0; // tenths of a degree
    quint8 tDiffOff = 0;
    bool operator==(const RadioParameters &) const = default;
};

// A device of another class: its class and function in the header are all.
struct OtherParameters
{
    bool operator==(const OtherParameters &) const = default;
};

struct ProgrammingAcknowledged
{
    bool operator==(const ProgrammingAcknowledged &) const = default;
};

// Acknowledged, and the LAN device now has the parameters it was sent.
struct LanProgrammingAcknowledged
{
    bool operator==(const LanProgrammingAcknowledged &) const = default;
};

// Channel bytes: bit n-1 is channel n; the upper four bits travel as they came.
struct MeasurementValues
{
    quint8 outputs = 0;
    quint8 inputs = 0;
    Temperature temperature1;
    Temperature temperature2; // a thermostat's set point
    bool operator==(const MeasurementValues &) const = default;
};

struct SwitchAcknowledged
{
    quint8 outputs = 0;
    bool operator==(const SwitchAcknowledged &) const = default;
};

struct WeatherData
{
    quint8 windSpeed = 0; // km/h
    quint8 windSpeedMax = 0; // km/h
    quint16 rain = 0; // tenths of a litre per square metre
    Temperature outside;
    quint8 light = 0;
    bool operator==(const WeatherData &) const = default;
};

// A code the tool does not know, or none arrived.
struct UnknownReply
{
    bool operator==(const UnknownReply &) const = default;
};

using ReplyPayload = std::variant<UnknownReply, LanParameters, RadioParameters, OtherParameters,
                                  ProgrammingAcknowledged, LanProgrammingAcknowledged, MeasurementValues,
                                  SwitchAcknowledged, WeatherData>;

struct Reply
{
    Header header;
    ReplyPayload payload;
    bool operator==(const Reply &) const = default;
};

} // namespace Protocol
