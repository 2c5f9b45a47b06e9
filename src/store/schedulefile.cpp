#include "store/schedulefile.h"

#include "store/cp932.h"
#include "store/posix.h"
#include "store/target.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>

namespace schedulefile {

namespace {

Bytes unreadable(int errnoValue)
{
    Bytes contents;
    contents.status = Status::Unreadable;
    contents.error = Reason::system(errnoValue);
    return contents;
}

} // namespace

bool isPresent(const QString &path)
{
    if (path.isEmpty())
        return false;
    const std::optional<posix::Status> info = posix::fileStatus(QFile::encodeName(path));
    return info && S_ISREG(info->st_mode);
}

Bytes readBytes(const QString &path)
{
    Bytes contents;
    if (path.isEmpty())
        return contents;

    // Another user's link in a shared folder is not followed, as an add does not follow it, even
    // where the system would let it be read.
    if (const target::Target resolved = target::resolve(path); !resolved.refusedLink.isEmpty()) {
        contents.status = Status::Unreadable;
        contents.error = Reason::named(Reason::Kind::LinkNotFollowed, resolved.refusedLink);
        return contents;
    }
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below as not a regular file.
    const posix::FileDescriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return contents;
        // A socket or the like is not a schedule file. Anything else that stops the open (a
        // folder that may not be entered, a loop of links, a path too long) hides the memos
        // and is reported.
        if (const auto info = posix::fileStatus(name); info && !S_ISREG(info->st_mode))
            return contents;
        return unreadable(error);
    }
    const std::optional<posix::Status> info = posix::fileStatus(fd.get());
    if (!info)
        return unreadable(errno);
    if (!S_ISREG(info->st_mode))
        return contents;

    // Too little memory for the file hides the memos like any other failed read, and the
    // program goes on.
    try {
        contents.bytes = posix::readToEnd(fd.get(), qsizetype(info->st_size));
    } catch (const std::bad_alloc &) {
        contents.status = Status::Unreadable;
        contents.error = Reason::of(Reason::Kind::OutOfMemory);
        return contents;
    }
    if (contents.bytes.isNull())
        return unreadable(errno);
    contents.status = Status::Present;
    return contents;
}

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
