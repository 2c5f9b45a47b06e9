#include "history/undohistory.h"

#include "store/posix.h"
#include "store/transaction.h"

#include <QFile>
#include <QMutexLocker>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace history {

namespace {

qsizetype bytesOf(const StoreStep &step)
{
    return step.before.size() + step.after.size();
}

UndoResult finished(Status status, const QString &path)
{
    UndoResult result;
    result.status = status;
    result.path = path;
    return result;
}

// The step was not taken back: the locked step on the file ended as `done`.
UndoResult notUndone(const QString &path, const transaction::Result &done)
{
    UndoResult result = finished(Status::NotUndone, path);
    result.step = done.status;
    result.detail = done.detail;
    return result;
}

// Takes back a change of the file's content: the bytes before, written only over the bytes after.
UndoResult undoRewrite(const StoreStep &step, const StoreOptions &options)
{
    const transaction::Result done = transaction::applyToBytes(
            step.target,
            [&](const QByteArray &bytes) -> std::optional<QByteArray> {
                if (bytes != step.after)
                    return std::nullopt;
                return step.before;
            },
            options);
    switch (done.status) {
    case transaction::Status::Done:
        return finished(Status::Undone, step.target);
    case transaction::Status::Refused:
    case transaction::Status::FileHasInvalidBytes:
    case transaction::Status::FileHasStrayText:
        return finished(Status::Changed, step.target);
    default:
        return notUndone(step.target, done);
    }
}

// Takes back a set-aside: the backup gets the file's name again, while it is the backup that
// step made and no new file has taken the name.
UndoResult undoSetAside(const StoreStep &step, const StoreOptions &options)
{
    transaction::Access file(step.target);
    if (const transaction::Result locked = file.lock(options.lockWait, options.stop);
        locked.status != transaction::Status::Done) {
        return notUndone(step.target, locked);
    }
    const QByteArray from = QFile::encodeName(step.backup);
    const QByteArray to = QFile::encodeName(step.target);
    if (posix::linkStatus(to)
        || savefile::identityOf(posix::linkStatus(from)) != step.backupIdentity)
        return finished(Status::Changed, step.target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return finished(Status::Changed, step.target);
        // Some file systems cannot refuse for us; the name was free a moment ago, under the lock.
        if ((error != EINVAL && error != ENOSYS)
            || std::rename(from.constData(), to.constData()) != 0) {
            transaction::Result failed;
            failed.status = transaction::Status::WriteFailed;
            failed.detail = Reason::system(errno);
            return notUndone(step.target, failed);
        }
    }
    return finished(Status::Undone, step.target);
}

} // namespace

void UndoHistory::record(const StoreStep &step)
{
    const QMutexLocker locker(&m_mutex);
    m_steps.append(step);
    qsizetype kept = 0;
    for (const StoreStep &s : std::as_const(m_steps))
        kept += bytesOf(s);
    while (!m_steps.isEmpty() && (m_steps.size() > maxSteps || kept > maxBytes)) {
        kept -= bytesOf(m_steps.constFirst());
        m_steps.removeFirst();
    }
}

bool UndoHistory::isEmpty() const
{
    const QMutexLocker locker(&m_mutex);
    return m_steps.isEmpty();
}

void UndoHistory::clear()
{
    const QMutexLocker locker(&m_mutex);
    m_steps.clear();
}

UndoResult UndoHistory::undo(StoreOptions options)
{
    StoreStep step;
    {
        const QMutexLocker locker(&m_mutex);
        if (m_steps.isEmpty())
            return finished(Status::Nothing, QString());
        step = m_steps.takeLast();
    }
    // An undo is not itself a step to take back.
    options.recorded = {};
    UndoResult result = step.kind == StoreStep::Kind::SetAside ? undoSetAside(step, options)
                                                               : undoRewrite(step, options);
    if (result.status == Status::NotUndone) {
        const QMutexLocker locker(&m_mutex);
        m_steps.append(std::move(step));
    }
    return result;
}

} // namespace history
