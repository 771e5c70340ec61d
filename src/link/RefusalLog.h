#pragma once

#include <QHash>
#include <QHostAddress>

// Says when a refused caller is worth a log line: once per address and
// minute, so that a host that keeps knocking cannot flood the event log. The
// caller passes the time in (milliseconds of a monotonic clock).
class RefusalLog
{
public:
    static constexpr qint64 QuietMs = 60000;

    bool shouldLog(const QHostAddress &peer, qint64 nowMs);

private:
    QHash<QHostAddress, qint64> m_lastLogged;
};
