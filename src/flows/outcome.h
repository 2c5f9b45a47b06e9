#pragma once

// What the user is told when a step on the schedule file (an add, a delete, a set-aside, an
// undo, a merge of a sync tool's copy) has ended: the store says how it ended and why, and the
// words for that are made here, one wording for each outcome whatever the step was.

#include "history/undohistory.h"
#include "store/batch.h"
#include "store/deletion.h"
#include "store/dirs.h"
#include "store/setaside.h"
#include "store/transaction.h"
#include "syncedfolder/conflictcopy.h"

#include <QList>
#include <QString>

namespace outcome {

// Why the locked step on the file at `path` ended as `status` without writing.
QString ofStep(transaction::Status status, const Reason &detail, const QString &path);
inline QString ofStep(const transaction::Result &done, const QString &path)
{
    return ofStep(done.status, done.detail, path);
}

// Why an add of the file at `path` ended as `status` (one of an import's, say): as ofAdd().
QString ofAddStatus(dirs::AddStatus status, const Reason &detail, const QString &path);

// "書込み完了", with the characters the file holds in another form, or why the add of the
// file at `path` did not happen.
QString ofAdd(const dirs::AddResult &result, const QString &path);

// Why a change of several records (a calendar sync's) was not made; "" when it was.
QString ofBatch(const batch::Result &result, const QString &path);

// Why a delete did not happen; "" when it went through.
QString ofDelete(const deletion::Result &result, const QString &path);

QString ofSetAside(const setaside::Result &result, const QString &path);

QString ofUndo(const history::UndoResult &result);

// What became of merging the copy at `copyPath` into the schedule file at `path`.
QString ofMerge(const conflictcopy::Result &result, const QString &copyPath, const QString &path);

// The names of a copy's form that were passed over, and why.
QString ofPassedOver(const QList<conflictcopy::PassedOver> &passedOver);

// "〜 → ～" for each character a text is stored in another form.
QStringList respelledLines(const QList<cp932::Respelling> &respelled);

} // namespace outcome
