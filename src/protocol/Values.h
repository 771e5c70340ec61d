#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstdlib>

// The plain values that frames carry, and the codes that name requests,
// replies, device classes and device functions.
namespace Protocol {

// Codes of the requests, in the header's code field.
inline constexpr quint8 CodeParameterRequest = 200;
inline constexpr quint8 CodeProgramming = 202;
inline constexpr quint8 CodeMeasurementRequest = 206;
inline constexpr quint8 CodeSwitch = 3;
inline constexpr quint8 CodeAutoSend = 207;

// Codes of the replies; a reply is recognised by its code.
inline constexpr quint8 CodeParameterReply = 201;
inline constexpr quint8 CodeProgrammingAcknowledged = 203;
// Acknowledged, and the new LAN parameters become the current ones.
inline constexpr quint8 CodeLanProgrammingAcknowledged = 240;
// Measurement values come under either code, the second being the
// measurement request's own.
inline constexpr quint8 CodeMeasurementReply = 106;
inline constexpr quint8 CodeMeasurementReplyEcho = 206;
inline constexpr quint8 CodeSwitchAcknowledged = 3;
inline constexpr quint8 CodeWeatherData = 191;

inline constexpr quint8 DeviceClassCable = 0;
inline constexpr quint8 DeviceClassLan = 1;
inline constexpr quint8 DeviceClassRadio = 2;

inline constexpr quint8 FunctionUnassigned = 0;
inline constexpr quint8 FunctionSwitching = 1;
inline constexpr quint8 FunctionThermostat = 5;
inline constexpr quint8 FunctionHeatPumpController = 14;
inline constexpr quint8 FunctionSolarTracker = 80;
inline constexpr quint8 FunctionRemoteControl = 100;
inline constexpr quint8 FunctionWeatherStation = 150;
inline constexpr quint8 FunctionDataDisplay = 200;
inline constexpr quint8 FunctionTimeServer = 249;
inline constexpr quint8 FunctionControlServer = 250;
inline constexpr quint8 FunctionGateway = 254;
inline constexpr quint8 FunctionPcSoftware = 255;

using Ipv4 = std::array<quint8, 4>; // first octet first
using Firmware = std::array<quint8, 4>; // four characters, shown as they are

// Home address, then the device address high and low.
struct RadioAddress
{
    quint8 home = 0;
    quint8 high = 0;
    quint8 low = 0;
    bool operator==(const RadioAddress &) const = default;
};

// The tool sends from this address with this device function; a LAN device,
// reached at its IP address, is given this fixed destination.
inline constexpr quint8 ToolAddressHigh = 255;
inline constexpr quint8 ToolAddressLow = 254;
inline constexpr quint8 ToolDeviceFunction = 1;
inline constexpr RadioAddress LanDestination{28, 255, 254};

// Tenths of a degree Celsius as sign and magnitude; a minus zero is a value of its own.
struct Temperature
{
    static constexpr int LargestTenths = 0x7FFF;

    bool negative = false;
    quint16 tenths = 0; // 0 to LargestTenths

    // A magnitude beyond what travels is clamped.
    static constexpr Temperature fromTenths(int tenths)
    {
        return {tenths < 0, quint16(std::min(std::abs(tenths), LargestTenths))};
    }
    bool operator==(const Temperature &) const = default;
};

// Four channels in four bits each, bit n-1 being channel n: the channels a
// switch or AutoSend request addresses, and the states it gives them.
inline constexpr int ChannelCount = 4;
inline constexpr quint8 ChannelMask = 0x0F;
struct ChannelSelection
{
    quint8 addressed = 0;
    quint8 states = 0;
    bool operator==(const ChannelSelection &) const = default;
};

// The radio frequency is a 12-bit code (860 MHz + code x 5 kHz), the
// transmit power a 3-bit code; both travel with 1010 in their upper bits.
inline constexpr int FrequencyCodeBits = 12;
inline constexpr int TxPowerCodeBits = 3;
inline constexpr int CodeBytePattern = 0xA0;
inline constexpr int ByteBits = 8;

constexpr quint8 txPowerByte(int code)
{
    return quint8(CodeBytePattern | (code & ((1 << TxPowerCodeBits) - 1)));
}
constexpr quint16 frequencyWord(int code)
{
    return quint16(CodeBytePattern << ByteBits | (code & ((1 << FrequencyCodeBits) - 1)));
}
constexpr int txPowerCode(quint8 txPower)
{
    return txPower & ((1 << TxPowerCodeBits) - 1);
}
constexpr int frequencyCode(quint16 frequency)
{
    return frequency & ((1 << FrequencyCodeBits) - 1);
}

} // namespace Protocol
