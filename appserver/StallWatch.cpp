#include "StallWatch.h"

#include "CallLog.h"

namespace KavServer {

StallWatch::StallWatch(QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_ticker.setInterval(kTickMs);
    m_ticker.setTimerType(Qt::PreciseTimer);
    connect(&m_ticker, &QTimer::timeout, this, &StallWatch::notice);
    m_ticker.start();
}

bool StallWatch::isSettling()
{
    notice();
    return m_clock.elapsed() < m_settlingUntil;
}

void StallWatch::notice()
{
    const qint64 now = m_clock.elapsed();
    const qint64 gap = now - m_lastTurn;
    m_lastTurn = now;
    if (gap <= kStallMs)
        return;
    m_lastStallMs = gap;
    m_settlingUntil = now + kSettleMs;
    CallLog::write(QStringLiteral("kavserver: the server stood still for %1 ms; calls of clients that ended "
                                  "their input meanwhile are not run")
                       .arg(gap));
}

} // namespace KavServer
