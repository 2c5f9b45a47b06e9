#pragma once

// Taking the events of a calendar file (.ics) into the schedule file as memos, beside the
// memos already there: the events are read (icalendar/icalendar.h), sorted out against the file
// (plan) and added in the store's one locked step (store/transaction.h).

#include "icalendar/icalendar.h"
#include "store/cp932.h"
#include "store/dirs.h"
#include "store/storeoptions.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace icsimport {

struct Plan
{
    QList<QByteArray> records; // the new records as the file keeps them: CP932, CR LF
    qsizetype present = 0;     // memos whose date and text the file (or an earlier memo) has
    QList<icalendar::LeftOut> leftOut; // memos the file cannot hold, with the reason
    // Characters of the new records that the file keeps in another spelling, each once.
    QList<cp932::Respelling> respelled;
};

// Sorts `memos` out against `fields`, the schedule file's fields as its CP932 bytes: a memo
// whose date and text a record already has (line breaks, the alarm flag and blanks around the
// text aside, and the text as the file would read it back: 〜 as ～) is present; one with a
// quotation mark (the file has no way to escape it) or with a character CP932 cannot hold is
// left out, never changed; every other memo becomes a record, its respelled characters named.
Plan plan(const QList<icalendar::Memo> &memos, const QList<QByteArray> &fields);

// How an add of an import ended.
struct AddResult
{
    // Written, NotSet or why the file could not be changed, as for an add of one memo.
    dirs::AddStatus status = dirs::AddStatus::Written;
    Reason detail;
    qsizetype added = 0;   // records written; 0 leaves the file untouched
    qsizetype present = 0; // memos the file already had
};

// Adds `memos` to the file at `path` in one locked step, sorted out against its records as
// they are once the lock is held: every line of the file stays, the new records join them.
AddResult addMemos(const QString &path, const QList<icalendar::Memo> &memos,
                   const StoreOptions &options = {});

// The fields of a schedule file's bytes, as the locked step hands them to its change.
QList<QByteArray> fieldsOf(const QByteArray &bytes);

} // namespace icsimport
