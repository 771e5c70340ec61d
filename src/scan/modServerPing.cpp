#include "scan/modServerPing.h"

#include "scan/EchoRound.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QtEndian>

#include <arpa/inet.h>

#include <array>
#include <utility>

namespace modServerPing {

namespace {

const std::array<std::pair<qint32, const char *>, 27> StatusTexts = {{
    {0, "ip success"},
    {200, "ping timeout"},
    {11001, "ip buf too_small"},
    {11002, "ip dest net unreachable"},
    {11003, "ip dest host unreachable"},
    {11004, "ip dest prot unreachable"},
    {11005, "ip dest port unreachable"},
    {11006, "ip no resources"},
    {11007, "ip bad option"},
    {11008, "ip hw_error"},
    {11009, "ip packet too_big"},
    {11010, "ip req timed out"},
    {11011, "ip bad req"},
    {11012, "ip bad route"},
    {11013, "ip ttl expired transit"},
    {11014, "ip ttl expired reassem"},
    {11015, "ip param_problem"},
    {11016, "ip source quench"},
    {11017, "ip option too_big"},
    {11018, "ip bad destination"},
    {11019, "ip addr deleted"},
    {11020, "ip spec mtu change"},
    {11021, "ip mtu_change"},
    {11022, "ip unload"},
    {11023, "ip addr added"},
    {11050, "ip general failure"},
    {11255, "ip pending"},
}};
const char *const UnknownStatusText = "unknown  msg returned";

} // namespace

EchoRound *SendPing(const QStringList &Addresses, QObject *Parent)
{
    auto *round = new EchoRound(Parent);
    round->start(Addresses);
    return round;
}

QString EchoStatusText(qint32 Status)
{
    const char *text = UnknownStatusText;
    for (const auto &[code, known] : StatusTexts) {
        if (code == Status)
            text = known;
    }
    return QString::number(Status) + QStringLiteral("   [ ") + QLatin1String(text) + QStringLiteral(" ]");
}

std::optional<quint32> DottedAddress(const QString &HostText)
{
    // The parser reads a C string: a text with a NUL in it would end early.
    if (HostText.contains(QChar(0)))
        return std::nullopt;
    in_addr address{};
    if (inet_aton(HostText.toLatin1().constData(), &address) == 0)
        return std::nullopt;
    return address.s_addr;
}

void ResolveAddress(const QString &HostText, QObject *Context,
                    std::function<void(std::optional<quint32>)> Done)
{
    if (const std::optional<quint32> dotted = DottedAddress(HostText)) {
        Done(dotted);
        return;
    }
    QHostInfo::lookupHost(HostText, Context, [Done = std::move(Done)](const QHostInfo &info) {
        for (const QHostAddress &address : info.addresses()) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                Done(qToBigEndian(address.toIPv4Address()));
                return;
            }
        }
        Done(std::nullopt);
    });
}

} // namespace modServerPing
