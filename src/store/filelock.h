#pragma once

// The advisory lock that keeps two adds (or an add and a set-aside) from reading and writing
// the same schedule file at the same time: the system's flock() on a lock file named after the
// file that is really written (a link's final target) with ".lock" appended, in its folder.
// The system drops the lock when its process ends, however it ends, so a lock file that no
// running process holds (left by a crash, empty, or garbage) is free at once. The lock file is
// removed when the lock is released, unless it belongs to another user or has other names.
// An existing lock file is only ever opened for reading: it is never written or truncated.

#include <QString>

#include <chrono>

namespace filelock {

// How long an operation waits for another one to finish before it gives up.
inline constexpr std::chrono::milliseconds defaultTimeout {5000};

class ScheduleLock
{
public:
    enum class Status {
        Locked,   // this object holds the lock until it is destroyed
        Busy,     // another operation held it for the whole timeout
        Unusable, // the lock file cannot be created; see error()
    };

    // `targetPath` is the file that will be written: resolve links first (store/target.h).
    explicit ScheduleLock(const QString &targetPath);
    ~ScheduleLock();
    ScheduleLock(const ScheduleLock &) = delete;
    ScheduleLock &operator=(const ScheduleLock &) = delete;

    // Waits up to `timeout` for the lock.
    Status acquire(std::chrono::milliseconds timeout);

    // The reason, in Japanese and naming the folder, when acquire() returned Unusable.
    QString error() const { return m_error; }

private:
    QByteArray m_lockName;
    QString m_folder;
    QString m_error;
    int m_fd = -1;
    bool m_removable = false;
};

} // namespace filelock
