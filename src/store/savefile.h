#pragma once

// Replacing a file's whole content safely: the bytes go to a new file beside it, named
// ".<name>.rekova-save-" and six random characters (a fresh name for each save, of a form only
// this program makes; a long name is cut to fit), are synced to disk and then renamed over the old
// file in one step. Until that rename the old file is exactly as it was; a failure at any step
// leaves it so and removes the new file, and the next save removes what a killed add of this user
// left behind. The new file gets the old one's permissions (and, for root, its owner) before it
// takes its place.
//
// The caller holds the file's lock (store/filelock.h) and passes the file that is really
// written, a symbolic link already followed (store/target.h).

#include "common/reason.h"
#include "store/posix.h"
#include "store/storeoptions.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace savefile {

struct Result
{
    bool ok = false;
    Reason error;          // why, when not ok
    bool replaced = false; // not ok because the file at the name was no longer the one read
};

// Which file a name stood for, and which version of it. A file replaced by rename usually gets
// another inode, but not always: a file system may give a freed inode number straight to the
// next new file, so a sync tool that replaces the file twice can leave one with the inode that
// was read. Its size and times, to the nanosecond, tell the versions apart.
struct Identity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 changedNs = 0;  // the status change time (ctime), which no program can set
    qint64 modifiedNs = 0; // the modification time

    bool operator==(const Identity &) const = default;
};

// Returns: the identity a status describes; none (exists false) for a missing status.
Identity identityOf(const std::optional<posix::Status> &status);

// The file that replaces the one at `targetPath`, written in pieces.
class SaveFile
{
public:
    SaveFile(const QString &targetPath, const StoreOptions &options);
    ~SaveFile();
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // Checks the old file and creates the new one beside it.
    Result open();
    // Appends `bytes`. Returns: false when writing failed; commit() then reports why.
    bool write(QByteArrayView bytes);
    // Syncs the new file and renames it over the old one, provided the name still stands for
    // `expected` (the file that was read), when given, and still holds `expectedBytes`: the
    // clock that stamps the times moves in steps of some milliseconds, so a file written again
    // within one step keeps them.
    Result commit(const std::optional<Identity> &expected = std::nullopt,
                  QByteArrayView expectedBytes = {});
    // The content now at the target, read back from the new file after commit().
    QByteArray readBack() const;

private:
    bool flushBuffer();

    QByteArray m_target;
    StoreOptions m_options;
    QByteArray m_name;
    posix::FileDescriptor m_fd;
    bool m_exists = false;
    bool m_committed = false;
    QByteArray m_buffer;
    std::optional<Reason> m_writeError;
};

// Writes `bytes` as the new content of `targetPath`. Of `options`, only the faults apply.
Result save(const QString &targetPath, const QByteArray &bytes, const StoreOptions &options = {});

} // namespace savefile
