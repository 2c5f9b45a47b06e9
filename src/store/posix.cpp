#include "store/posix.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace posix {

namespace {

// The status `call` fills, or nullopt when it fails.
template<typename Call> std::optional<Status> statusFrom(Call call)
{
    Status info {};
    if (call(&info) != 0)
        return std::nullopt;
    return info;
}

} // namespace

std::optional<Status> fileStatus(const QByteArray &path)
{
    return statusFrom([&](Status *info) { return ::stat(path.constData(), info); });
}

std::optional<Status> linkStatus(const QByteArray &path)
{
    return statusFrom([&](Status *info) { return ::lstat(path.constData(), info); });
}

std::optional<Status> fileStatus(int fd)
{
    return statusFrom([&](Status *info) { return ::fstat(fd, info); });
}

std::optional<Status> linkStatusAt(int folderFd, const char *name)
{
    return statusFrom(
            [&](Status *info) { return ::fstatat(folderFd, name, info, AT_SYMLINK_NOFOLLOW); });
}

bool sameFile(const std::optional<Status> &a, const std::optional<Status> &b)
{
    return a && b && a->st_dev == b->st_dev && a->st_ino == b->st_ino;
}

QByteArray readToEnd(int fd, qsizetype expectedSize)
{
    // Read straight into the buffer, with room for the read that finds the end.
    QByteArray bytes(expectedSize + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(filled + qMax<qsizetype>(filled, 1 << 16)); // the file grew meanwhile
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return QByteArray();
        }
        filled += n;
    }
    bytes.truncate(filled);
    return bytes;
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

void FileDescriptor::reset()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace posix
