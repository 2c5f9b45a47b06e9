#pragma once

// The steps this window took on the schedule file (adds, deletes, imports, merges, set-asides),
// newest last, so that 元に戻す can take them back one after the other. A step is taken back
// only while the file is as that step left it: then it becomes byte for byte what it was
// before. The store reports the steps on the thread that ran them, so the history guards itself.
// The oldest steps are forgotten beyond a number of steps and of bytes kept.

#include "store/storeoptions.h"
#include "store/storestep.h"
#include "store/transaction.h"

#include <QList>
#include <QMutex>
#include <QString>

namespace history {

enum class Status {
    Undone,    // the file is as it was before the step
    Nothing,   // no step to take back
    Changed,   // the file changed after the step; nothing was changed, and the step is
               // forgotten
    NotUndone, // the file could not be changed (`detail`); the step is kept for another try
};

struct UndoResult
{
    Status status = Status::Undone;
    // When NotUndone: how the locked step on the file ended, and why.
    transaction::Status step = transaction::Status::Done;
    Reason detail;
    QString path; // the file taken back
};

class UndoHistory
{
public:
    // At most this many steps, and this many bytes of the file's versions, are kept.
    static constexpr qsizetype maxSteps = 20;
    static constexpr qsizetype maxBytes = 256 * 1024 * 1024;

    void record(const StoreStep &step);
    bool isEmpty() const;
    void clear();

    // Takes the newest step back, in a locked step of the store with `options` (which records
    // nothing).
    UndoResult undo(StoreOptions options = {});

private:
    mutable QMutex m_mutex;
    QList<StoreStep> m_steps;
};

} // namespace history
