#include "calendar/monthview.h"

#include "koyomi/koyomi.h"
#include "store/record.h"

#include <QStringList>

namespace rekovabas {

Today todayFrom(QDate date)
{
    Today today;
    today.year = date.year();
    today.month = date.month();
    today.day = date.day();
    return today;
}

QString Today::key() const
{
    return record::dateKey(year, month, day);
}

void MonthSchedules::mark(char tens, char units)
{
    if (tens < '0' || tens > '9' || units < '0' || units > '9')
        return;
    const int day = (tens - '0') * 10 + (units - '0');
    if (day >= 1 && day <= 31)
        m_days.set(std::size_t(day));
}

bool hasSchedule(const MonthSchedules &schedules, int year, int month, int day)
{
    return year == schedules.m_year && month == schedules.m_month && day >= 1 && day <= 31
            && schedules.m_days.test(std::size_t(day));
}

QString monthCaption(int year, int month)
{
    return QStringLiteral("%1年 %2月").arg(year).arg(month);
}

namespace {

// Returns: the number of days of `month` (1..12); February has 29 in leap years.
int monthLength(int year, int month)
{
    static constexpr std::array<int, 13> lengths {0,  31, 28, 31, 30, 31, 30,
                                                  31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && kyotu1::isLeapYear(year))
        return 29;
    return lengths[month];
}

} // namespace

MonthView composeMonth(int year, int month, const kyotu1::HolidayTable &holidays,
                       const Today &today, const MonthSchedules &schedules)
{
    MonthView view;
    view.caption = monthCaption(year, month);
    const int first = kyotu1::weekdayOf(year, month, 1);
    if (first == kyotu1::noWeekday)
        return view;

    const int length = monthLength(year, month);
    for (int d = 1; d <= length; ++d) {
        const int k = first + d - 1;
        const bool sunday = k % 7 == 0;
        const bool holiday = holidays.flag(month, d) == 1;
        const bool isToday = year == today.year && month == today.month && d == today.day;
        const bool memo = hasSchedule(schedules, year, month, d);
        DayCell &cell = view.cells[std::size_t(k)];
        if (isToday)
            cell.colour = todayColour;
        else if (memo)
            cell.colour = memoColour;
        else if (holiday || sunday)
            cell.colour = holidayColour;
        else
            cell.colour = whiteColour;
        cell.caption = QStringLiteral("%1").arg(d, 2);
        cell.visible = true;

        cell.accessibleName = QStringLiteral("%1年%2月%3日 ").arg(year).arg(month).arg(d)
                + kyotu1::weekdayFullName(k % 7);
        QStringList facts;
        if (isToday)
            facts << QStringLiteral("今日");
        if (holiday) {
            // Substitute and in-between days are rest days, not holidays of their own.
            const QString name = holidays.name(month, d);
            const bool restDay = name == kyotu1::substituteHolidayName()
                    || name == kyotu1::citizensHolidayName();
            facts << (restDay ? name : QStringLiteral("祝日 ") + name);
        }
        if (memo)
            facts << QStringLiteral("スケジュールあり");
        cell.accessibleDescription = facts.join(QStringLiteral("、"));
    }
    return view;
}

void addKoyomi(MonthView &view, int year, int month)
{
    view.captionToolTip = koyomi::monthEraText(year, month);
    const int first = kyotu1::weekdayOf(year, month, 1);
    if (first == kyotu1::noWeekday)
        return;
    for (int d = 1, length = monthLength(year, month); d <= length; ++d) {
        DayCell &cell = view.cells[std::size_t(first + d - 1)];
        cell.toolTip = koyomi::dayLine(QDate(year, month, d));
        if (!cell.accessibleDescription.isEmpty())
            cell.accessibleDescription += QStringLiteral("、");
        cell.accessibleDescription += cell.toolTip;
    }
}

} // namespace rekovabas
