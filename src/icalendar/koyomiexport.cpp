#include "icalendar/koyomiexport.h"

#include "common/messages.h"
#include "koyomi/koyomi.h"
#include "platform/platform.h"
#include "store/savefile.h"
#include "store/target.h"

#include <QDir>

#include <algorithm>

namespace koyomiexport {

QList<icalendar::Memo> eventsOf(int firstYear, int lastYear)
{
    QList<icalendar::Memo> events;
    for (QDate date(firstYear, 1, 1); date.year() <= lastYear; date = date.addDays(1)) {
        const std::optional<koyomi::Day> day = koyomi::dayOf(date);
        if (!day)
            break;
        events.append({date, koyomi::rokuyoName(day->rokuyo), false});
        const koyomi::YearTable &table = koyomi::yearTable(date.year());
        for (const koyomi::NamedDay &named : table.namedDays) {
            if (named.solarTerm && named.day == date.toJulianDay())
                events.append({date, named.name, false});
        }
    }
    return events;
}

bool exportYears(Platform &platform, int shownYear, const StoreOptions &options)
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
    buttons.append(QStringLiteral("キャンセル"));
    const int chosenYears = platform.askChoice(messages::koyomiExportQuestion(),
                                               messages::applicationTitle(), buttons);
    if (chosenYears < 0 || chosenYears >= int(choices.size()))
        return false;
    const Years years = choices[std::size_t(chosenYears)];

    const QString name = years.first == years.last
            ? QStringLiteral("六曜と節気 %1.ics").arg(years.first)
            : QStringLiteral("六曜と節気 %1-%2.ics").arg(years.first).arg(years.last);
    const std::optional<QString> chosen = platform.chooseSaveFileName(
            QDir::home().filePath(name),
            {QStringLiteral("iCalendar (*.ics)"), QStringLiteral("All Files (*)")});
    if (!chosen || chosen->isEmpty())
        return false;
    const target::Target target = target::resolve(*chosen);
    if (!target.ok()) {
        platform.showMessage(messages::icsFileNotWritten(
                                     *chosen,
                                     target.refusedLink.isEmpty()
                                             ? messages::systemError(target.error)
                                             : messages::linkNotFollowed(target.refusedLink)),
                             messages::applicationTitle());
        return false;
    }
    const QList<icalendar::Memo> events = eventsOf(years.first, years.last);
    const savefile::Result saved
            = savefile::save(target.path, icalendar::format(events, platform.today()), options);
    if (!saved.ok) {
        platform.showMessage(messages::icsFileNotWritten(*chosen, saved.error),
                             messages::applicationTitle());
        return false;
    }
    platform.showMessage(
            messages::koyomiExportDone(years.first, years.last, events.size(), *chosen),
            messages::applicationTitle());
    return true;
}

} // namespace koyomiexport
