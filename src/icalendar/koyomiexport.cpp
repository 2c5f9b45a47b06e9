#include "icalendar/koyomiexport.h"

#include "koyomi/koyomi.h"

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

} // namespace koyomiexport
