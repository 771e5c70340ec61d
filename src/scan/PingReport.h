#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QStringList>

// The texts that the ping and the range scan report, and the addresses they
// ping, formed from the texts of the address fields.
namespace PingReport {

inline constexpr QLatin1String SendPingText("send ping");
inline constexpr QLatin1String PingPassText("pass....");
inline constexpr QLatin1String ScanStartText("scann ip-range ...000 to 255");
inline constexpr QLatin1String ScanPassText("sacnn pass.....");

// A scan pings x.y.z.0 to x.y.z.255.
inline constexpr int RangeSize = 256;
// Of an answer's data area the log shows this many characters.
inline constexpr int DataCharsShown = 10;

// The four address fields joined with ".", blanks and all.
QString addressText(const QString &first, const QString &second, const QString &third, const QString &fourth);

// The addresses of a scan, in ascending order of their last part.
QStringList rangeAddresses(const QString &first, const QString &second, const QString &third);

// The text without leading and trailing blanks; other white space stays.
QString stripBlanks(const QString &text);

// "Ping to <address> = <status text>": the line of a single ping.
QString pingLine(const QString &address, qint32 status);

// The line of an address that answered during a scan: the ping line of
// success, "= " and the first characters of the answer's data area, which
// holds the echoed payload followed by zeros; the list shows a line up to its
// first zero.
QString answeredLine(const QString &address, const QByteArray &data);

// "scann IP <address> req timed out": the bad-ping-list line of an address
// that did not answer, whatever its status.
QString missedLine(const QString &address);

// Said once per scan or ping when an address is neither dotted nor a known name.
QString unresolvedMessage();

// Said once when the system lets the program open no ICMP socket: how to allow it.
QString permissionMessage(const QString &programPath);

} // namespace PingReport
