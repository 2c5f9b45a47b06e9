#include "store/savefile.h"

#include "store/faultinjector.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace savefile {

namespace {

// Bytes handed to one write call.
constexpr qsizetype blockSize = 64 * 1024;

// The new file's name: ".<name>" + this + six characters of `randomCharacters`.
constexpr char saveMark[] = ".rekova-save-";
constexpr char randomCharacters[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int randomLength = 6;
constexpr int namesToTry = 100;

Result failed(const Reason &reason)
{
    return Result {false, reason, false};
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

// Whether the file at `target` is still the version `expected` of it, holding `bytes`. A link
// that has appeared at the name is not followed: it is another file.
bool stillAsRead(const QByteArray &target, const Identity &expected, QByteArrayView bytes)
{
    const posix::FileDescriptor fd(
            ::open(target.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen())
        return errno == ENOENT && !expected.exists;
    const std::optional<posix::Status> info = posix::fileStatus(fd.get());
    if (!info || identityOf(info) != expected)
        return false;
    if (!S_ISREG(info->st_mode))
        return true; // refused by open() before anything was written
    if (qsizetype(info->st_size) != bytes.size())
        return false;
    // Compared block by block: a second copy of a large file would double the add's memory.
    QByteArray block(blockSize, Qt::Uninitialized);
    qsizetype compared = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), block.data(), size_t(block.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return compared == bytes.size();
        if (compared + n > bytes.size()
            || QByteArrayView(block.constData(), n) != bytes.sliced(compared, n))
            return false;
        compared += n;
    }
}

// Something other than a regular file at the path is never replaced: a folder would make the
// save fail anyway, and a FIFO or device is nothing this program wrote.
std::optional<Reason> refuseSpecialFile(const posix::Status &info)
{
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return Reason::system(EISDIR);
    return Reason::of(Reason::Kind::NotRegularFile);
}

// Makes the rename itself survive a power cut; a failure here loses nothing, so it is not
// reported.
void syncFolder(const QByteArray &folder)
{
    const posix::FileDescriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.isOpen())
        ::fsync(fd.get());
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

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The new file's name for the file `name`, without its random end. A long name is cut, at a
// character, so that the new file's name stays within the system's limit of 255 bytes.
QByteArray saveStem(const QByteArray &name)
{
    constexpr qsizetype longestName = 255 - 1 - qsizetype(sizeof saveMark - 1) - randomLength;
    qsizetype length = qMin(name.size(), longestName);
    while (length < name.size() && length > 0 && (uchar(name[length]) & 0xC0) == 0x80)
        --length; // not within a UTF-8 character
    return '.' + name.left(length) + saveMark;
}

// Whether `entry` is a name that save() makes for the file `name`.
bool isSaveName(const QByteArray &entry, const QByteArray &name)
{
    const QByteArray stem = saveStem(name);
    if (entry.size() != stem.size() + randomLength || !entry.startsWith(stem))
        return false;
    const auto isRandomCharacter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    };
    return std::all_of(entry.begin() + stem.size(), entry.end(), isRandomCharacter);
}

// Removes the new files that killed saves of `target` left. The caller holds the lock, so no
// save of this file is under way; only this user's own files are removed.
void removeLeftovers(const QByteArray &target)
{
    const QByteArray folder = folderOf(target);
    const QByteArray name = fileNameOf(target);
    DIR *entries = ::opendir(folder.constData());
    if (!entries)
        return;
    const int folderFd = ::dirfd(entries);
    while (const dirent *entry = ::readdir(entries)) {
        if (!isSaveName(QByteArray(entry->d_name), name))
            continue;
        const std::optional<posix::Status> info = posix::linkStatusAt(folderFd, entry->d_name);
        if (info && S_ISREG(info->st_mode) && info->st_uid == ::geteuid())
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(entries);
}

QByteArray freshName(const QByteArray &target)
{
    QByteArray name = folderOf(target) + '/' + saveStem(fileNameOf(target));
    for (int k = 0; k < randomLength; ++k)
        name += randomCharacters[QRandomGenerator::global()->bounded(
                int(sizeof randomCharacters - 1))];
    return name;
}

} // namespace

Identity identityOf(const std::optional<posix::Status> &status)
{
    if (!status)
        return Identity {};
    const auto ns = [](const timespec &t) { return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    return Identity {true,
                     status->st_dev,
                     status->st_ino,
                     status->st_size,
                     ns(status->st_ctim),
                     ns(status->st_mtim)};
}

SaveFile::SaveFile(const QString &targetPath, const StoreOptions &options)
    : m_target(QFile::encodeName(targetPath)), m_options(options)
{ }

SaveFile::~SaveFile()
{
    m_fd.reset();
    if (!m_name.isEmpty() && !m_committed)
        ::unlink(m_name.constData());
}

Result SaveFile::open()
{
    ignoreFileSizeSignal();
    const std::optional<posix::Status> old = posix::fileStatus(m_target);
    m_exists = old.has_value();
    if (old) {
        if (const auto reason = refuseSpecialFile(*old))
            return failed(*reason);
        // A file the user made read-only stays as it is (root may still write it).
        if (::faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0)
            return failed(Reason::system(errno));
    }
    removeLeftovers(m_target);
    if (injectedFailure(m_options.faults, SaveStep::Open))
        return failed(Reason::system(EIO));
    // Nobody else may read the memos before the old file's permissions are in place.
    const mode_t mode = m_exists ? 0600 : 0666;
    QByteArray name;
    for (int tries = 0; tries < namesToTry && !m_fd.isOpen(); ++tries) {
        name = freshName(m_target);
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              mode);
        if (fd < 0 && errno != EEXIST)
            return failed(Reason::system(errno));
        m_fd = posix::FileDescriptor(fd);
    }
    if (!m_fd.isOpen())
        return failed(Reason::named(Reason::Kind::SaveNameInTheWay, QFile::decodeName(name)));
    m_name = name;

    if (old) {
        // Only root can give the file back to its owner, but any member of the file's group may
        // keep the group: a file shared through a group stays readable by the others.
        const uid_t owner = ::geteuid() == 0 ? old->st_uid : uid_t(-1);
        [[maybe_unused]] const int owned = ::fchown(m_fd.get(), owner, old->st_gid);
        if (::fchmod(m_fd.get(), old->st_mode & 07777) != 0)
            return failed(Reason::system(errno));
        copyAccessList(m_target, m_fd.get());
    }
    m_buffer.reserve(blockSize);
    return Result {true, Reason(), false};
}

bool SaveFile::write(QByteArrayView bytes)
{
    while (!m_writeError && !bytes.isEmpty()) {
        const qsizetype room = blockSize - m_buffer.size();
        m_buffer.append(bytes.first(qMin(room, bytes.size())));
        bytes = bytes.sliced(qMin(room, bytes.size()));
        if (m_buffer.size() == blockSize)
            flushBuffer();
    }
    return !m_writeError;
}

bool SaveFile::flushBuffer()
{
    for (qsizetype offset = 0; !m_writeError && offset < m_buffer.size();) {
        if (injectedFailure(m_options.faults, SaveStep::Write)) {
            m_writeError = Reason::system(ENOSPC);
            break;
        }
        const ssize_t written = ::write(m_fd.get(), m_buffer.constData() + offset,
                                        size_t(m_buffer.size() - offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            m_writeError = Reason::system(errno);
        else if (written == 0)
            m_writeError = Reason::of(Reason::Kind::WriteInterrupted);
        else
            offset += written;
    }
    m_buffer.clear();
    return !m_writeError;
}

Result SaveFile::commit(const std::optional<Identity> &expected, QByteArrayView expectedBytes)
{
    if (!m_writeError && !m_buffer.isEmpty())
        flushBuffer();
    if (m_writeError)
        return failed(*m_writeError);
    m_buffer = QByteArray();
    if (injectedFailure(m_options.faults, SaveStep::Flush))
        return failed(Reason::system(ENOSPC));
    if (::fdatasync(m_fd.get()) != 0)
        return failed(Reason::system(errno));

    if (injectedFailure(m_options.faults, SaveStep::Commit))
        return failed(Reason::system(EIO));
    // Another program (a sync tool, say) may have put its own version in the file's place
    // since it was read: the rename would throw that away unseen.
    if (expected && !stillAsRead(m_target, *expected, expectedBytes))
        return Result {false, Reason::of(Reason::Kind::FileKeptBeingReplaced), true};
    if (::rename(m_name.constData(), m_target.constData()) != 0)
        return failed(Reason::system(errno));
    m_committed = true;
    syncFolder(folderOf(m_target));
    return Result {true, Reason(), false};
}

QByteArray SaveFile::readBack() const
{
    const std::optional<posix::Status> info
            = m_fd.isOpen() ? posix::fileStatus(m_fd.get()) : std::nullopt;
    if (!info)
        return QByteArray();
    QByteArray bytes(qsizetype(info->st_size), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::pread(m_fd.get(), bytes.data() + filled, size_t(bytes.size() - filled),
                                  off_t(filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return bytes;
}

Result save(const QString &targetPath, const QByteArray &bytes, const StoreOptions &options)
{
    SaveFile file(targetPath, options);
    if (Result opened = file.open(); !opened.ok)
        return opened;
    file.write(bytes);
    return file.commit();
}

} // namespace savefile
