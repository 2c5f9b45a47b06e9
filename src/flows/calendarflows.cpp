#include "flows/calendarflows.h"

#include "common/kyotu1.h"
#include "common/messages.h"
#include "flows/outcome.h"
#include "icalendar/icsexport.h"
#include "icalendar/icsimport.h"
#include "icalendar/keptuids.h"
#include "icalendar/koyomiexport.h"
#include "koyomi/koyomi.h"
#include "platform/platform.h"
#include "store/dirs.h"
#include "store/savefile.h"
#include "store/schedulefile.h"
#include "store/target.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include <optional>

namespace flows {

namespace {

// Larger calendar files are refused before they are read.
constexpr qint64 sizeLimit = 64 * 1024 * 1024;
// The question names this many events that are left out, and counts the rest.
constexpr qsizetype leftOutShown = 15;

QStringList leftOutLines(const QList<icalendar::LeftOut> &leftOut)
{
    QStringList lines;
    for (qsizetype k = 0; k < leftOut.size() && k < leftOutShown; ++k)
        lines.append(messages::elided(leftOut[k].event, 40) + QStringLiteral("：")
                     + leftOut[k].reason);
    return lines;
}

// Asks for a calendar file and reads its events, through `run` as the add: a large calendar takes
// seconds. Returns: nothing, after telling the user why when there was a reason, when no
// calendar was chosen or it cannot be read.
std::optional<icalendar::Parsed> chosenCalendar(Platform &platform, const Runner &run)
{
    const std::optional<QString> chosen = platform.chooseOpenFileName(
            {QStringLiteral("iCalendar (*.ics *.ical *.ifb)"), QStringLiteral("All Files (*)")});
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    if (QFileInfo(*chosen).size() > sizeLimit) {
        platform.showMessage(messages::icsTooLarge(*chosen), messages::applicationTitle());
        return std::nullopt;
    }
    const schedulefile::Bytes calendar = schedulefile::readBytes(*chosen);
    if (calendar.status != schedulefile::Status::Present) {
        platform.showMessage(
                messages::icsFileUnreadable(*chosen,
                                            calendar.status == schedulefile::Status::Unreadable
                                                    ? messages::reasonText(calendar.error)
                                                    : messages::notRegularFile()),
                messages::applicationTitle());
        return std::nullopt;
    }
    // Events outside the years the calendar shows are left out.
    icalendar::Parsed parsed;
    const auto read = [&] {
        parsed = icalendar::parse(calendar.bytes, QDate(kyotu1::firstYear, 1, 1),
                                  QDate(kyotu1::lastYear, 12, 31), platform.today());
    };
    runThrough(run, read);
    if (!parsed.isCalendar) {
        platform.showMessage(messages::icsNotCalendar(*chosen), messages::applicationTitle());
        return std::nullopt;
    }
    return parsed;
}

// Tells the user how the add of an import ended.
void reportImport(Platform &platform, const icsimport::AddResult &result, const QString &path)
{
    if (result.status == dirs::AddStatus::Written && result.added == 0) {
        // Another program added the same memos since the question.
        platform.showMessage(messages::icsImportNothing(result.present, {}, 0),
                             messages::applicationTitle());
    } else if (result.status == dirs::AddStatus::Written) {
        platform.showMessage(messages::icsImportDone(result.added, result.present),
                             messages::applicationTitle());
    } else {
        platform.showMessage(outcome::ofAddStatus(result.status, result.detail, path),
                             messages::applicationTitle());
    }
}

// Asks where to write a calendar file, proposing `proposed`, and follows a link at the name.
// Returns: the name chosen and the file really written, or nothing, after telling the user why
// when there was a reason: the dialog was cancelled, the name is the schedule file's (UTF-8 over
// the memos would lose them all) or cannot be followed.
std::optional<std::pair<QString, target::Target>> chosenCalendarFile(Platform &platform,
                                                                     const QString &proposed)
{
    const std::optional<QString> chosen = platform.chooseSaveFileName(
            proposed, {QStringLiteral("iCalendar (*.ics)"), QStringLiteral("All Files (*)")});
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    if (icsexport::isSameFile(*chosen, dirs::schedulePath(platform))) {
        platform.showMessage(messages::icsFileNotWritten(*chosen, messages::icsSameAsSchedule()),
                             messages::applicationTitle());
        return std::nullopt;
    }
    target::Target target = target::resolve(*chosen);
    if (!target.ok()) {
        platform.showMessage(messages::icsFileNotWritten(
                                     *chosen,
                                     target.refusedLink.isEmpty()
                                             ? messages::systemError(target.error)
                                             : messages::linkNotFollowed(target.refusedLink)),
                             messages::applicationTitle());
        return std::nullopt;
    }
    return std::pair {*chosen, std::move(target)};
}

} // namespace

bool exportSchedules(Platform &platform, const StoreOptions &options, const Runner &run)
{
    const QString path = dirs::schedulePath(platform);
    if (path.isEmpty()) {
        platform.showMessage(messages::scheduleFileNotSet(), messages::applicationTitle());
        return false;
    }
    schedulefile::Bytes file;
    icsexport::Memos found;
    runThrough(run, [&] {
        file = schedulefile::readBytes(path);
        if (file.status != schedulefile::Status::Unreadable)
            found = icsexport::memosOf(file.bytes);
    });
    if (file.status == schedulefile::Status::Unreadable) {
        platform.showMessage(messages::fileUnreadable(path, messages::reasonText(file.error)),
                             messages::applicationTitle());
        return false;
    }
    file.bytes = QByteArray();
    if (found.memos.isEmpty()) {
        platform.showMessage(messages::icsExportNothing(), messages::applicationTitle());
        return false;
    }

    const auto where = chosenCalendarFile(platform, icsexport::proposedName(path));
    if (!where)
        return false;
    const QString &chosen = where->first;
    const target::Target &target = where->second;
    const QDate today = platform.today();
    savefile::Result saved;
    runThrough(run, [&] {
        // A memo that came from another calendar goes out as the event it was.
        const keptuids::KeptUids kept = keptuids::KeptUids::load(keptuids::defaultPath());
        saved = savefile::save(
                target.path,
                icalendar::format(found.memos, today,
                                  [&](const icalendar::Memo &memo) { return kept.uidOf(memo); }),
                options);
    });
    if (!saved.ok) {
        platform.showMessage(messages::icsFileNotWritten(chosen, messages::reasonText(saved.error)),
                             messages::applicationTitle());
        return false;
    }
    platform.showMessage(messages::icsExportDone(found.memos.size(), chosen, found.leftOut),
                         messages::applicationTitle());
    return true;
}

bool importSchedules(Platform &platform, const StoreOptions &options, const Runner &run)
{
    const QString path = dirs::schedulePath(platform);
    if (path.isEmpty()) {
        platform.showMessage(messages::scheduleFileNotSet(), messages::applicationTitle());
        return false;
    }
    const std::optional<icalendar::Parsed> parsed = chosenCalendar(platform, run);
    if (!parsed)
        return false;

    // What the file holds now, for the question; the add sorts the memos out again under the
    // lock, against the file as it is then.
    const schedulefile::Bytes existing = schedulefile::readBytes(path);
    if (existing.status == schedulefile::Status::Unreadable) {
        platform.showMessage(messages::fileUnreadable(path, messages::reasonText(existing.error)),
                             messages::applicationTitle());
        return false;
    }
    const icsimport::Plan preview
            = icsimport::plan(parsed->memos, icsimport::fieldsOf(existing.bytes));
    const QList<icalendar::LeftOut> leftOut = parsed->leftOut + preview.leftOut;
    if (preview.records.isEmpty()) {
        platform.showMessage(
                messages::icsImportNothing(preview.present, leftOutLines(leftOut), leftOut.size()),
                messages::applicationTitle());
        return false;
    }
    const QStringList respelled = outcome::respelledLines(preview.respelled);
    if (!platform.askYesNo(messages::icsImportQuestion(preview.records.size(), preview.present,
                                                       respelled, leftOutLines(leftOut),
                                                       leftOut.size()),
                           messages::icsImportTitle()))
        return false;

    icsimport::AddResult result;
    runThrough(run, [&] {
        result = icsimport::addMemos(path, parsed->memos, options);
        if (result.status == dirs::AddStatus::Written) {
            // Only spares the next export a duplicate: a failure here costs no memo.
            keptuids::KeptUids kept = keptuids::KeptUids::load(keptuids::defaultPath());
            kept.keep(*parsed);
            kept.save(keptuids::defaultPath());
        }
    });
    reportImport(platform, result, path);
    return result.status == dirs::AddStatus::Written && result.added > 0;
}

bool exportKoyomi(Platform &platform, int shownYear, const StoreOptions &options)
{
    const int shown = std::clamp(shownYear, koyomi::firstYear, koyomi::lastYear);
    struct Years
    {
        int first;
        int last;
    };
    std::vector<Years> choices {{shown, shown}};
    if (shown < koyomi::lastYear)
        choices.push_back({shown, qMin(shown + 9, koyomi::lastYear)});
    choices.push_back({koyomi::firstYear, koyomi::lastYear});
    QStringList buttons;
    for (const Years &years : choices)
        buttons.append(years.first == years.last
                               ? QStringLiteral("%1年").arg(years.first)
                               : QStringLiteral("%1年〜%2年").arg(years.first).arg(years.last));
    buttons.append(messages::cancelButton());
    const int chosenYears = platform.askChoice(messages::koyomiExportQuestion(),
                                               messages::applicationTitle(), buttons);
    if (chosenYears < 0 || chosenYears >= int(choices.size()))
        return false;
    const Years years = choices[std::size_t(chosenYears)];

    const QString name = years.first == years.last
            ? QStringLiteral("六曜と節気 %1.ics").arg(years.first)
            : QStringLiteral("六曜と節気 %1-%2.ics").arg(years.first).arg(years.last);
    const auto file = chosenCalendarFile(platform, QDir::home().filePath(name));
    if (!file)
        return false;
    const QString &chosen = file->first;
    const target::Target &target = file->second;
    const QList<icalendar::Memo> events = koyomiexport::eventsOf(years.first, years.last);
    const savefile::Result saved
            = savefile::save(target.path, icalendar::format(events, platform.today()), options);
    if (!saved.ok) {
        platform.showMessage(messages::icsFileNotWritten(chosen, messages::reasonText(saved.error)),
                             messages::applicationTitle());
        return false;
    }
    platform.showMessage(messages::koyomiExportDone(years.first, years.last, events.size(), chosen),
                         messages::applicationTitle());
    return true;
}

} // namespace flows
