#pragma once

#include <QLatin1String>

// What every front-end's connection cycle shares with the window's: how long it
// waits for a reply, and the lines it writes to the event log on the way.
namespace ConnectionCycle {

// A LAN device answers within this time; a radio device, whose gateway relays
// the request and calls back, within this many times as long, and so does a
// caller once its connection is taken.
inline constexpr int RxTimeoutMs = 1500;
inline constexpr int FunkTimeoutFactor = 2;
// A request that expects no reply (AutoSend) waits only this long.
inline constexpr int ShortReplyTimeoutMs = 150;

inline constexpr QLatin1String ListenOn("Listen ON");
inline constexpr QLatin1String ListenFailed("Unable to listen for connections");
inline constexpr QLatin1String ExchangeClosed("Verbindung geschlossen");
inline constexpr QLatin1String ReplyTimedOut("RX-TimeoOut");
inline constexpr QLatin1String ServerUnreachable("Server nicht erreichbar !");
// Followed by the socket's own description of the error.
inline constexpr QLatin1String SocketError("Socket error: ");
// %1: the address of a caller that is not of the installation.
inline constexpr QLatin1String CallerRefused("Verbindung von %1 abgelehnt");

} // namespace ConnectionCycle
