#pragma once

// The commands on the schedule file as the user sees them: what is asked before a step, and
// what is told after it, around the store's steps, which themselves show nothing.

#include "common/runner.h"
#include "store/dirs.h"
#include "store/setaside.h"
#include "store/storeoptions.h"
#include "syncedfolder/conflictcopy.h"

#include <QSet>
#include <QString>
#include <QStringList>

class Platform;

namespace flows {

// Stores `path` as the schedule file. Returns: false, after telling the user, when the setting
// could not be saved.
bool storeSchedulePath(Platform &platform, const QString &path);

// The add as the user sees it: reads the path, adds, and shows "書込み完了" or the reason the
// add did not happen. When the date's records changed since the box was loaded, the user is
// first asked whether to keep both, to replace them or to cancel. The caller redraws the month
// and shows the repeat boxes of the result. Each try of the add runs through `run`.
dirs::AddResult addSchedule(Platform &platform, const dirs::AddRequest &request,
                            const StoreOptions &options = {}, const Runner &run = {});

// Reads the path, sets the file aside and tells the user what happened. Nothing is redrawn.
setaside::Result setAsideAndTell(Platform &platform, const StoreOptions &options = {});

// Offering a sync tool's conflict copies to be merged, for as long as the program runs: a copy
// the user declined, or that could not be merged, is not offered again, and a name passed over
// is named once.
class CopyOffers
{
public:
    // Names the copies of `found` passed over that were not named yet, then asks about each
    // copy not declined before and merges those the user wants into the file at `path`, each
    // through `run`. Returns: whether the file changed.
    bool offer(Platform &platform, const conflictcopy::Found &found, const QString &path,
               const StoreOptions &options, const Runner &run);

private:
    QSet<QString> m_reportedPassedOver;
    QStringList m_declined;
};

} // namespace flows
