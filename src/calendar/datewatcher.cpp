#include "calendar/datewatcher.h"

#include "platform/platform.h"

DateWatcher::DateWatcher(Platform &platform, Handler handler, QObject *parent)
    : QObject(parent), m_platform(platform), m_handler(std::move(handler))
{
    setObjectName(QStringLiteral("dateWatcher"));
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DateWatcher::check);
}

void DateWatcher::start(QDate today)
{
    m_handled = today;
    m_timer.start();
}

void DateWatcher::check()
{
    if (m_handling)
        return;
    const QDate today = m_platform.today();
    if (today == m_handled)
        return;
    m_handling = true;
    const bool taken = m_handler(m_handled, today);
    m_handling = false;
    if (taken)
        m_handled = today;
}
