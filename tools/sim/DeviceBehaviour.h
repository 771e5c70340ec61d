#pragma once

#include "DeviceModels.h"
#include "SimFrame.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// How a simulated device answers a request and what it does on its own. No
// sockets and no clock: the server calls these when frames arrive or time passes.
namespace DeviceBehaviour {

struct Answer
{
    QByteArray reply; // the frame to send back; empty: nothing is answered
    QString note; // what the device did, or why it ignored the request
    bool ignored = false;
    bool moved = false; // a LAN adapter took a new address or port
};

// Parameter request 200, programming 202 (a new address takes effect once
// answered), measurement request 206, switching 3 and AutoSend 207.
Answer answerLanAdapter(LanAdapter &adapter, const Protocol::ParsedRequest &request);
Answer answerRadioDevice(RadioDevice &device, const Protocol::ParsedRequest &request);

// The frames a device sends unasked: its measurement values when an input
// with AutoSend changed, and the weather station's weather data.
QByteArray measurementReport(const LanAdapter &adapter);
QByteArray measurementReport(const RadioDevice &device);
QByteArray weatherFrame(const RadioDevice &device);

// Sets input channel 1 to 4; true when the change is to be reported (it
// changed and AutoSend is on for it).
bool setInput(Channels &channels, int channel, bool active);
// Every changing input toggles; the channels to report, as bits.
quint8 toggleChangingInputs(Channels &channels);

// One step of time: temperatures wander a tenth; a thermostat with its T-Diff
// regulator on heats (output 1) below set point - T-Diff on and stops above
// set point + T-Diff off.
void drift(LanAdapter &adapter);
void drift(RadioDevice &device);

// Home, high and low address of a radio device.
using RadioAddress = Protocol::RadioAddress;
RadioAddress addressOf(const RadioDevice &device);
// The address a radio programming request gives its device, if it is long enough to.
std::optional<RadioAddress> newRadioAddress(const Protocol::ParsedRequest &request);
QString radioAddressText(const RadioDevice &device);
QString kindName(RadioKind kind);

} // namespace DeviceBehaviour
