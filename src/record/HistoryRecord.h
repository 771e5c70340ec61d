#pragma once

#include "protocol/Messages.h"

#include <QByteArrayView>
#include <QHostAddress>
#include <QString>

#include <optional>
#include <variant>

// One decoded measurement reply, switch acknowledgement or weather frame, with
// when it came and from which device.
struct HistoryRecord
{
    using Values = std::variant<Protocol::MeasurementValues, Protocol::SwitchAcknowledged, Protocol::WeatherData>;

    qint64 time = 0; // milliseconds since the epoch
    QHostAddress peer;
    Protocol::Header header;
    Values values;

    // A record of the reply in these bytes, when it is of a recorded kind and arrived whole.
    static std::optional<HistoryRecord> fromReply(qint64 time, const QHostAddress &peer, QByteArrayView wire);

    // Names the device: its eNum, its address as sender and where it was reached.
    QString source() const;
};

namespace HistoryValues {

// Degrees Celsius of a temperature as it travels; a minus zero is 0.
double degrees(const Protocol::Temperature &temperature);
bool channelOn(quint8 states, int channel);

} // namespace HistoryValues
