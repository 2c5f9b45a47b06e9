#pragma once

// The schedule store: where the schedule file is (the one setting) and adding memos to it. Every
// operation reads the path afresh and opens, reads or writes and closes the file within one call.
//
// Adding never loses a memo: the new content is written to a new file beside the old one,
// flushed to disk and renamed over it in one step, under an advisory lock, so the old file stays
// exactly as it was until the new one is complete.
//
// The namespace dirs spans dirs.* and sort.* (the order of the file).

#include "common/reason.h"
#include "store/cp932.h"
#include "store/storeoptions.h"
#include "store/transaction.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class Platform;

namespace dirs {

// The stored path of the schedule file, or "" when none is set.
QString schedulePath(Platform &platform);

// Stores `path` as the schedule file. Returns: false, with the reason in `error`, when the
// setting could not be saved.
bool storeSchedulePath(Platform &platform, const QString &path, QString *error);

struct AddRequest
{
    int year = 0;
    int month = 0;
    int day = 0;
    QString memo;                  // the text of the memo box, exactly as typed
    bool alarm = false;            // the alarm box
    std::array<bool, 5> repeat {}; // the boxes "１年後も" … "５年後も"
    // The date's records as the memo box was loaded from them (none: not checked). When the
    // file's records of the date differ, nothing is written and the add returns DateChanged.
    std::optional<QStringList> seen = std::nullopt;
    // To keep both after DateChanged: only these records of the date are replaced (those the
    // box was loaded from); the others stay beside the new memo. None: all are replaced.
    std::optional<QStringList> replaceOnly = std::nullopt;
};

enum class AddStatus {
    Written,             // the file holds the new records
    EmptyMemo,           // nothing to add
    NotSet,              // no schedule file is set
    MemoHasQuote,        // a quotation mark cannot be stored in the file
    MemoNotEncodable,    // `detail` holds the first character CP932 cannot hold
    FileHasInvalidBytes, // the existing file is not valid CP932; it is left alone
    FileHasStrayText,    // text after a closing quotation mark would be lost; `detail` holds
                         // its line number; the file is left alone
    FileUnreadable,      // the existing file could not be read; `detail` holds the reason
    FileLocked,          // another add held the lock too long
    WriteFailed,         // `detail` holds the reason (another name of the file, too little
                         // memory, …); the old file is unchanged
    DateChanged,         // the date's records are not those `seen`; `current` holds them
    Cancelled,           // the user chose to add nothing after DateChanged
    Stopped,             // the user stopped it while it ran; the file is unchanged
};

struct AddResult
{
    AddStatus status = AddStatus::Written;
    // The repeat boxes as they must be shown afterwards. On 29 February the boxes for one, two,
    // three and five years come back cleared once the records were built (Written and
    // WriteFailed); every refusal before that returns the boxes as they were.
    std::array<bool, 5> repeat {};
    Reason detail;
    // When Written: the file's new bytes, so that the month is redrawn from what was written
    // without reading the file again.
    QByteArray written;
    // When DateChanged: the date's records in the file now, in file order.
    QStringList current;
    // Characters of the memo that the file holds in another form (〜 as ～): the user is told,
    // since the file does not hold what was typed.
    QList<cp932::Respelling> respelled;
};

// Adds the memo of `request` to the file at `path` without showing anything, checking in the
// order: empty memo, no path, quotation mark, characters CP932 cannot hold; then, holding the
// lock, the existing file. The date's old records are replaced, repeats are added, the lines
// are sorted and the whole file is replaced safely. A line break typed in the memo is stored
// as CR LF.
AddResult addRecords(const QString &path, const AddRequest &request,
                     const StoreOptions &options = {});

// How the shared locked step of store/transaction.h ended, as an add's status. A step that its
// change refused wrote nothing: WriteFailed here; a caller for whom that is no failure says so.
AddStatus statusOf(transaction::Status status);

} // namespace dirs
