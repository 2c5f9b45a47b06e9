#pragma once

// Several memos taken out of the schedule file and others put in, in one locked step
// (store/transaction.h) with the checks of an add: what a calendar sync brings from the server
// arrives as one change of the file, all of it or none.

#include "common/reason.h"
#include "store/storeoptions.h"
#include "store/transaction.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace batch {

enum class Status {
    Applied,             // the file holds the change
    Changed,             // a record to take out is no longer in the file; nothing was written
    NotSet,              // no schedule file is set
    MemoHasQuote,        // a record to put in holds a quotation mark; `detail` names the record
    MemoNotEncodable,    // `detail` holds the first character CP932 cannot hold
    NotARecord,          // a record to put in does not begin with a date key
    FileHasInvalidBytes, // the file is not valid CP932; it is left alone
    FileHasStrayText,    // text after a closing quotation mark on line `detail`; left alone
    FileUnreadable,      // `detail` says why
    FileLocked,          // another program held the file for the whole wait
    WriteFailed,         // `detail` says why; the file is unchanged
    Stopped,             // stopped from outside; the file is unchanged
};

struct Result
{
    Status status = Status::Applied;
    Reason detail;
    QByteArray written; // when Applied: the file's new bytes
    // How the locked step ended, for the message of a failure.
    transaction::Status step = transaction::Status::Done;
};

// Takes one record equal to each of `removed` out of the file at `path` and puts each of
// `added` in (decoded records "yyyymmddFmemo", line breaks CR LF), then sorts and saves the
// file as an add does. Nothing is written when a record to take out is missing.
Result apply(const QString &path, const QStringList &removed, const QStringList &added,
             const StoreOptions &options = {});

} // namespace batch
