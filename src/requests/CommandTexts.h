#pragma once

#include <QString>

// The line each command writes to the event log before its request is built.
namespace CommandTexts {

inline constexpr QLatin1String ParameterRequest("Anfrage Parameter");
inline constexpr QLatin1String MeasurementRequest("Abfrage Messwerte");
inline constexpr QLatin1String MeasurementLoop("Loop-Abfrage Messwerte");
inline constexpr QLatin1String Programming("sende neue Parameter");

// Input is 1 to 4.
inline QString AutoSendRequest(int input)
{
    return QStringLiteral("Anforderung AutoSend für InputKanal ") + QString::number(input);
}

} // namespace CommandTexts
