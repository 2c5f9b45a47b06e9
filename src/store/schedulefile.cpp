#include "store/schedulefile.h"

#include "common/messages.h"
#include "store/cp932.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace schedulefile {

namespace {

// Closes a file descriptor on every path.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The whole content of the open file `fd` of `size` bytes; a null array when a read failed.
QByteArray readWhole(int fd, off_t size);

Bytes unreadable(int errnoValue)
{
    Bytes contents;
    contents.status = Status::Unreadable;
    contents.error = messages::systemError(errnoValue);
    return contents;
}

} // namespace

bool isPresent(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat info
    { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

Bytes readBytes(const QString &path)
{
    Bytes contents;
    if (path.isEmpty())
        return contents;

    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below as not a regular file.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return contents;
        // A socket or the like is not a schedule file. Anything else that stops the open (a
        // folder that may not be entered, a loop of links, a path too long) hides the memos
        // and is reported.
        struct stat info
        { };
        if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
            return contents;
        return unreadable(error);
    }
    struct stat info
    { };
    if (::fstat(fd.get(), &info) != 0)
        return unreadable(errno);
    if (!S_ISREG(info.st_mode))
        return contents;

    // Too little memory for the file hides the memos like any other failed read, and the
    // program goes on.
    try {
        contents.bytes = readWhole(fd.get(), info.st_size);
    } catch (const std::bad_alloc &) {
        contents.status = Status::Unreadable;
        contents.error = messages::outOfMemory();
        return contents;
    }
    if (contents.bytes.isNull())
        return unreadable(errno);
    contents.status = Status::Present;
    return contents;
}

namespace {

QByteArray readWhole(int fd, off_t size)
{
    // Read straight into the buffer, with room for the read that finds the end.
    QByteArray bytes(qsizetype(size) + 1, Qt::Uninitialized);
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
            return QByteArray(); // errno says why
        }
        filled += n;
    }
    bytes.truncate(filled);
    return bytes;
}

} // namespace

Contents read(const QString &path)
{
    Bytes raw = readBytes(path);
    Contents contents;
    contents.status = raw.status;
    contents.error = std::move(raw.error);
    if (raw.status == Status::Present) {
        cp932::Decoded decoded = cp932::decode(raw.bytes);
        contents.text = std::move(decoded.text);
        contents.firstInvalidByte = decoded.firstInvalidByte;
    }
    return contents;
}

} // namespace schedulefile
