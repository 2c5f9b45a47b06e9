#pragma once

// What a screen reader says of the day cells. The cells show only the day number and tell today,
// the holidays and the days with a memo apart by colour; here the same facts are put in words.

#include "calendar/monthview.h"
#include "common/kyotu1.h"

#include <QString>

#include <array>

namespace rekovabas {

struct CellSpeech
{
    // The date with its weekday, "2026年12月7日 月曜日"; "" for an unused cell.
    QString name;
    // What the colour tells, joined by "、": "今日", "祝日 天皇誕生日" or "振替休日",
    // "スケジュールあり"; "" for a plain day.
    QString description;
};

// Preconditions: as composeMonth.
// Returns: what is said of each of the 37 cells of the month, the cells placed as composeMonth
// places them. A holiday is named by its name; the Monday after a Sunday holiday is a
// substitute holiday.
std::array<CellSpeech, cellCount> speakMonth(int year, int month,
                                             const kyotu1::HolidayTable &holidays,
                                             const Today &today, const MonthSchedules &schedules);

} // namespace rekovabas
