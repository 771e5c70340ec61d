#pragma once

#include "requests/RequestEffect.h"
#include "requests/RequestSnapshot.h"

#include <QByteArray>
#include <QList>

// The request of one command, built from the fields of the window.
namespace RequestBuilder {

inline constexpr int TargetLan = 0;
inline constexpr int TargetRadio = 1;

// Values of CurrentCommand, one per request kind.
inline constexpr int CommandParameterRequest = 1;
inline constexpr int CommandProgramming = 2;
inline constexpr int CommandMeasurementRequest = 3;
inline constexpr int CommandSwitch = 4;
inline constexpr int CommandAutoSend = 5;

// The fields it reads: the LAN arrays Text1 and Text2 alike, the radio arrays Text3 and Text5 alike.
inline constexpr int OctetsPerAddress = 4;
inline constexpr int LanIpAddressIndex = 0; // four octets each
inline constexpr int LanGatewayIndex = 4;
inline constexpr int LanSubnetMaskIndex = 8;
inline constexpr int LanStdDestIndex = 12;
inline constexpr int LanPortIndex = 16;
inline constexpr int LanENumIndex = 17;
inline constexpr int LanTDiffOnIndex = 18;
inline constexpr int LanTDiffOffIndex = 19;
inline constexpr int LanFlagCount = 8;
inline constexpr int RadioHomeIndex = 0;
inline constexpr int RadioHighIndex = 1;
inline constexpr int RadioLowIndex = 2;
inline constexpr int RadioENumIndex = 3;
inline constexpr int RadioTDiffOnIndex = 4;
inline constexpr int RadioTDiffOffIndex = 5;
inline constexpr int RadioFlagCount = 6;

struct BuiltRequest
{
    // RequestFrame: preamble and body. Empty when nothing is to be sent (a
    // programming check refused, or no known command or target kind).
    QByteArray requestFrame;
    // In order; a refused check is the last effect.
    QList<RequestEffect> effects;
};

// BuildRequest. A field that cannot be read, or whose value does not fit into
// a byte, leaves its byte 0 and the request is built all the same. Programming
// a LAN device copies the new eNum and flags into the current ones before the
// frame is finished, so its header carries the new eNum; programming a radio
// device runs CheckRadioAddresses before any payload byte and CheckTDiff after
// the seventh, and copies the new address into the current one only when both
// passed; the header still addresses the device by its old address.
// The window applies the effects, sets RequestFrame and, when a frame was
// built, lets pending events run once before it sends.
BuiltRequest BuildRequest(const RequestSnapshot &snapshot);

} // namespace RequestBuilder
