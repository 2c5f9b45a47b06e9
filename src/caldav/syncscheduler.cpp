#include "caldav/syncscheduler.h"

SyncScheduler::SyncScheduler(QObject *parent) : QObject(parent)
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(soonMs);
    m_every.setInterval(everyMs);
    connect(&m_soon, &QTimer::timeout, this, &SyncScheduler::syncNow);
    connect(&m_every, &QTimer::timeout, this, &SyncScheduler::syncNow);
}

SyncScheduler::~SyncScheduler()
{
    m_stop = true;
    if (m_thread)
        m_thread->wait();
}

void SyncScheduler::setJob(std::function<std::optional<caldav::SyncJob>()> job)
{
    m_job = std::move(job);
    if (m_job)
        m_every.start();
    else
        m_every.stop();
}

void SyncScheduler::syncSoon()
{
    if (m_job)
        m_soon.start();
}

void SyncScheduler::syncNow()
{
    m_soon.stop();
    if (m_thread) {
        m_again = true;
        return;
    }
    const std::optional<caldav::SyncJob> job = m_job ? m_job() : std::nullopt;
    if (!job)
        return;
    m_stop = false;
    m_thread.reset(QThread::create([this, job = *job]() mutable {
        job.stop = &m_stop;
        job.store.stop = &m_stop;
        m_result = caldav::synchronize(job);
    }));
    connect(m_thread.get(), &QThread::finished, this, &SyncScheduler::finish);
    emit started();
    m_thread->start();
}

void SyncScheduler::finish()
{
    m_thread->wait();
    m_thread.reset();
    const caldav::SyncResult result = std::move(m_result);
    m_result = {};
    emit finished(result);
    if (m_again) {
        m_again = false;
        syncNow();
    }
}
