#include "record/HistoryCsv.h"

#include <QDateTime>

const QByteArray HistoryCsv::ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

namespace {

using Protocol::ChannelCount;

QString onOff(quint8 states, int channel)
{
    return HistoryValues::channelOn(states, channel) ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

HistoryCsv::HistoryCsv(const QLocale &locale, const QTimeZone &zone)
    : m_locale(locale), m_zone(zone),
      m_separator(locale.decimalPoint() == QStringLiteral(",") ? QLatin1Char(';') : QLatin1Char(','))
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
}

QString HistoryCsv::header() const
{
    QStringList columns{QStringLiteral("Zeit"), QStringLiteral("Quelle"), QStringLiteral("Art"),
                        QStringLiteral("Temperatur 1 (°C)"), QStringLiteral("Temperatur 2 (°C)")};
    for (int n = 1; n <= ChannelCount; ++n)
        columns << QStringLiteral("Ausgang %1").arg(n);
    for (int n = 1; n <= ChannelCount; ++n)
        columns << QStringLiteral("Eingang %1").arg(n);
    columns << QStringLiteral("Wind (km/h)") << QStringLiteral("Wind max (km/h)") << QStringLiteral("Regen (l/m²)")
            << QStringLiteral("Außentemperatur (°C)") << QStringLiteral("Licht");
    for (QString &column : columns)
        column = field(column);
    return columns.join(m_separator);
}

QString HistoryCsv::row(const HistoryRecord &record) const
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(record.time, m_zone);
    QStringList cells{time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs), field(record.source())};
    QStringList temperatures(2), outputs(ChannelCount), inputs(ChannelCount), weather(5);
    std::visit(
        [&](const auto &values) {
            using V = std::decay_t<decltype(values)>;
            if constexpr (std::is_same_v<V, Protocol::MeasurementValues>) {
                cells << QStringLiteral("Messwerte");
                temperatures = {number(HistoryValues::degrees(values.temperature1)),
                                number(HistoryValues::degrees(values.temperature2))};
                for (int n = 1; n <= ChannelCount; ++n) {
                    outputs[n - 1] = onOff(values.outputs, n);
                    inputs[n - 1] = onOff(values.inputs, n);
                }
            } else if constexpr (std::is_same_v<V, Protocol::SwitchAcknowledged>) {
                cells << QStringLiteral("Schaltquittung");
                for (int n = 1; n <= ChannelCount; ++n)
                    outputs[n - 1] = onOff(values.outputs, n);
            } else {
                constexpr double TenthsPerLitre = 10.0;
                cells << QStringLiteral("Wetterdaten");
                weather = {QString::number(values.windSpeed), QString::number(values.windSpeedMax),
                           number(values.rain / TenthsPerLitre), number(HistoryValues::degrees(values.outside)),
                           QString::number(values.light)};
            }
        },
        record.values);
    return (cells + temperatures + outputs + inputs + weather).join(m_separator);
}

QString HistoryCsv::number(double value) const
{
    return m_locale.toString(value, 'f', 1);
}

QString HistoryCsv::field(const QString &text) const
{
    if (!text.contains(m_separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}
