#pragma once

#include <QByteArray>
#include <QtGlobal>

// The IP status codes an echo request ends with.
namespace IpStatus {
inline constexpr qint32 Success = 0;
inline constexpr qint32 DestNetUnreachable = 11002;
inline constexpr qint32 DestHostUnreachable = 11003;
inline constexpr qint32 DestProtUnreachable = 11004;
inline constexpr qint32 DestPortUnreachable = 11005;
inline constexpr qint32 NoResources = 11006;
inline constexpr qint32 PacketTooBig = 11009;
inline constexpr qint32 ReqTimedOut = 11010;
inline constexpr qint32 BadRoute = 11012;
inline constexpr qint32 TtlExpiredTransit = 11013;
inline constexpr qint32 TtlExpiredReassem = 11014;
inline constexpr qint32 ParamProblem = 11015;
inline constexpr qint32 SourceQuench = 11016;
inline constexpr qint32 BadDestination = 11018;
inline constexpr qint32 GeneralFailure = 11050;
} // namespace IpStatus

// What one echo request came to. Until an answer arrives it counts as timed
// out, so that a reply never reads as success by default.
struct EchoReply
{
    qint32 Status = IpStatus::ReqTimedOut;
    // The payload the host echoed; empty unless Status is Success.
    QByteArray Data;
};
