#include "flows/storeflows.h"

#include "common/messages.h"
#include "flows/outcome.h"
#include "platform/platform.h"
#include "store/record.h"

#include <QFileInfo>

#include <optional>

namespace flows {

bool storeSchedulePath(Platform &platform, const QString &path)
{
    QString error;
    if (dirs::storeSchedulePath(platform, path, &error))
        return true;
    platform.showMessage(messages::settingNotSaved(error), messages::applicationTitle());
    return false;
}

namespace {

// After an add of `request` returned DateChanged (`changed`): asks the user whether to keep
// both, to replace or to cancel. `loaded` holds the records the box was loaded from. Returns:
// the add to try next (asked again should the date change once more), or nullopt to cancel.
std::optional<dirs::AddRequest> askAboutChangedDate(Platform &platform, dirs::AddRequest request,
                                                    const std::optional<QStringList> &loaded,
                                                    const dirs::AddResult &changed)
{
    const QString key = record::dateKey(request.year, request.month, request.day);
    const QString date = messages::dateOfKey(key);
    QStringList memos;
    for (const QString &rec : changed.current)
        memos.append(record::memoOf(rec).toString());
    switch (platform.askChoice(messages::dateChanged(date, memos), messages::dateChangedTitle(),
                               messages::dateChangedButtons())) {
    case 0: // keep both: the records that arrived stay, those the box showed are replaced
        request.replaceOnly = loaded;
        break;
    case 1:
        request.replaceOnly.reset();
        break;
    default:
        return std::nullopt;
    }
    // Asked again if the date changes once more before the add.
    request.seen = changed.current;
    return request;
}

} // namespace

dirs::AddResult addSchedule(Platform &platform, const dirs::AddRequest &request,
                            const StoreOptions &options, const Runner &run)
{
    const QString path = dirs::schedulePath(platform);
    dirs::AddRequest attempt = request;
    for (;;) {
        dirs::AddResult result;
        runThrough(run, [&] { result = dirs::addRecords(path, attempt, options); });
        if (result.status != dirs::AddStatus::DateChanged) {
            platform.showMessage(outcome::ofAdd(result, path), messages::applicationTitle());
            return result;
        }
        const std::optional<dirs::AddRequest> next
                = askAboutChangedDate(platform, attempt, request.seen, result);
        if (!next) {
            result.status = dirs::AddStatus::Cancelled;
            return result;
        }
        attempt = *next;
    }
}

setaside::Result setAsideAndTell(Platform &platform, const StoreOptions &options)
{
    const QString path = dirs::schedulePath(platform);
    const setaside::Result result = setaside::setAside(path, options);
    platform.showMessage(outcome::ofSetAside(result, path), messages::applicationTitle());
    return result;
}

bool CopyOffers::offer(Platform &platform, const conflictcopy::Found &found, const QString &path,
                       const StoreOptions &options, const Runner &run)
{
    QList<conflictcopy::PassedOver> unreported;
    for (const conflictcopy::PassedOver &entry : found.passedOver) {
        if (!m_reportedPassedOver.contains(entry.path)) {
            m_reportedPassedOver.insert(entry.path);
            unreported.append(entry);
        }
    }
    if (!unreported.isEmpty())
        platform.showMessage(outcome::ofPassedOver(unreported), messages::conflictCopyTitle());
    bool changed = false;
    for (const QString &copy : found.copies) {
        if (m_declined.contains(copy))
            continue;
        if (!platform.askYesNo(messages::conflictCopyFound(copy, conflictcopy::mergedName(copy)),
                               messages::conflictCopyTitle())) {
            // Asked again at the next start.
            m_declined.append(copy);
            continue;
        }
        // Another instance of the program may have merged it while the question was open.
        if (!QFileInfo::exists(copy))
            continue;
        conflictcopy::Result merged;
        runThrough(run, [&] { merged = conflictcopy::merge(path, copy, options); });
        platform.showMessage(outcome::ofMerge(merged, copy, path), messages::applicationTitle());
        if (merged.status == conflictcopy::Status::Merged
            || merged.status == conflictcopy::Status::RenameFailed)
            changed = true;
        if (merged.status != conflictcopy::Status::Merged)
            m_declined.append(copy);
    }
    return changed;
}

} // namespace flows
