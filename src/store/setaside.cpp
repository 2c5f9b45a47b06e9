#include "store/setaside.h"

#include "store/faultinjector.h"
#include "store/posix.h"
#include "store/schedulefile.h"
#include "store/storestep.h"
#include "store/transaction.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace setaside {

namespace {

Result finished(Status status, const QString &backupPath = QString(),
                const Reason &detail = Reason())
{
    return Result {status, backupPath, detail};
}

// Whether two paths are names of one file (hard links of each other). A symbolic link is a file
// of its own: rename() replaces it.
bool isSameFile(const QByteArray &first, const QByteArray &second)
{
    return posix::sameFile(posix::linkStatus(first), posix::linkStatus(second));
}

} // namespace

QString backupName(const QString &path)
{
    if (path.right(3).toUpper() == QStringLiteral("TXT"))
        return path.chopped(3) + QStringLiteral("bak");
    return path + QStringLiteral("bak");
}

Result setAside(const QString &path, const StoreOptions &options)
{
    if (path.isEmpty())
        return finished(Status::NotSet);
    // The file a symbolic link at the path points to is renamed beside itself.
    transaction::Access file(path);
    if (const transaction::Result resolved = file.resolution();
        resolved.status != transaction::Status::Done)
        return finished(Status::Failed, backupName(path), resolved.detail);
    // Checked before the lock, so that a missing folder reads as a missing file.
    if (!schedulefile::isPresent(file.target()))
        return finished(Status::NoFile);

    const transaction::Result locked = file.lock(options.lockWait);
    if (locked.status == transaction::Status::FileLocked)
        return finished(Status::Locked);
    if (locked.status != transaction::Status::Done)
        return finished(Status::Failed, backupName(file.target()), locked.detail);
    // Another program may have set it aside while this one waited.
    if (!schedulefile::isPresent(file.target()))
        return finished(Status::NoFile);

    const QString &source = file.target();
    const QString backup = backupName(source);
    if (injectedFailure(options.faults, SaveStep::Rename))
        return finished(Status::Failed, backup, Reason::system(EIO));
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(backup);
    // rename(2) replaces an existing backup in the same step; there is no moment without it.
    // Between two names of one file it does nothing, so the backup name alone is kept.
    const int done = isSameFile(from, to) ? ::unlink(from.constData())
                                          : std::rename(from.constData(), to.constData());
    if (done != 0)
        return finished(Status::Failed, backup, Reason::system(errno));
    if (options.recorded) {
        StoreStep step;
        step.kind = StoreStep::Kind::SetAside;
        step.target = source;
        step.backup = backup;
        step.backupIdentity = savefile::identityOf(posix::linkStatus(to));
        options.recorded(step);
    }
    return finished(Status::Renamed, backup);
}

} // namespace setaside
