#pragma once

// The advisory lock that keeps two adds (or an add and a set-aside) from reading and writing
// the same schedule file at the same time: a lock file named after the schedule file with
// ".lock" appended, in the same folder. A lock left behind by a process that died, or one older
// than half a minute, is taken over.

#include <QLockFile>
#include <QString>

#include <chrono>

namespace filelock {

// How long an operation waits for another one to finish before it gives up.
inline constexpr std::chrono::milliseconds defaultTimeout {5000};

// Returns: the name of the lock file for the schedule file at `path`.
QString lockPathFor(const QString &schedulePath);

class ScheduleLock
{
public:
    enum class Status {
        Locked,   // this object holds the lock until it is destroyed
        Busy,     // another operation held it for the whole timeout
        Unusable, // the lock file cannot be created; see error()
    };

    explicit ScheduleLock(const QString &schedulePath);
    ScheduleLock(const ScheduleLock &) = delete;
    ScheduleLock &operator=(const ScheduleLock &) = delete;

    // Waits up to `timeout` for the lock.
    Status acquire(std::chrono::milliseconds timeout);

    // The reason, in Japanese and naming the folder, when acquire() returned Unusable.
    QString error() const { return m_error; }

private:
    QLockFile m_lock;
    QString m_folder;
    QString m_error;
};

} // namespace filelock
