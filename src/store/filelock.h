#pragma once

// The advisory lock that keeps two adds (or an add and a set-aside) from reading and writing
// the same schedule file at the same time: the system's flock() on a lock file named after the
// file that is really written (a link's final target) with ".lock" appended, in its folder.
// The system drops the lock when its process ends, however it ends, so a lock file that no
// running process holds (left by a crash, empty, or garbage) is free at once. The lock file is
// removed when the lock is released, unless it belongs to another user or has other names.
// An existing lock file is only ever opened for reading: it is never written or truncated.

#include "common/reason.h"
#include "store/posix.h"

#include <QString>

#include <atomic>
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
    // Gives up, as Busy, when `stop` is set meanwhile.
    Status acquire(std::chrono::milliseconds timeout, const std::atomic_bool *stop = nullptr);

    // Why, naming the folder, when acquire() returned Unusable.
    Reason error() const { return m_error; }

private:
    // What one attempt to take the lock did.
    enum class Attempt {
        Locked,
        TryAgain, // the lock file changed meanwhile: try again at once
        Busy,     // another operation holds it
        Unusable, // error() says why
    };

    // One open of the lock file and one try at locking it, without waiting.
    Attempt tryOnce();
    // Keeps `fd`, just locked, as the lock unless its file is no longer at the lock's name or
    // is left over from a process that ended (and is removed). Returns: whether it was kept.
    bool keepIfCurrent(posix::FileDescriptor &fd, bool created, const posix::Status &info);
    // Sets error() to say why the lock file could not be opened or locked (errno `error`).
    void explain(int error);

    QByteArray m_lockName;
    QString m_folder;
    Reason m_error;
    posix::FileDescriptor m_fd;
    bool m_removable = false;
};

} // namespace filelock
