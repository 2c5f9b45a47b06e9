#include "history/undohistory.h"

#include "common/messages.h"
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

UndoResult finished(Status status, const QString &path, const QString &detail = QString())
{
    return UndoResult {status, detail, path};
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
        return finished(Status::NotUndone, step.target,
                        transaction::failureMessage(done, step.target));
    }
}

// Takes back a set-aside: the backup gets the file's name again, while it is the backup that
// step made and no new file has taken the name.
UndoResult undoSetAside(const StoreStep &step, const StoreOptions &options)
{
    transaction::Access file(step.target);
    if (const transaction::Result locked = file.lock(options.lockWait, options.stop);
        locked.status != transaction::Status::Done) {
        return finished(Status::NotUndone, step.target,
                        transaction::failureMessage(locked, step.target));
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
            || std::rename(from.constData(), to.constData()) != 0)
            return finished(Status::NotUndone, step.target,
                            messages::fileNotWritten(step.target, messages::systemError(errno)));
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

QString UndoHistory::messageFor(const UndoResult &result)
{
    switch (result.status) {
    case Status::Undone:
        return messages::undoDone();
    case Status::Nothing:
        return messages::undoNothing();
    case Status::Changed:
        return messages::undoChangedMeanwhile(result.path);
    case Status::NotUndone:
        return result.detail;
    }
    return messages::bug();
}

} // namespace history
