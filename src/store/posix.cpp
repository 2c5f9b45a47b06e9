#include "store/posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
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

namespace {

// A file of megabytes read into fresh memory takes a page fault for every 4 KB it fills, which
// costs more than the read itself; where the system offers pages of 2 MB, asks for them. The
// request is only a hint: where it is refused, nothing changes.
void preferLargePages(char *data, qsizetype size)
{
    constexpr quintptr largePage = 2 * 1024 * 1024;
    const quintptr begin = (quintptr(data) + largePage - 1) & ~(largePage - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(largePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace

QByteArray readToEnd(int fd, qsizetype expectedSize)
{
    // Read straight into the buffer, with room for the read that finds the end.
    QByteArray bytes(expectedSize + 1, Qt::Uninitialized);
    preferLargePages(bytes.data(), bytes.size());
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
