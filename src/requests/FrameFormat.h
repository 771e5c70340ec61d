#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The frame that requests and replies share: two preamble bytes, then a body of
// a twelve-byte header and up to 25 payload bytes. Body positions count from 1;
// position p is wire offset p + 1.
namespace FrameFormat {

inline constexpr quint8 PreambleFirst = 0xFF;
inline constexpr quint8 PreambleSecond = 0xAA;
inline constexpr int PreambleLength = 2;

inline constexpr int PosReserved = 1;
inline constexpr int PosCommand = 2;
inline constexpr int PosLength = 3;
inline constexpr int PosENum = 4;
inline constexpr int PosDestHome = 5;
inline constexpr int PosDestHigh = 6;
inline constexpr int PosDestLow = 7;
inline constexpr int PosSrcHigh = 8;
inline constexpr int PosSrcLow = 9;
inline constexpr int PosDeviceClass = 10;
inline constexpr int PosDeviceFunction = 11;
inline constexpr int PosChecksum = 12;
inline constexpr int PosData = 13;

inline constexpr int FrameHeaderLength = 12;
inline constexpr int MaxPayloadLength = 25;
inline constexpr int MaxBodyLength = FrameHeaderLength + MaxPayloadLength;

// Values of CurrentCommand, one per request kind.
inline constexpr int CommandParameterRequest = 1;
inline constexpr int CommandProgramming = 2;
inline constexpr int CommandMeasurementRequest = 3;
inline constexpr int CommandSwitch = 4;
inline constexpr int CommandAutoSend = 5;

// The code each request carries at PosCommand.
inline constexpr quint8 CodeParameterRequest = 200;
inline constexpr quint8 CodeProgramming = 202;
inline constexpr quint8 CodeMeasurementRequest = 206;
inline constexpr quint8 CodeSwitch = 3;
inline constexpr quint8 CodeAutoSend = 207;

// The codes replies carry at PosCommand; a reply is recognised by its code alone.
inline constexpr quint8 CodeParameterReply = 201;
inline constexpr quint8 CodeProgrammingAcknowledged = 203;
// Acknowledged, and the new LAN parameters become the current ones.
inline constexpr quint8 CodeProgrammingAcknowledgedNewLan = 240;
// Measurement values come back under either code, the second being the
// measurement request's own; both are decoded alike.
inline constexpr quint8 CodeMeasurementReply = 106;
inline constexpr quint8 CodeMeasurementReplyEcho = 206;
inline constexpr quint8 CodeSwitchAcknowledged = 3;
inline constexpr quint8 CodeWeatherData = 191;

// Of what arrives, at most the preamble and 43 body bytes are decoded.
inline constexpr int MaxDecodedLength = 45;

inline constexpr int PayloadLengthProgrammingLan = 21;
inline constexpr int PayloadLengthProgrammingRadio = 9;
inline constexpr int PayloadLengthSwitch = 1;
inline constexpr int PayloadLengthAutoSend = 1;

// Body lengths, as the length byte carries them.
inline constexpr int LengthParameterRequest = FrameHeaderLength;
inline constexpr int LengthProgrammingLan = FrameHeaderLength + PayloadLengthProgrammingLan;
inline constexpr int LengthProgrammingRadio = FrameHeaderLength + PayloadLengthProgrammingRadio;
inline constexpr int LengthMeasurementRequest = FrameHeaderLength;
inline constexpr int LengthSwitch = FrameHeaderLength + PayloadLengthSwitch;
inline constexpr int LengthAutoSend = FrameHeaderLength + PayloadLengthAutoSend;

// The two preamble characters that start every frame (FramePreamble).
QByteArray framePreamble();

// Sum modulo 256 of every body byte except the one at PosChecksum; the
// preamble is not part of the body.
quint8 frameChecksum(QByteArrayView body);

} // namespace FrameFormat
