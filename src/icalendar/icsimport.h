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

class Platform;

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

// The command as the user sees it: asks for the calendar file through the open dialog of
// `platform`, reads it, tells what will be added, what is there already and what is left out
// and why, and adds only when the user agrees; reading the calendar and the add run through
// `run`, as an add of a memo does. Returns: true when the schedule file was written, so that the
// month is redrawn.
bool importSchedules(Platform &platform, const StoreOptions &options = {},
                     const dirs::Runner &run = {});

} // namespace icsimport
