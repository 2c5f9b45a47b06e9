#include "store/filelock.h"

#include "common/messages.h"
#include "store/schedulefile.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>

namespace filelock {

namespace {

// A lock file older than this is taken over even if its process still runs: no add or
// set-aside holds the lock for more than a moment.
constexpr std::chrono::milliseconds staleAfter {30000};

// Waiting polls in short, slightly random steps, so that an operation that waits gets its
// turn even when another process adds memos one after the other.
constexpr int shortestPollMs = 1;
constexpr int longestPollMs = 8;

} // namespace

QString lockPathFor(const QString &schedulePath)
{
    return schedulePath + QStringLiteral(".lock");
}

ScheduleLock::ScheduleLock(const QString &schedulePath)
    : m_lock(lockPathFor(schedulePath)), m_folder(QFileInfo(schedulePath).absolutePath())
{
    m_lock.setStaleLockTime(staleAfter);
}

ScheduleLock::Status ScheduleLock::acquire(std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    for (;;) {
        errno = 0;
        if (m_lock.tryLock(0))
            return Status::Locked;
        const int error = errno;
        if (m_lock.error() != QLockFile::LockFailedError) {
            const int reason = error != 0                          ? error
                    : m_lock.error() == QLockFile::PermissionError ? EACCES
                                                                   : EIO;
            m_error = messages::folderUnusable(m_folder, schedulefile::errorText(reason));
            return Status::Unusable;
        }
        if (deadline.hasExpired())
            return Status::Busy;
        const qint64 pause = qMin<qint64>(
                deadline.remainingTime(),
                QRandomGenerator::global()->bounded(shortestPollMs, longestPollMs + 1));
        QThread::msleep(static_cast<unsigned long>(pause));
    }
}

} // namespace filelock
