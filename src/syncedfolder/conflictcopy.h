#pragma once

// Copies of the schedule file that sync tools leave beside it when two machines changed it
// while apart, and merging them back. For a file memo.txt:
//   memo.sync-conflict-20261207-101500-ABCDEF1.txt         (Syncthing)
//   memo (conflicted copy 2026-12-07 101500).txt           (Nextcloud, ownCloud)
//   memo (Name's conflicted copy 2026-12-07).txt           (Dropbox)
// A merged copy is renamed with ".merged" appended (".merged2" … when that name is taken), so
// that it is never offered again and never deleted.

#include "common/reason.h"
#include "store/storeoptions.h"
#include "store/transaction.h"

#include <QString>
#include <QStringList>

namespace conflictcopy {

// A name of a conflict copy's form that is not offered, and why.
struct PassedOver
{
    QString path;
    Reason reason;

    bool operator==(const PassedOver &) const = default;
};

struct Found
{
    QStringList copies;           // full paths, in name order
    QList<PassedOver> passedOver; // in name order
};

// Finds the conflict copies of the schedule file at `path` (a symbolic link at `path` is
// followed: the copies sit beside the file it names). Whoever may write into a synced folder
// can put anything there under a copy's name, so only a regular file of this user's with one
// name, reached without following a link, counts as a copy: a link could carry a private file
// of the user's into the memos, and from there to every machine of the folder.
Found find(const QString &path);

// Returns: the name a merged copy gets: `copyPath` with ".merged" appended, or ".merged2",
// ".merged3" … when that name is taken.
QString mergedName(const QString &copyPath);

enum class Status {
    Merged,              // the records were added and the copy renamed (`renamedTo`)
    CopyUnreadable,      // the copy could not be read (`detail`); nothing changed
    CopyHasInvalidBytes, // the copy is not valid CP932; nothing changed
    CopyHasStrayText,    // text after a closing quotation mark on line `detail`; nothing changed
    FileProblem,         // the schedule file could not be read or written (`detail`)
    RenameFailed,        // the records were added, but the copy keeps its name (`detail`)
};

struct Result
{
    Status status = Status::Merged;
    qsizetype added = 0; // records of the copy that the file lacked
    QString renamedTo;
    Reason detail;
    // When FileProblem: how the locked step on the schedule file ended.
    transaction::Status step = transaction::Status::Done;
};

// Adds every record (and hand-written line) of the copy at `copyPath` that the schedule file
// at `path` lacks (the copy is opened by the rule of find(), whatever came to its name since), in
// one locked rewrite of the file, and then renames the copy. Records of one date are kept side by
// side: nothing of the file is replaced. Blank lines are not copied.
Result merge(const QString &path, const QString &copyPath, const StoreOptions &options = {});

} // namespace conflictcopy
