#pragma once

// When the calendar sync runs while the program does: at once when asked (start-up, the menu
// command), shortly after the memo file changed (a few changes in a row make one run), and every
// few minutes. Each run is synchronize() on a thread of its own; one at a time, and a run asked
// for meanwhile follows the one under way.

#include "caldav/syncengine.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class SyncScheduler : public QObject
{
    Q_OBJECT

public:
    // How long after a change of the memo file a run starts, and how often one runs anyway.
    static constexpr int soonMs = 3000;
    static constexpr int everyMs = 5 * 60 * 1000;

    explicit SyncScheduler(QObject *parent = nullptr);
    // Stops a run under way at its next request and waits for it.
    ~SyncScheduler() override;

    // What a run syncs, asked for at its start; none while the sync is off.
    void setJob(std::function<std::optional<caldav::SyncJob>()> job);

    void syncNow();
    void syncSoon();
    bool isRunning() const { return m_thread != nullptr; }

signals:
    void started();
    void finished(const caldav::SyncResult &result);

private:
    void finish();

    std::function<std::optional<caldav::SyncJob>()> m_job;
    QTimer m_soon;
    QTimer m_every;
    std::unique_ptr<QThread> m_thread;
    bool m_again = false;
    std::atomic_bool m_stop = false;
    caldav::SyncResult m_result;
};
