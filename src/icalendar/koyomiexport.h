#pragma once

// Writing the 六曜 and the solar terms of chosen years out to a calendar file (.ics), for the
// calendars of phones and desktops that have none: one all-day event a day for its 六曜, and one
// for each of the 二十四節気, through the same writer as the memos (icalendar/icalendar.h).

#include "icalendar/icalendar.h"

#include <QList>

namespace koyomiexport {

// Preconditions: firstYear ≤ lastYear, both in 1980..2069.
// Returns: the events of the years, by day: the 六曜 ("大安") and any solar term ("立春").
QList<icalendar::Memo> eventsOf(int firstYear, int lastYear);

} // namespace koyomiexport
