#include "link/RefusalLog.h"

bool RefusalLog::shouldLog(const QHostAddress &peer, qint64 nowMs)
{
    // Addresses whose minute is over are forgotten, so that many callers cannot make the table grow for good.
    m_lastLogged.removeIf([nowMs](const auto &entry) { return nowMs - entry.value() >= QuietMs; });
    if (m_lastLogged.contains(peer))
        return false;
    m_lastLogged.insert(peer, nowMs);
    return true;
}
