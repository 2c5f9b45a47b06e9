#pragma once

// Deleting memos one at a time: the records of one day, or the records picked out in the list of
// all memos. A delete is one locked step like an add (store/transaction.h), but it takes out
// only the deleted records' own bytes: every other record and line of the file stays byte for
// byte as it was, in its place.

#include "store/storeoptions.h"
#include "store/transaction.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace deletion {

enum class Status {
    Deleted,             // the records are gone from the file
    Changed,             // some record is no longer in the file (changed or deleted by another
                         // program); nothing was deleted
    NotSet,              // no schedule file is set
    FileHasInvalidBytes, // the file is not valid CP932; it is left alone
    FileHasStrayText,    // text after a closing quotation mark on line `detail`; left alone
    FileUnreadable,      // `detail` says why
    FileLocked,          // another program held the file for the whole wait
    WriteFailed,         // `detail` says why; the file is unchanged
    Stopped,             // the user stopped it; the file is unchanged
};

struct Result
{
    Status status = Status::Deleted;
    Reason detail;
    QByteArray written; // when Deleted: the file's new bytes
    // How the locked step ended, for the message of a failure.
    transaction::Status step = transaction::Status::Done;
};

// Deletes from the schedule file at `path` one record equal to each of `records` (decoded
// records as the file holds them, "yyyymmddFmemo"), all or none.
Result deleteRecords(const QString &path, const QStringList &records,
                     const StoreOptions &options = {});

} // namespace deletion
