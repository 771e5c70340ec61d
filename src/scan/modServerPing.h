#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class EchoRound;
class QObject;

// The ping's platform services: the echo's constants, its status texts and
// the resolution of the address text into an IPv4 address.
namespace modServerPing {

// Every echo request carries these 8 bytes and waits this long for its answer.
inline constexpr char PingPayload[] = "TestPing";
inline constexpr int EchoTimeoutMs = 200;

inline QByteArray Payload()
{
    return QByteArray(PingPayload);
}

// Sends one echo request to each address at once; a single ping is a round
// of one. The round, a child of Parent, reports finished() once every request
// has its answer or has timed out, never before control is back in the event
// loop; its replies follow the order of the addresses.
EchoRound *SendPing(const QStringList &Addresses, QObject *Parent);

// "<code>   [ <text> ]" for an IP status code; codes outside the table read
// "unknown  msg returned".
QString EchoStatusText(qint32 Status);

// The IPv4 address, in network byte order, of a text in the forms the
// system's address parser takes ("10.73.91.1", also "10.1" and octal or
// hexadecimal parts); nothing for any other text.
std::optional<quint32> DottedAddress(const QString &HostText);

// Resolves HostText into an IPv4 address in network byte order and hands it to
// Done: a dotted address at once, a host name through the system resolver
// later, on the thread of Context, unless Context is gone by then. A name that
// gives no IPv4 address hands over nothing.
void ResolveAddress(const QString &HostText, QObject *Context,
                    std::function<void(std::optional<quint32>)> Done);

// This platform's sockets need no library start-up or clean-up; the two steps
// therefore never fail and never have anything to say.
constexpr bool SocketsInitialize()
{
    return true;
}

constexpr bool SocketsCleanup()
{
    return true;
}

} // namespace modServerPing
