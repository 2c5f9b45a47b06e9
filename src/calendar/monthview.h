#pragma once

// The month grid decided without a window: which of the 37 day cells show which day, in which
// colour, and the caption above them. The main window only paints what composeMonth returns.
// Part of the namespace rekovabas (see rekovabas.h).

#include "common/kyotu1.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <bitset>

namespace rekovabas {

// Colour values with red in the lowest byte, then green, then blue.
constexpr quint32 todayColour = 0xFFFF00;   // light blue
constexpr quint32 memoColour = 0x80FF80;    // light green
constexpr quint32 holidayColour = 0xC0C0FF; // light red
constexpr quint32 whiteColour = 0xFFFFFF;

constexpr int redOf(quint32 colour)
{
    return int(colour & 0xFF);
}
constexpr int greenOf(quint32 colour)
{
    return int((colour >> 8) & 0xFF);
}
constexpr int blueOf(quint32 colour)
{
    return int((colour >> 16) & 0xFF);
}

// Number of day cells: a 31-day month that begins on a Saturday ends in cell 36.
constexpr int cellCount = 37;

// Today's date as the month view and the alarm check use it.
struct Today
{
    int year = 0;
    int month = 0;
    int day = 0;

    // Returns: today's date key, "yyyymmdd".
    QString key() const;
};

Today todayFrom(QDate date);

// The days of one month that have a memo, as the month loader finds them.
class MonthSchedules
{
public:
    MonthSchedules() = default;
    MonthSchedules(int year, int month) : m_year(year), m_month(month) { }

    // Marks the day that characters 7 and 8 of a record of this month spell, when they are
    // digits of a day the month can have.
    void mark(char tens, char units);

private:
    friend bool hasSchedule(const MonthSchedules &, int, int, int);

    int m_year = 0;
    int m_month = 0;
    std::bitset<32> m_days;
};

// Returns: true when some record of `schedules` begins with the date key of (year, month, day).
bool hasSchedule(const MonthSchedules &schedules, int year, int month, int day);

struct DayCell
{
    QString caption; // " 1" … "31", or "" for an unused cell
    quint32 colour = whiteColour;
    bool visible = false;
    // What the colour tells, in words for screen readers. The name is the date with its
    // weekday, "2026年12月7日 月曜日"; the description joins with "、" what applies of "今日",
    // "祝日 <name>", "振替休日" or "国民の休日", and "スケジュールあり". Both "" for an unused
    // cell.
    QString accessibleName;
    QString accessibleDescription;
    // The day's 暦 in one line (koyomi::dayLine), once addKoyomi has run; "" until then.
    QString toolTip;
};

struct MonthView
{
    std::array<DayCell, cellCount> cells;
    QString caption;        // e.g. "2001年 1月"
    QString captionToolTip; // the era year, "令和8年（丙午）", once addKoyomi has run
};

// Returns: the caption of the frame around the grid, e.g. "2000年 12月".
QString monthCaption(int year, int month);

// Preconditions: `year` in 1980..2069, `month` in 1..12, `holidays` built for `year`.
// Returns: the grid of the month. Colour precedence: today, then a memo, then a Sunday or a
// day of the holiday table (substitute and in-between days included), then white.
MonthView composeMonth(int year, int month, const kyotu1::HolidayTable &holidays,
                       const Today &today, const MonthSchedules &schedules);

// Adds the 暦 to a month composed by composeMonth for (year, month): each day's line as its
// tool tip and after what its description says ("、" between), and the era year of the month.
void addKoyomi(MonthView &view, int year, int month);

} // namespace rekovabas
