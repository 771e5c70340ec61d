#include "record/HistoryRecord.h"

#include "protocol/Frame.h"
#include "record/FrameDescription.h"

std::optional<HistoryRecord> HistoryRecord::fromReply(qint64 time, const QHostAddress &peer, QByteArrayView wire)
{
    const Protocol::ParsedReply parsed = Protocol::parseReply(wire);
    // A reply cut short is not decoded by the window either.
    if (!parsed.complete())
        return std::nullopt;
    return std::visit(
        [&](const auto &payload) -> std::optional<HistoryRecord> {
            using P = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<P, Protocol::MeasurementValues> || std::is_same_v<P, Protocol::SwitchAcknowledged>
                          || std::is_same_v<P, Protocol::WeatherData>)
                return HistoryRecord{time, peer, parsed.message.header, payload};
            else
                return std::nullopt;
        },
        parsed.message.payload);
}

QString HistoryRecord::source() const
{
    bool v4 = false;
    const quint32 ipv4 = peer.toIPv4Address(&v4);
    return QStringLiteral("eNum %1 %2/%3 %4")
        .arg(header.eNum)
        .arg(header.sourceHigh)
        .arg(header.sourceLow)
        .arg(v4 ? QHostAddress(ipv4).toString() : peer.toString());
}

namespace HistoryValues {

double degrees(const Protocol::Temperature &temperature)
{
    constexpr double TenthsPerDegree = 10.0;
    const double magnitude = temperature.tenths / TenthsPerDegree;
    return temperature.negative && temperature.tenths != 0 ? -magnitude : magnitude;
}

bool channelOn(quint8 states, int channel)
{
    return (states >> (channel - 1)) & 1;
}

} // namespace HistoryValues
