#include "calendar/cellspeech.h"

#include <QStringList>

namespace rekovabas {

std::array<CellSpeech, cellCount> speakMonth(int year, int month,
                                             const kyotu1::HolidayTable &holidays,
                                             const Today &today, const MonthSchedules &schedules)
{
    static const std::array<QString, 7> weekdays {
            QStringLiteral("日曜日"), QStringLiteral("月曜日"), QStringLiteral("火曜日"),
            QStringLiteral("水曜日"), QStringLiteral("木曜日"), QStringLiteral("金曜日"),
            QStringLiteral("土曜日")};

    std::array<CellSpeech, cellCount> cells;
    const int first = kyotu1::weekdayOf(year, month, 1);
    if (first == kyotu1::noWeekday)
        return cells;
    for (int day = 1; day <= monthLength(year, month); ++day) {
        const int k = first + day - 1;
        const int weekday = k % 7;
        CellSpeech &cell = cells[std::size_t(k)];
        cell.name = QStringLiteral("%1年%2月%3日 ").arg(year).arg(month).arg(day)
                + weekdays[std::size_t(weekday)];

        QStringList facts;
        if (year == today.year && month == today.month && day == today.day)
            facts << QStringLiteral("今日");
        if (holidays.flag(month, day) == 1)
            facts << QStringLiteral("祝日 ") + holidays.name(month, day);
        else if (weekday == 1 && holidays.flag(month, day - 1) == 1)
            facts << QStringLiteral("振替休日");
        if (hasSchedule(schedules, year, month, day))
            facts << QStringLiteral("スケジュールあり");
        cell.description = facts.join(QStringLiteral("、"));
    }
    return cells;
}

} // namespace rekovabas
