#include "store/conflictcopy.h"

#include "common/messages.h"
#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/schedulefile.h"
#include "store/target.h"
#include "store/transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace conflictcopy {

namespace {

// The name split where the sync tools insert their mark: before the last extension.
struct NameParts
{
    QString base;
    QString extension; // with its dot, or ""
};

NameParts split(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

Result failed(Status status, const QString &detail = QString())
{
    Result result;
    result.status = status;
    result.detail = detail;
    return result;
}

// The text that says why the schedule file at `path` could not take the copy's records.
QString fileProblem(const transaction::Result &done, const QString &path)
{
    switch (done.status) {
    case transaction::Status::FileHasInvalidBytes:
        return messages::fileHasInvalidBytes(path);
    case transaction::Status::FileHasStrayText:
        return messages::fileHasStrayText(path, done.detail);
    case transaction::Status::FileUnreadable:
        return messages::fileUnreadable(path, done.detail);
    case transaction::Status::FileLocked:
        return messages::fileLocked(path);
    case transaction::Status::Done:
    case transaction::Status::Refused:
    case transaction::Status::WriteFailed:
        break;
    }
    return messages::fileNotWritten(path, done.detail);
}

// In the file's locked step: adds every field of the copy that the file lacks, each once
// (blank lines are not worth adding). Nothing is written when there is none.
Result addFromCopy(const QString &path, const QByteArray &copyBytes, const StoreOptions &options)
{
    Result result;
    const transaction::Result done = transaction::apply(
            path,
            [&](transaction::Fields &fields) {
                QSet<QByteArray> present;
                for (const QByteArray &field : std::as_const(fields))
                    present.insert(field);
                transaction::Fields missing;
                fieldreader::forEachField(QByteArrayView(copyBytes), [&](QByteArrayView field) {
                    const QByteArray line = field.toByteArray();
                    if (line.trimmed().isEmpty() || present.contains(line))
                        return;
                    present.insert(line);
                    missing.append(line);
                });
                result.added = missing.size();
                fields.append(missing);
                return !missing.isEmpty();
            },
            options);
    if (done.status == transaction::Status::Done
        || (done.status == transaction::Status::Refused && result.added == 0))
        return result;
    return failed(Status::FileProblem, fileProblem(done, path));
}

// Returns: 0, or the errno of the failed rename. A file that took the new name meanwhile stays.
int renameWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray destination = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, destination.constData(),
                    RENAME_NOREPLACE)
        == 0)
        return 0;
    const int error = errno;
    // Some file systems cannot refuse for us: look first, then rename.
    if (error != EINVAL && error != ENOSYS)
        return error;
    if (QFileInfo::exists(to))
        return EEXIST;
    return ::rename(source.constData(), destination.constData()) == 0 ? 0 : errno;
}

// The names the sync tools give conflict copies of the file named `originalName`.
QList<QRegularExpression> copyPatterns(const QString &originalName)
{
    const NameParts parts = split(originalName);
    if (parts.base.isEmpty())
        return {};
    const QString base = QRegularExpression::escape(parts.base);
    const QString extension = QRegularExpression::escape(parts.extension);
    const QString marks[] = {
            // Syncthing: date, time and the first seven characters of the device's ID.
            QStringLiteral("\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}"),
            // Nextcloud and ownCloud: date and time.
            QStringLiteral(" \\(conflicted copy \\d{4}-\\d{2}-\\d{2} \\d{6}\\)"),
            // Dropbox: whose copy and the date, and a number when that name was taken.
            QStringLiteral(" \\([^()/]+['\u2019]s conflicted copy \\d{4}-\\d{2}-\\d{2}\\)"
                           "(?: \\(\\d+\\))?"),
    };
    QList<QRegularExpression> patterns;
    for (const QString &mark : marks)
        patterns.append(QRegularExpression(QStringLiteral("\\A") + base + mark + extension
                                           + QStringLiteral("\\z")));
    return patterns;
}

bool matchesAny(const QList<QRegularExpression> &patterns, const QString &fileName)
{
    return std::any_of(patterns.cbegin(), patterns.cend(),
                       [&](const QRegularExpression &p) { return p.match(fileName).hasMatch(); });
}

} // namespace

QStringList find(const QString &path)
{
    if (path.isEmpty())
        return {};
    const target::Target file = target::resolve(path);
    const QFileInfo info(file.ok() ? file.path : path);
    const QList<QRegularExpression> patterns = copyPatterns(info.fileName());
    QStringList copies;
    const QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        if (matchesAny(patterns, name) && QFileInfo(folder.filePath(name)).isFile())
            copies.append(folder.filePath(name));
    }
    return copies;
}

Result merge(const QString &path, const QString &copyPath, const StoreOptions &options)
{
    const schedulefile::Bytes copy = schedulefile::readBytes(copyPath);
    if (copy.status == schedulefile::Status::Unreadable)
        return failed(Status::CopyUnreadable, copy.error);
    if (copy.status == schedulefile::Status::Absent)
        return failed(Status::CopyUnreadable, messages::systemError(ENOENT));
    // Its records would come in changed.
    if (cp932::firstInvalidByte(copy.bytes) >= 0)
        return failed(Status::CopyHasInvalidBytes);
    // Text after a closing quotation mark belongs to no record and would be left behind.
    qsizetype firstDropped = -1;
    fieldreader::forEachField(
            QByteArrayView(copy.bytes), [](QByteArrayView) {},
            [&](qsizetype position) {
                if (firstDropped < 0)
                    firstDropped = position;
            });
    if (firstDropped >= 0)
        return failed(
                Status::CopyHasStrayText,
                QString::number(QByteArrayView(copy.bytes).first(firstDropped).count('\n') + 1));

    Result result = addFromCopy(path, copy.bytes, options);
    if (result.status != Status::Merged)
        return result;
    // Never over another file: the name is taken only when it is free.
    const QString renamed = mergedName(copyPath);
    if (const int error = renameWithoutReplacing(copyPath, renamed); error != 0) {
        result.status = Status::RenameFailed;
        result.detail = messages::systemError(error);
        return result;
    }
    result.renamedTo = renamed;
    return result;
}

QString mergedName(const QString &copyPath)
{
    const QString first = copyPath + QStringLiteral(".merged");
    QString name = first;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = first + QString::number(n);
    return name;
}

QString messageFor(const Result &result, const QString &copyPath)
{
    switch (result.status) {
    case Status::Merged:
        return messages::conflictCopyMerged(result.added, result.renamedTo);
    case Status::CopyUnreadable:
    case Status::FileProblem:
        return messages::conflictCopyNotMerged(copyPath, result.detail);
    case Status::CopyHasInvalidBytes:
        return messages::conflictCopyNotMerged(copyPath, messages::copyHasInvalidBytes());
    case Status::CopyHasStrayText:
        return messages::conflictCopyNotMerged(copyPath, messages::copyHasStrayText(result.detail));
    case Status::RenameFailed:
        return messages::conflictCopyNotRenamed(result.added, copyPath, result.detail);
    }
    return messages::bug();
}

} // namespace conflictcopy
