#pragma once

// Setting the schedule file aside: all memos are removed at once by renaming the file to its
// backup name, replacing an earlier backup. The rename replaces the backup in one step, so a
// failure leaves both files as they were, and a missing schedule file never costs the backup.

#include "common/reason.h"
#include "store/storeoptions.h"

#include <QString>

namespace setaside {

// Returns: the backup name of `path`: when its last three characters are "txt" in any case,
// they are replaced by "bak" (a.txt, a.TXT → a.bak); otherwise "bak" is appended (a.dat →
// a.datbak).
QString backupName(const QString &path);

enum class Status {
    Renamed, // the file now has the backup name (`backupPath`)
    NotSet,  // no schedule file is set
    NoFile,  // no regular file at the path; an earlier backup is kept untouched
    Locked,  // an add held the file's lock for the whole wait
    Failed,  // the rename did not happen (`detail`); both files are unchanged
};

struct Result
{
    Status status = Status::Renamed;
    QString backupPath;
    Reason detail;
};

// Sets the file at `path` aside without showing anything. A symbolic link at the path is
// followed: the file it points to is renamed beside itself, and the link stays for the next
// add to write through.
Result setAside(const QString &path, const StoreOptions &options = {});

} // namespace setaside
