#pragma once

// The two parts of the window's first drawing that take longest, begun on a thread of their own
// while the window is still being built: the read of the memo file and the year's 暦. The window
// then draws from them as if it had read and computed them itself.

#include "calendar/schedulecache.h"

#include <QString>

#include <future>
#include <memory>
#include <optional>

class Platform;

namespace rekovabas {

class EarlyStart
{
public:
    // Starts reading the file at `path` ("" for none) and then the 暦 of `year`; where no thread
    // can be started, does both at once.
    EarlyStart(const QString &path, int year);
    EarlyStart(const EarlyStart &) = delete;
    EarlyStart &operator=(const EarlyStart &) = delete;

    // Returns: the read, waiting for it, with what it threw thrown here; nothing after the first
    // call.
    std::optional<ScheduleCache::Read> take();

private:
    std::promise<ScheduleCache::Read> m_promise;
    std::future<ScheduleCache::Read> m_read;
    // Declared last: its end waits for the thread, before the promise the thread sets is gone.
    std::future<void> m_thread;
};

// Returns: an early start of the schedule file named by the setting of `platform` and of the 暦
// of the year its clock gives.
std::unique_ptr<EarlyStart> beginEarly(Platform &platform);

} // namespace rekovabas
