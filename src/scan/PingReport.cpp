#include "scan/PingReport.h"

#include "scan/EchoReply.h"
#include "scan/modServerPing.h"

namespace PingReport {

namespace {

constexpr QChar Blank(u' ');
constexpr QChar Dot(u'.');

} // namespace

QString addressText(const QString &first, const QString &second, const QString &third, const QString &fourth)
{
    return first + Dot + second + Dot + third + Dot + fourth;
}

QStringList rangeAddresses(const QString &first, const QString &second, const QString &third)
{
    QStringList addresses;
    addresses.reserve(RangeSize);
    for (int last = 0; last < RangeSize; ++last)
        addresses << addressText(first, second, third, QString::number(last));
    return addresses;
}

QString stripBlanks(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == Blank)
        ++from;
    while (to > from && text[to - 1] == Blank)
        --to;
    return text.mid(from, to - from);
}

QString pingLine(const QString &address, qint32 status)
{
    return QStringLiteral("Ping to ") + address + QStringLiteral(" = ") + modServerPing::EchoStatusText(status);
}

QString answeredLine(const QString &address, const QByteArray &data)
{
    QByteArray shown = data.left(DataCharsShown);
    if (const qsizetype zero = shown.indexOf('\0'); zero >= 0)
        shown.truncate(zero);
    return pingLine(address, IpStatus::Success) + QStringLiteral("= ") + QString::fromLatin1(shown);
}

QString missedLine(const QString &address)
{
    return QStringLiteral("scann IP ") + address + QStringLiteral(" req timed out");
}

QString unresolvedMessage()
{
    return QStringLiteral("GetHostByName lieferte ungültiges Ergebnis!");
}

QString permissionMessage(const QString &programPath)
{
    return QStringLiteral("Ping nicht möglich: Das System erlaubt diesem Programm keinen ICMP-Socket.\n\n"
                          "Erlauben Sie es (als root) entweder dem Programm:\n"
                          "    setcap cap_net_raw+ep %1\n"
                          "oder allen Benutzern:\n"
                          "    sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"\n"
                          "(dauerhaft mit der Zeile \"net.ipv4.ping_group_range = 0 2147483647\"\n"
                          "in einer Datei unter /etc/sysctl.d/).")
        .arg(programPath);
}

} // namespace PingReport
