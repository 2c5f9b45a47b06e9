#include "store/filelock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filelock {

namespace {

// Waiting polls in short, slightly random steps, so that an operation that waits gets its
// turn even when another process adds memos one after the other.
constexpr int shortestPollMs = 1;
constexpr int longestPollMs = 8;

// Who holds the lock, for a person who finds the file: the process id first, as earlier
// versions of the program wrote it. Only ever written to a lock file this process has just
// created: the lock is the flock(), not the content.
void writeOwner(int fd)
{
    const QByteArray owner = QByteArray::number(qint64(::getpid())) + "\nrekova\n"
            + QSysInfo::machineHostName().toUtf8() + '\n';
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, owner.constData(), owner.size(), 0);
}

// Whoever may read the memo file may open its lock file and wait for it, whatever the umask of
// the user who made it: a lock file that a group member cannot open refuses their add at once.
void shareLikeTarget(int fd, const QByteArray &targetName)
{
    if (const std::optional<posix::Status> target = posix::fileStatus(targetName)) [[maybe_unused]]
        const int changed = ::fchmod(fd, 0600 | (target->st_mode & 0044));
}

// The lock file of the file at `targetPath`.
QString lockPathFor(const QString &targetPath)
{
    return targetPath + QStringLiteral(".lock");
}

} // namespace

ScheduleLock::ScheduleLock(const QString &targetPath)
    : m_lockName(QFile::encodeName(lockPathFor(targetPath))),
      m_folder(QFileInfo(targetPath).absolutePath())
{ }

ScheduleLock::~ScheduleLock()
{
    if (!m_fd.isOpen())
        return;
    // Removed while still held: an operation waiting on this file finds it gone and takes a
    // new one, so two never hold locks on different files of the same name. A lock file of
    // another user's stays as it is.
    if (m_removable)
        ::unlink(m_lockName.constData());
    m_fd.reset();
}

ScheduleLock::Status ScheduleLock::acquire(std::chrono::milliseconds timeout,
                                           const std::atomic_bool *stop)
{
    QDeadlineTimer deadline(timeout);
    for (;;) {
        switch (tryOnce()) {
        case Attempt::Locked:
            return Status::Locked;
        case Attempt::TryAgain:
            continue;
        case Attempt::Unusable:
            return Status::Unusable;
        case Attempt::Busy:
            break;
        }
        if (deadline.hasExpired() || (stop && stop->load(std::memory_order_relaxed)))
            return Status::Busy;
        const qint64 pause = qMin<qint64>(
                deadline.remainingTime(),
                QRandomGenerator::global()->bounded(shortestPollMs, longestPollMs + 1));
        QThread::msleep(static_cast<unsigned long>(pause));
    }
}

ScheduleLock::Attempt ScheduleLock::tryOnce()
{
    // Never blocks, not even on a FIFO that someone put at the lock's name. A lock file that is
    // there already is only opened for reading: flock() needs nothing more, and nothing is ever
    // written to a file this process did not make.
    constexpr int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    bool created = true;
    int opened = ::open(m_lockName.constData(), O_RDWR | O_CREAT | O_EXCL | flags, 0644);
    if (opened < 0 && errno == EEXIST) {
        created = false;
        opened = ::open(m_lockName.constData(), O_RDONLY | flags);
        if (opened < 0 && errno == ENOENT)
            return Attempt::TryAgain; // its holder removed it in the meantime
        // One that this user may not read (another user's) stands in the way: it is named.
        if (const int error = errno; opened < 0 && (error == EACCES || error == EPERM)) {
            m_error = Reason::named(Reason::Kind::LockNotOpened, QFile::decodeName(m_lockName),
                                    error)
                              .inFolder(m_folder);
            return Attempt::Unusable;
        }
    }
    if (opened < 0) {
        explain(errno);
        return Attempt::Unusable;
    }
    posix::FileDescriptor fd(opened);
    const std::optional<posix::Status> info = posix::fileStatus(fd.get());
    if (!info || !S_ISREG(info->st_mode)) {
        explain(ELOOP);
        return Attempt::Unusable;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK || error == EINTR)
            return Attempt::Busy;
        explain(error);
        return Attempt::Unusable;
    }
    return keepIfCurrent(fd, created, *info) ? Attempt::Locked : Attempt::TryAgain;
}

bool ScheduleLock::keepIfCurrent(posix::FileDescriptor &fd, bool created, const posix::Status &info)
{
    // Its holder may have removed it in the meantime: then the new one is locked.
    if (!posix::sameFile(posix::fileStatus(fd.get()), posix::fileStatus(m_lockName)))
        return false;
    // A file with another name elsewhere, or another user's, is only locked.
    const bool removable = info.st_nlink == 1 && info.st_uid == ::geteuid();
    if (!created && removable) {
        // Left by a process that ended: made afresh, so that it names its holder.
        ::unlink(m_lockName.constData());
        return false;
    }
    if (created) {
        writeOwner(fd.get());
        shareLikeTarget(fd.get(), m_lockName.chopped(int(sizeof(".lock")) - 1));
    }
    m_fd = std::move(fd);
    m_removable = removable;
    return true;
}

void ScheduleLock::explain(int error)
{
    // Only the file's own name can be too long: its folder was found. A symbolic link at the
    // lock's name is not followed (ELOOP), and is no more a lock file than a FIFO is.
    const QString lockPath = QFile::decodeName(m_lockName);
    if (error == ENAMETOOLONG)
        m_error = Reason::of(Reason::Kind::NameTooLongForFilesBeside);
    else if (error == ELOOP)
        m_error = Reason::named(Reason::Kind::LockNotRegularFile, lockPath).inFolder(m_folder);
    else
        m_error = Reason::system(error).inFolder(m_folder);
}

} // namespace filelock
