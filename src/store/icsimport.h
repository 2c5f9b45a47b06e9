#pragma once

// Taking the events of a calendar file (.ics) into the schedule file as memos, beside the
// memos already there: the events are read (store/icalendar.h), sorted out against the file
// (plan) and added in the store's one locked step (store/transaction.h).

#include "store/dirs.h"
#include "store/icalendar.h"
#include "store/storeoptions.h"

#include <QByteArray>
#include <QList>
#include <QString>

class Platform;

namespace icsimport {

// The days the calendar shows; events outside them are left out.
inline constexpr int firstYear = 1980;
inline constexpr int lastYear = 2069;

struct Plan
{
    QList<QByteArray> records; // the new records as the file keeps them: CP932, CR LF
    qsizetype present = 0;     // memos whose date and text the file (or an earlier memo) has
    QList<icalendar::LeftOut> leftOut; // memos the file cannot hold, with the reason
};

// Sorts `memos` out against `fields`, the schedule file's fields as its CP932 bytes: a memo
// whose date and text a record already has (line breaks, the alarm flag and blanks around the
// text aside) is present; one with a quotation mark (the file has no way to escape it) or with
// a character CP932 cannot hold is left out, never changed; every other memo becomes a record.
Plan plan(const QList<icalendar::Memo> &memos, const QList<QByteArray> &fields);

struct AddResult
{
    // Written, NotSet or why the file could not be changed, as for an add of one memo.
    dirs::AddStatus status = dirs::AddStatus::Written;
    QString detail;
    qsizetype added = 0;   // records written; 0 leaves the file untouched
    qsizetype present = 0; // memos the file already had
};

// Adds `memos` to the file at `path` in one locked step, sorted out against its records as
// they are once the lock is held: every line of the file stays, the new records join them.
AddResult addMemos(const QString &path, const QList<icalendar::Memo> &memos,
                   const StoreOptions &options = {});

// The command as the user sees it: asks for the calendar file through the open dialog of
// `platform`, reads it, tells what will be added, what is there already and what is left out
// and why, and adds only when the user agrees. Returns: true when the schedule file was
// written, so that the month is redrawn.
bool importSchedules(Platform &platform, const StoreOptions &options = {});

} // namespace icsimport
