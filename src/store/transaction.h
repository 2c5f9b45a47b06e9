#pragma once

// The one locked step through which every change to the schedule file goes: the path is
// resolved (store/target.h: a link in a shared folder that another user put there is refused),
// the file's lock is taken (store/filelock.h), the file is read, its fields are handed to the
// caller's change, and the result is sorted and saved atomically (store/savefile.h). Another
// process never sees a half-written file, and an operation that fails leaves the file as it
// was.
//
// Fields are the schedule file's undecoded CP932 bytes, split as the field reader splits them
// (store/fieldreader.h): records "yyyymmddFmemo" and lines without a date key, in file order,
// without their quotation marks. Each is written back as one line, "\"" field "\"\r\n" (a
// field holding a quotation mark without the marks), in the order of the exchange sort on the
// first eight characters (store/sort.h).

#include "common/reason.h"
#include "store/storeoptions.h"
#include "store/target.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace filelock {
class ScheduleLock;
}

namespace transaction {

enum class Status {
    Done,                // the change is in the file; for Access::lock(), the lock is held
    Refused,             // the change declined; nothing was written
    FileHasInvalidBytes, // the file is not valid CP932; it is left alone
    FileHasStrayText,    // text after a closing quotation mark would be lost; `detail` holds
                         // its line number; the file is left alone
    FileUnreadable,      // the path cannot be followed or the file cannot be read; see `detail`
    FileLocked,          // another operation held the lock for the whole wait
    WriteFailed,         // `detail` says why; the file is unchanged
    Stopped,             // the user stopped it (StoreOptions::stop); the file is unchanged
};

struct Result
{
    Status status = Status::Done;
    Reason detail;
    // When Done: the file's new bytes, so that a caller can show them without reading again, and
    // whether there was a file before and, when StoreOptions::recorded is set, its bytes then.
    QByteArray written;
    bool existed = true;
    QByteArray before;
};

// The file behind a schedule path, for one operation that holds its lock. The lock is released
// when the Access is destroyed.
class Access
{
public:
    // Resolves `path`; nothing is opened yet.
    explicit Access(const QString &path);
    ~Access();
    Access(const Access &) = delete;
    Access &operator=(const Access &) = delete;

    // The file really read and written (a link's final target); empty when the path could not
    // be followed.
    const QString &target() const { return m_target.path; }
    // Done, or FileUnreadable with the reason when the path could not be followed.
    Result resolution() const;
    // Waits up to `wait` for the lock. Returns: Done when it is held; else the resolution's
    // failure, FileLocked, or WriteFailed when the lock file cannot be used.
    Result lock(std::chrono::milliseconds wait, const std::atomic_bool *stop = nullptr);

private:
    target::Target m_target;
    std::unique_ptr<filelock::ScheduleLock> m_lock;
};

// The fields of the file. Those read from the file share its bytes, which live only while the
// change runs: keep a copy made with QByteArray(field.constData(), field.size()), never the
// field itself. Fields the change adds are its own CP932 bytes.
using Fields = QList<QByteArray>;

// Edits `fields` in place. Returns: false to refuse; nothing is written then. It may be called
// again with the fields of a fresh read when another program replaced the file meanwhile, so
// it must depend on nothing but the fields it is given (and what it captured beforehand).
using Change = std::function<bool(Fields &fields)>;

// Applies `change` to the schedule file at `path` (a missing file has no fields and is
// created). Running out of memory fails like a save that failed: nothing is changed.
Result apply(const QString &path, const Change &change, const StoreOptions &options = {});

// The file's whole content after a change that keeps its bytes as they are wherever it does not
// change them (no sorting, no quotation marks added), from its bytes as read; nothing to refuse.
// It may be called again, as a Change may.
using ByteChange = std::function<std::optional<QByteArray>(const QByteArray &bytes)>;

// Applies `change` to the file at `path` in the same locked step, with the same checks.
Result applyToBytes(const QString &path, const ByteChange &change,
                    const StoreOptions &options = {});

} // namespace transaction
