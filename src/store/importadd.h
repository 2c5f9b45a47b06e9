#pragma once

// The add of an import: every record of the file is kept, the new ones join them, all sorted,
// in one step under the file's lock, as an add of one memo does (store/dirs.h).

#include "store/dirs.h"
#include "store/icalendar.h"
#include "store/storeoptions.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace importadd {

struct Result
{
    // Written, NotSet, FileHasInvalidBytes, FileHasStrayText, FileUnreadable, FileLocked or
    // WriteFailed, as for an add of one memo; `detail` as there.
    dirs::AddStatus status = dirs::AddStatus::Written;
    QString detail;
    qsizetype added = 0;   // records written; 0 leaves the file untouched
    qsizetype present = 0; // memos the file already had
    QByteArray written;    // when Written: the file's new bytes
};

// Adds `memos` to the file at `path`, sorted out against its records as they are once the
// lock is held (icsimport::plan). Nothing is written when no memo is new.
Result addMemos(const QString &path, const QList<icalendar::Memo> &memos,
                const StoreOptions &options = {});

} // namespace importadd
