#include "flows/outcome.h"

#include "common/messages.h"

namespace outcome {

QString ofStep(transaction::Status status, const Reason &detail, const QString &path)
{
    switch (status) {
    case transaction::Status::FileHasInvalidBytes:
        return messages::fileHasInvalidBytes(path);
    case transaction::Status::FileHasStrayText:
        return messages::fileHasStrayText(path, messages::reasonText(detail));
    case transaction::Status::FileUnreadable:
        return messages::fileUnreadable(path, messages::reasonText(detail));
    case transaction::Status::FileLocked:
        return messages::fileLocked(path);
    case transaction::Status::Stopped:
        return messages::stoppedByUser(path);
    case transaction::Status::Done:
    case transaction::Status::Refused:
    case transaction::Status::WriteFailed:
        break;
    }
    return messages::fileNotWritten(path, messages::reasonText(detail));
}

QStringList respelledLines(const QList<cp932::Respelling> &respelled)
{
    QStringList lines;
    for (const cp932::Respelling &respelling : respelled)
        lines.append(messages::icsRespelled(respelling.from, respelling.to));
    return lines;
}

QString ofAddStatus(dirs::AddStatus status, const Reason &detail, const QString &path)
{
    using dirs::AddStatus;
    switch (status) {
    case AddStatus::Written:
        return messages::writeCompleted();
    case AddStatus::EmptyMemo:
        return messages::memoEmpty();
    case AddStatus::NotSet:
        return messages::scheduleFileNotSet();
    case AddStatus::MemoHasQuote:
        return messages::memoHasQuote();
    case AddStatus::MemoNotEncodable:
        return messages::memoNotEncodable(messages::reasonText(detail));
    case AddStatus::FileHasInvalidBytes:
        return ofStep(transaction::Status::FileHasInvalidBytes, detail, path);
    case AddStatus::FileHasStrayText:
        return ofStep(transaction::Status::FileHasStrayText, detail, path);
    case AddStatus::FileUnreadable:
        return ofStep(transaction::Status::FileUnreadable, detail, path);
    case AddStatus::FileLocked:
        return ofStep(transaction::Status::FileLocked, detail, path);
    case AddStatus::WriteFailed:
        return ofStep(transaction::Status::WriteFailed, detail, path);
    case AddStatus::Stopped:
        return ofStep(transaction::Status::Stopped, detail, path);
    case AddStatus::DateChanged:
    case AddStatus::Cancelled:
        break;
    }
    return messages::bug();
}

QString ofAdd(const dirs::AddResult &result, const QString &path)
{
    if (result.status == dirs::AddStatus::Written && !result.respelled.isEmpty())
        return messages::writeCompletedRespelled(respelledLines(result.respelled));
    return ofAddStatus(result.status, result.detail, path);
}

QString ofBatch(const batch::Result &result, const QString &path)
{
    switch (result.status) {
    case batch::Status::Applied:
        return QString();
    case batch::Status::Changed:
        return messages::deleteChangedMeanwhile();
    case batch::Status::NotSet:
        return messages::scheduleFileNotSet();
    case batch::Status::MemoHasQuote:
        return messages::memoHasQuote();
    case batch::Status::MemoNotEncodable:
        return messages::memoNotEncodable(messages::reasonText(result.detail));
    case batch::Status::NotARecord:
        return messages::bug();
    default:
        break;
    }
    return ofStep(result.step, result.detail, path);
}

QString ofDelete(const deletion::Result &result, const QString &path)
{
    switch (result.status) {
    case deletion::Status::Deleted:
        return QString();
    case deletion::Status::Changed:
        return messages::deleteChangedMeanwhile();
    case deletion::Status::NotSet:
        return messages::scheduleFileNotSet();
    default:
        break;
    }
    return ofStep(result.step, result.detail, path);
}

QString ofSetAside(const setaside::Result &result, const QString &path)
{
    using setaside::Status;
    switch (result.status) {
    case Status::Renamed:
        return messages::setAsideDone(result.backupPath);
    case Status::NotSet:
        return messages::setAsideNotSet();
    case Status::NoFile:
        return messages::setAsideNoFile(path);
    case Status::Locked:
        return messages::fileLocked(path);
    case Status::Failed:
        return messages::setAsideFailed(path, result.backupPath,
                                        messages::reasonText(result.detail));
    }
    return messages::bug();
}

QString ofUndo(const history::UndoResult &result)
{
    using history::Status;
    switch (result.status) {
    case Status::Undone:
        return messages::undoDone();
    case Status::Nothing:
        return messages::undoNothing();
    case Status::Changed:
        return messages::undoChangedMeanwhile(result.path);
    case Status::NotUndone:
        return ofStep(result.step, result.detail, result.path);
    }
    return messages::bug();
}

QString ofMerge(const conflictcopy::Result &result, const QString &copyPath, const QString &path)
{
    using conflictcopy::Status;
    switch (result.status) {
    case Status::Merged:
        return messages::conflictCopyMerged(result.added, result.renamedTo);
    case Status::CopyUnreadable:
        return messages::conflictCopyNotMerged(copyPath, messages::reasonText(result.detail));
    case Status::FileProblem:
        return messages::conflictCopyNotMerged(copyPath, ofStep(result.step, result.detail, path));
    case Status::CopyHasInvalidBytes:
        return messages::conflictCopyNotMerged(copyPath, messages::copyHasInvalidBytes());
    case Status::CopyHasStrayText:
        return messages::conflictCopyNotMerged(
                copyPath, messages::copyHasStrayText(messages::reasonText(result.detail)));
    case Status::RenameFailed:
        return messages::conflictCopyNotRenamed(result.added, copyPath,
                                                messages::reasonText(result.detail));
    }
    return messages::bug();
}

QString ofPassedOver(const QList<conflictcopy::PassedOver> &passedOver)
{
    QStringList entries;
    for (const conflictcopy::PassedOver &entry : passedOver)
        entries.append(messages::shownPath(entry.path) + QLatin1Char('\n')
                       + messages::reasonText(entry.reason));
    return messages::conflictCopiesPassedOver(entries);
}

} // namespace outcome
