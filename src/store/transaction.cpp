#include "store/transaction.h"

#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/filelock.h"
#include "store/posix.h"
#include "store/savefile.h"
#include "store/sort.h"
#include "store/storestep.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <new>

namespace transaction {

namespace {

// How often an add starts again on a file that another program replaced while it wrote.
constexpr int attempts = 3;

Result failed(Status status, const Reason &detail = Reason())
{
    Result result;
    result.status = status;
    result.detail = detail;
    return result;
}

// The schedule file as one read found it.
struct Read
{
    QByteArray bytes;
    savefile::Identity identity;
    nlink_t links = 0;
    int error = 0; // errno when it could not be read
};

// Reads the whole file at `target`, which resolve() has found; a link that has appeared there
// since is not followed. A missing file is empty; a FIFO or device is not read and the save
// refuses to replace it.
Read readFile(const QString &target)
{
    Read read;
    const QByteArray name = QFile::encodeName(target);
    const posix::FileDescriptor fd(
            ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) {
        if (errno != ENOENT && errno != ENOTDIR)
            read.error = errno;
        return read;
    }
    const std::optional<posix::Status> info = posix::fileStatus(fd.get());
    if (!info) {
        read.error = errno;
        return read;
    }
    read.identity = savefile::identityOf(info);
    if (!S_ISREG(info->st_mode)) {
        read.links = 1;
        return read;
    }
    read.links = info->st_nlink;
    read.bytes = posix::readToEnd(fd.get(), qsizetype(info->st_size));
    if (read.bytes.isNull())
        read.error = errno;
    return read;
}

// The fields of `bytes`, sharing its memory; or the position of the first text after a
// closing quotation mark, which a rewrite would lose.
qsizetype splitFields(const QByteArray &bytes, Fields &fields)
{
    qsizetype count = 0;
    qsizetype firstDropped = -1;
    fieldreader::forEachField(
            QByteArrayView(bytes), [&](QByteArrayView) { ++count; },
            [&](qsizetype position) {
                if (firstDropped < 0)
                    firstDropped = position;
            });
    if (firstDropped >= 0)
        return firstDropped;
    fields.reserve(count);
    fieldreader::forEachField(QByteArrayView(bytes), [&](QByteArrayView field) {
        fields.append(QByteArray::fromRawData(field.data(), field.size()));
    });
    return -1;
}

// One line of the file: the field between quotation marks, or as it is when it holds one
// (between marks it would end at its own mark when read again).
bool writeLine(savefile::SaveFile &file, const QByteArray &field)
{
    const bool quoted = !field.contains('"');
    return (!quoted || file.write("\"")) && file.write(field)
            && file.write(quoted ? QByteArrayView("\"\r\n") : QByteArrayView("\r\n"));
}

enum class Attempt { Written, Replaced, Stopped };

// Writes a step's new content into `file`, which it opens, from the file's bytes as read and
// their fields. Returns: false, with `result` saying why, to write nothing.
using Edit = std::function<bool(const QByteArray &bytes, Fields &fields, savefile::SaveFile &file,
                                Result &result)>;

// One read, edit and save. `result` holds the outcome unless the file was replaced.
Attempt attempt(const QString &target, const Edit &edit, savefile::SaveFile &file, Result &result,
                const StoreOptions &options)
{
    const auto stopped = [&] {
        if (!options.stopped())
            return false;
        result = failed(Status::Stopped);
        return true;
    };
    Read read = readFile(target);
    if (stopped())
        return Attempt::Stopped;
    if (read.error != 0) {
        result = failed(Status::FileUnreadable, Reason::system(read.error));
        return Attempt::Stopped;
    }
    // Replacing one name of a file with several would leave the others with the old memos.
    if (read.links > 1) {
        result = failed(
                Status::WriteFailed,
                Reason::counted(Reason::Kind::FileHasOtherNames, qsizetype(read.links) - 1));
        return Attempt::Stopped;
    }
    // Rewriting would turn the bytes it cannot read into something else for good.
    if (cp932::firstInvalidByte(read.bytes) >= 0) {
        result = failed(Status::FileHasInvalidBytes);
        return Attempt::Stopped;
    }
    Fields fields;
    if (const qsizetype dropped = splitFields(read.bytes, fields); dropped >= 0) {
        result = failed(
                Status::FileHasStrayText,
                Reason::counted(Reason::Kind::Line, fieldreader::lineAt(read.bytes, dropped)));
        return Attempt::Stopped;
    }
    if (stopped())
        return Attempt::Stopped;
    if (!edit(read.bytes, fields, file, result))
        return Attempt::Stopped;
    // The last moment to stop: from here on the new content takes the file's place.
    if (stopped())
        return Attempt::Stopped;
    const savefile::Result saved = file.commit(read.identity, read.bytes);
    if (saved.replaced)
        return Attempt::Replaced;
    if (!saved.ok) {
        result = failed(Status::WriteFailed, saved.error);
        return Attempt::Stopped;
    }
    result = Result {};
    result.existed = read.identity.exists;
    result.before = std::move(read.bytes);
    return Attempt::Written;
}

bool opened(savefile::SaveFile &file, Result &result)
{
    if (const savefile::Result open = file.open(); !open.ok) {
        result = failed(Status::WriteFailed, open.error);
        return false;
    }
    return true;
}

// The locked step around `edit`, tried again on a file that another program replaced.
Result run(const QString &path, const Edit &edit, const StoreOptions &options)
{
    try {
        Access access(path);
        // Held from reading the file until its new content is in place.
        if (const Result locked = access.lock(options.lockWait, options.stop);
            locked.status != Status::Done)
            return options.stopped() ? failed(Status::Stopped) : locked;
        for (int k = 0; k < attempts; ++k) {
            savefile::SaveFile file(access.target(), options);
            Result result;
            // What was read is gone when the new content is read back.
            const Attempt outcome = attempt(access.target(), edit, file, result, options);
            if (outcome == Attempt::Replaced)
                continue;
            if (outcome == Attempt::Written) {
                // The old bytes are kept only for a history that takes the step back.
                if (!options.recorded)
                    result.before = QByteArray();
                result.written = file.readBack();
                if (options.recorded) {
                    StoreStep step;
                    step.target = access.target();
                    step.existed = result.existed;
                    step.before = result.before;
                    step.after = result.written;
                    options.recorded(step);
                }
            }
            return result;
        }
        return failed(Status::WriteFailed, Reason::of(Reason::Kind::FileKeptBeingReplaced));
    } catch (const std::bad_alloc &) {
        return failed(Status::WriteFailed, Reason::of(Reason::Kind::OutOfMemory));
    }
}

} // namespace

Access::Access(const QString &path) : m_target(target::resolve(path)) { }

Access::~Access() = default;

Result Access::resolution() const
{
    if (!m_target.refusedLink.isEmpty())
        return failed(Status::FileUnreadable,
                      Reason::named(Reason::Kind::LinkNotFollowed, m_target.refusedLink));
    if (!m_target.ok())
        return failed(Status::FileUnreadable, Reason::system(m_target.error));
    return Result {};
}

Result Access::lock(std::chrono::milliseconds wait, const std::atomic_bool *stop)
{
    if (const Result resolved = resolution(); resolved.status != Status::Done)
        return resolved;
    m_lock = std::make_unique<filelock::ScheduleLock>(m_target.path);
    switch (m_lock->acquire(wait, stop)) {
    case filelock::ScheduleLock::Status::Locked:
        return Result {};
    case filelock::ScheduleLock::Status::Busy:
        return failed(Status::FileLocked);
    case filelock::ScheduleLock::Status::Unusable:
        break;
    }
    return failed(Status::WriteFailed, m_lock->error());
}

Result apply(const QString &path, const Change &change, const StoreOptions &options)
{
    return run(
            path,
            [&](const QByteArray &, Fields &fields, savefile::SaveFile &file, Result &result) {
                if (!change(fields)) {
                    result = failed(Status::Refused);
                    return false;
                }
                const std::vector<qsizetype> order = dirs::sortedOrder(fields);
                if (!opened(file, result))
                    return false;
                for (const qsizetype k : order) {
                    if (!writeLine(file, fields[k]))
                        break; // commit() reports it
                }
                return true;
            },
            options);
}

Result applyToBytes(const QString &path, const ByteChange &change, const StoreOptions &options)
{
    return run(
            path,
            [&](const QByteArray &bytes, Fields &, savefile::SaveFile &file, Result &result) {
                const std::optional<QByteArray> changed = change(bytes);
                if (!changed) {
                    result = failed(Status::Refused);
                    return false;
                }
                if (!opened(file, result))
                    return false;
                file.write(*changed); // commit() reports a failure
                return true;
            },
            options);
}

} // namespace transaction
