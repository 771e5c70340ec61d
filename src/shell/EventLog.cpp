#include "shell/EventLog.h"

namespace EventLog {

QString formatLine(const QTime &time, const QString &text)
{
    return time.toString(QStringLiteral("HH:mm:ss ")) + text;
}

} // namespace EventLog
