#include "store/savefile.h"

#include "common/messages.h"
#include "store/faultinjector.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace savefile {

namespace {

// Bytes handed to one write call.
constexpr qsizetype blockSize = 64 * 1024;

Result failed(const QString &reason)
{
    return Result {false, reason};
}

// Beyond a file size limit the system ends the process with SIGXFSZ: the window would vanish
// in the middle of an add. Ignored, the write fails with EFBIG and the user is told.
void ignoreFileSizeSignal()
{
    static const bool ignored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

// The new file while it is being written; removed again on every failure.
class NewFile
{
public:
    explicit NewFile(QByteArray name) : m_name(std::move(name)) { }
    ~NewFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
            ::unlink(m_name.constData());
    }
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    bool create(mode_t mode)
    {
        m_fd = ::open(m_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      mode);
        m_kept = m_fd < 0; // only a file made here is removed again
        return m_fd >= 0;
    }
    int fd() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }
    void keep() { m_kept = true; }
    const QByteArray &name() const { return m_name; }

private:
    QByteArray m_name;
    int m_fd = -1;
    bool m_kept = true;
};

// Something other than a regular file at the path is never replaced: a folder would make the
// save fail anyway, and a FIFO or device is nothing this program wrote.
std::optional<QString> refuseSpecialFile(const struct stat &info)
{
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return messages::systemError(EISDIR);
    return messages::notRegularFile();
}

// Makes the rename itself survive a power cut; a failure here loses nothing, so it is not
// reported.
void syncFolder(const QString &targetPath)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(targetPath).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// An access list (setfacl) that shares the old file with other users goes to the new one, as
// its mode and group do. Like the owner, it is kept where the system allows.
void copyAccessList(const QByteArray &from, int toFd)
{
    static constexpr char name[] = "system.posix_acl_access";
    QByteArray list(4096, Qt::Uninitialized);
    const ssize_t size = ::getxattr(from.constData(), name, list.data(), size_t(list.size()));
    if (size > 0) {
        [[maybe_unused]] const int copied
                = ::fsetxattr(toFd, name, list.constData(), size_t(size), 0);
    }
}

// The new file that save() writes beside `targetPath`.
QString saveFileFor(const QString &targetPath)
{
    return targetPath + QStringLiteral(".rekova-save");
}

} // namespace

Result save(const QString &targetPath, const QByteArray &bytes, const StoreOptions &options)
{
    ignoreFileSizeSignal();
    const QByteArray target = QFile::encodeName(targetPath);
    struct stat old
    { };
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (const auto reason = refuseSpecialFile(old))
            return failed(*reason);
        // A file the user made read-only stays as it is (root may still write it).
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            return failed(messages::systemError(errno));
    }

    NewFile file(QFile::encodeName(saveFileFor(targetPath)));
    // One left by an add that was killed before its rename; the caller holds the lock, so no
    // other add is writing it.
    ::unlink(file.name().constData());
    if (injectedFailure(options.faults, SaveStep::Open))
        return failed(messages::systemError(EIO));
    // Nobody else may read the memos before the old file's permissions are in place.
    if (!file.create(exists ? 0600 : 0666))
        return failed(messages::systemError(errno));

    for (qsizetype offset = 0; offset < bytes.size();) {
        if (injectedFailure(options.faults, SaveStep::Write))
            return failed(messages::systemError(ENOSPC));
        const ssize_t written = ::write(file.fd(), bytes.constData() + offset,
                                        size_t(qMin(blockSize, bytes.size() - offset)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return failed(messages::systemError(errno));
        if (written == 0)
            return failed(messages::writeInterrupted());
        offset += written;
    }

    if (exists) {
        // Only root can give the file back to its owner, but any member of the file's group may
        // keep the group: a file shared through a group stays readable by the others.
        const uid_t owner = ::geteuid() == 0 ? old.st_uid : uid_t(-1);
        [[maybe_unused]] const int owned = ::fchown(file.fd(), owner, old.st_gid);
        if (::fchmod(file.fd(), old.st_mode & 07777) != 0)
            return failed(messages::systemError(errno));
        copyAccessList(target, file.fd());
    }
    if (injectedFailure(options.faults, SaveStep::Flush))
        return failed(messages::systemError(ENOSPC));
    if (::fdatasync(file.fd()) != 0)
        return failed(messages::systemError(errno));
    if (!file.close())
        return failed(messages::systemError(errno));

    if (injectedFailure(options.faults, SaveStep::Commit))
        return failed(messages::systemError(EIO));
    if (::rename(file.name().constData(), target.constData()) != 0)
        return failed(messages::systemError(errno));
    file.keep();
    syncFolder(targetPath);
    return Result {true, QString()};
}

} // namespace savefile
