#pragma once

// Calendar engine shared by every part of the program:
//   weekdayOf / weekdayLabel   the weekday of a date, counted from 1 January 1980;
//   weekdayHeader / weekdayBracketed / weekdayFullName   the one table of weekday names,
//       Sunday first;
//   HolidayTable / buildHolidays   the holidays of one year, by month and day (holidays.cpp);
//   dayHeading / dayInfoText   the texts that name a chosen day;
//   initApp   the values the main window starts with;
//   openHomePage   the question and the browser launch of the about window.
// The engine computes the years 1980 to 2069; outside them it answers "no weekday".
// The namespace kyotu1 spans kyotu1.h, kyotu1.cpp and holidays.cpp.

#include <QDate>
#include <QString>

#include <array>

class Platform;

namespace kyotu1 {

constexpr int firstYear = 1980;
constexpr int lastYear = 2069;

// weekdayOf's answer for a date it cannot compute.
constexpr int noWeekday = -1;

// Returns: true when February of `year` has 29 days. Every fourth year is a leap year in
// 1901..2099, which hold every year the engine computes.
constexpr bool isLeapYear(int year)
{
    return year % 4 == 0;
}

// Returns: true when `year` lies in 1980..2069, the years the engine computes.
constexpr bool isSupportedYear(int year)
{
    return year >= firstYear && year <= lastYear;
}

// Returns: the weekday number, 0 = Sunday … 6 = Saturday, of (year, month, day), or noWeekday
// when the year lies outside 1980..2069, the month outside 1..12 or the day outside 1..31.
// The day is not checked against the month's length: 31 April gives the weekday of 1 May.
int weekdayOf(int year, int month, int day);

// Returns: "（日）" … "（土）" for the date's weekday, or "" when weekdayOf has none.
QString weekdayLabel(int year, int month, int day);

// Preconditions: `weekday` in 0..6, 0 = Sunday.
// Returns: the weekday's one-character name, "日" … "土", as the column headers show it.
QString weekdayHeader(int weekday);
// Returns: the same in brackets, "（日）" … "（土）", as weekdayLabel gives it after a date.
QString weekdayBracketed(int weekday);
// Returns: the full name, "日曜日" … "土曜日".
QString weekdayFullName(int weekday);

// The public holidays of one year, with its substitute holidays and the days between two
// holidays, each under its name. Indexed by month 0..13 and day 0..32; only months 1..12 and
// days 1..31 ever carry a holiday, and day 0 of every month reads as no holiday.
struct HolidayTable
{
    static constexpr int monthCount = 14;
    static constexpr int dayCount = 33;

    std::array<std::array<qint16, dayCount>, monthCount> holidayFlag {};
    std::array<std::array<QString, dayCount>, monthCount> holidayName {};

    // Returns: 1 when (month, day) is a holiday of the year last built, else 0. Indexes outside
    // the table read as 0.
    int flag(int month, int day) const;
    // Returns: the holiday's name, or "" when (month, day) is no holiday.
    QString name(int month, int day) const;
};

// Replaces the whole of `table` with the holidays of `year` as the holiday law had them (today's
// law for later years): the named holidays, and in a supported year the substitute holidays
// (substituteHolidayName) and the days between two holidays (citizensHolidayName). A holiday
// that cannot be placed (a Monday rule without a weekday, an equinox outside its month) is left
// out.
// Returns: the number of holidays left out; the window shows "バグです" once for each.
[[nodiscard]] int buildHolidays(HolidayTable &table, int year);

// Returns: the names the table gives a substitute holiday and a day between two holidays.
QString substituteHolidayName();
QString citizensHolidayName();

// Returns: the heading of the memo entry for a day, e.g. " 2000年 1月 10日（月）　：　成人の日".
QString dayHeading(int year, int month, int day, const HolidayTable &holidays);

// Returns: the text of the right-click message for a holiday, or "" when the day is none.
QString dayInfoText(int year, int month, int day, const HolidayTable &holidays);

// What the main window starts with.
struct AppStart
{
    std::array<QString, 7> weekdayHeaders; // "日" … "土", Sunday first
    QString appName;                       // "REKOVA", the stem of the program file name
    int year = 0;                          // the year first shown
};

// Start-up initialisation for `today`: the headers, the program name, and the year to show,
// which is today's held within 1980..2069 (a clock outside them shows the nearest year).
AppStart initApp(QDate today);

// Returns: the year the calendar shows for `today`, held within 1980..2069 (initApp's year).
int yearShownFor(QDate today);

// The author's home page and e-mail address, shown by the about window.
QString homePageUrl();
QString authorEmail();

// Asks whether the computer is online and, on Yes, opens the author's home page. A browser that
// cannot be started is reported in a message box.
void openHomePage(Platform &platform);

} // namespace kyotu1
