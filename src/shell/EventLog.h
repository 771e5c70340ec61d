#pragma once

#include <QString>
#include <QTime>

namespace EventLog {

// The log keeps the newest lines only.
inline constexpr int MaxLines = 200;

// A log line is the time stamp "HH:MM:SS ", then the text exactly as given.
QString formatLine(const QTime &time, const QString &text);

} // namespace EventLog
