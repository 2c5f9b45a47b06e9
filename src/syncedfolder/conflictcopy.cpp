#include "syncedfolder/conflictcopy.h"

#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/posix.h"
#include "store/target.h"
#include "store/transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

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

Result failed(Status status, const Reason &detail = Reason())
{
    Result result;
    result.status = status;
    result.detail = detail;
    return result;
}

// In the file's locked step: adds every field of the copy that the file lacks, each once
// (blank lines are not worth adding). Nothing is written when there is none.
Result addFromCopy(const QString &path, const QByteArray &copyBytes, const StoreOptions &options)
{
    Result result;
    const transaction::Result done = transaction::apply(
            path,
            [&](transaction::Fields &fields) {
                // Views into the file's and the copy's bytes, which outlive the change: no field
                // is copied to be looked up.
                QSet<QByteArrayView> present;
                present.reserve(fields.size());
                for (const QByteArray &field : std::as_const(fields))
                    present.insert(QByteArrayView(field));
                transaction::Fields missing;
                fieldreader::forEachField(QByteArrayView(copyBytes), [&](QByteArrayView field) {
                    if (field.trimmed().isEmpty() || present.contains(field))
                        return;
                    present.insert(field);
                    missing.append(field.toByteArray());
                });
                result.added = missing.size();
                fields.append(missing);
                return !missing.isEmpty();
            },
            options);
    if (done.status == transaction::Status::Done
        || (done.status == transaction::Status::Refused && result.added == 0))
        return result;
    result = failed(Status::FileProblem, done.detail);
    result.step = done.status;
    return result;
}

// Returns: 0, or the errno of the failed rename of `from` to `to` in the folder open as
// `folderFd`. A file that took the new name meanwhile stays.
int renameWithoutReplacing(int folderFd, const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(folderFd, from.constData(), folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // Some file systems cannot refuse for us: look first, then rename.
    if (error != EINVAL && error != ENOSYS)
        return error;
    if (posix::linkStatusAt(folderFd, to.constData()))
        return EEXIST;
    return ::renameat(folderFd, from.constData(), folderFd, to.constData()) == 0 ? 0 : errno;
}

// Why the folder entry `info` describes is no copy to read; nothing when it is one.
std::optional<Reason> refusal(const posix::Status &info)
{
    if (S_ISLNK(info.st_mode))
        return Reason::of(Reason::Kind::CopyIsLink);
    if (!S_ISREG(info.st_mode))
        return Reason::of(Reason::Kind::NotRegularFile);
    if (info.st_uid != ::geteuid())
        return Reason::of(Reason::Kind::CopyOfAnotherUser);
    if (info.st_nlink != 1)
        return Reason::counted(Reason::Kind::CopyHasOtherNames, qsizetype(info.st_nlink) - 1);
    return std::nullopt;
}

struct CopyBytes
{
    QByteArray bytes;
    std::optional<Reason> error;
};

// Reads the copy `name` in the folder open as `folderFd` by the rule of find(): looked at
// before it is opened, so that nothing else is ever opened, then opened without following a
// link and looked at again, since the name may have been given to something else meanwhile.
CopyBytes readCopy(int folderFd, const QByteArray &name)
{
    const std::optional<posix::Status> entry = posix::linkStatusAt(folderFd, name.constData());
    if (!entry)
        return {QByteArray(), Reason::system(errno)};
    if (auto reason = refusal(*entry))
        return {QByteArray(), std::move(reason)};
    const posix::FileDescriptor fd(::openat(
            folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isOpen())
        return {QByteArray(),
                errno == ELOOP ? Reason::of(Reason::Kind::CopyIsLink) : Reason::system(errno)};
    const std::optional<posix::Status> info = posix::fileStatus(fd.get());
    if (!info)
        return {QByteArray(), Reason::system(errno)};
    if (auto reason = refusal(*info))
        return {QByteArray(), std::move(reason)};
    QByteArray bytes = posix::readToEnd(fd.get(), qsizetype(info->st_size));
    if (bytes.isNull())
        return {QByteArray(), Reason::system(errno)};
    return {std::move(bytes), std::nullopt};
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

Found find(const QString &path)
{
    Found found;
    if (path.isEmpty())
        return found;
    const target::Target file = target::resolve(path);
    const QFileInfo info(file.ok() ? file.path : path);
    const QList<QRegularExpression> patterns = copyPatterns(info.fileName());
    const QString folder = info.absolutePath();
    DIR *entries = patterns.isEmpty() ? nullptr : ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return found;
    const int folderFd = ::dirfd(entries);
    QStringList names;
    QHash<QString, Reason> reasons;
    while (const dirent *entry = ::readdir(entries)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!matchesAny(patterns, name))
            continue;
        const std::optional<posix::Status> status = posix::linkStatusAt(folderFd, entry->d_name);
        if (!status)
            continue; // gone meanwhile
        names.append(name);
        if (const std::optional<Reason> reason = refusal(*status))
            reasons.insert(name, *reason);
    }
    ::closedir(entries);
    names.sort();
    const QDir dir(folder);
    for (const QString &name : std::as_const(names)) {
        if (const auto reason = reasons.constFind(name); reason != reasons.cend())
            found.passedOver.append(PassedOver {dir.filePath(name), *reason});
        else
            found.copies.append(dir.filePath(name));
    }
    return found;
}

Result merge(const QString &path, const QString &copyPath, const StoreOptions &options)
{
    const QFileInfo copyInfo(copyPath);
    const posix::FileDescriptor folder(
            ::open(QFile::encodeName(copyInfo.absolutePath()).constData(),
                   O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen())
        return failed(Status::CopyUnreadable, Reason::system(errno));
    const QByteArray copyName = QFile::encodeName(copyInfo.fileName());
    const CopyBytes copy = readCopy(folder.get(), copyName);
    if (copy.error)
        return failed(Status::CopyUnreadable, *copy.error);
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
                Reason::counted(Reason::Kind::Line, fieldreader::lineAt(copy.bytes, firstDropped)));

    Result result = addFromCopy(path, copy.bytes, options);
    if (result.status != Status::Merged)
        return result;
    // Never over another file: the name is taken only when it is free.
    const QString renamed = mergedName(copyPath);
    if (const int error = renameWithoutReplacing(folder.get(), copyName,
                                                 QFile::encodeName(QFileInfo(renamed).fileName()));
        error != 0) {
        result.status = Status::RenameFailed;
        result.detail = Reason::system(error);
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

} // namespace conflictcopy
