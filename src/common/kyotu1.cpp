#include "common/kyotu1.h"

#include "common/helptexts.h"
#include "common/messages.h"
#include "platform/platform.h"

#include <QUrl>

#include <algorithm>

namespace kyotu1 {

namespace {

// Days before each month in a common year, indexed by month 1..12.
constexpr std::array<qint32, 13> cumulativeDays {0,   0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};

// Second Monday of a month, by the weekday of its first day.
constexpr std::array<int, 7> secondMonday {9, 8, 14, 13, 12, 11, 10};

constexpr bool isLeapYear(int year)
{
    return year % 4 == 0;
}

// Enters one holiday; months and days here always come from the rules below.
void enter(HolidayTable &table, int month, int day, const QString &name)
{
    table.holidayFlag[month][day] = 1;
    table.holidayName[month][day] = name;
}

} // namespace

int weekdayOf(int year, int month, int day)
{
    if (!isSupportedYear(year) || month < 1 || month > 12 || day < 1 || day > 31)
        return noWeekday;
    // Day number 1 is 1 January 1980; day 0, 31 December 1979, was a Monday.
    qint32 n = (year - firstYear) * 365 + cumulativeDays[month] + day;
    for (int y = firstYear; y <= year; ++y) {
        if (isLeapYear(y) && (y != year || month > 2))
            ++n;
    }
    return (n + 1) % 7;
}

QString weekdayLabel(int year, int month, int day)
{
    static const std::array<QString, 7> labels {
            QStringLiteral("（日）"), QStringLiteral("（月）"), QStringLiteral("（火）"),
            QStringLiteral("（水）"), QStringLiteral("（木）"), QStringLiteral("（金）"),
            QStringLiteral("（土）"),
    };
    const int weekday = weekdayOf(year, month, day);
    return weekday == noWeekday ? QString() : labels[weekday];
}

int HolidayTable::flag(int month, int day) const
{
    if (month < 0 || month >= monthCount || day < 0 || day >= dayCount)
        return 0;
    return holidayFlag[month][day];
}

QString HolidayTable::name(int month, int day) const
{
    if (month < 0 || month >= monthCount || day < 0 || day >= dayCount)
        return QString();
    return holidayName[month][day];
}

int buildHolidays(HolidayTable &table, int year)
{
    table = HolidayTable {};
    int leftOut = 0;

    enter(table, 1, 1, QStringLiteral("元旦"));
    enter(table, 2, 11, QStringLiteral("建国記念日"));
    enter(table, 4, 29, QStringLiteral("緑の日"));
    enter(table, 5, 3, QStringLiteral("憲法記念日"));
    enter(table, 5, 4, QStringLiteral("国民の休日"));
    enter(table, 5, 5, QStringLiteral("子供の日"));
    enter(table, 9, 15, QStringLiteral("敬老の日"));
    enter(table, 9, 23, QStringLiteral("秋分の日"));
    enter(table, 11, 3, QStringLiteral("文化の日"));
    enter(table, 11, 23, QStringLiteral("勤労感謝の日"));
    enter(table, 12, 23, QStringLiteral("天皇誕生日"));

    if (year > 1995)
        enter(table, 7, 20, QStringLiteral("海の日"));

    // The vernal equinox by a four-year cycle; a negative year leaves a negative remainder.
    switch (year % 4) {
    case 0:
    case 1:
        enter(table, 3, 20, QStringLiteral("春分の日"));
        break;
    case 2:
    case 3:
        enter(table, 3, 21, QStringLiteral("春分の日"));
        break;
    default:
        ++leftOut;
        break;
    }

    if (year < 2000) {
        enter(table, 1, 15, QStringLiteral("成人の日"));
        enter(table, 10, 10, QStringLiteral("体育の日"));
        return leftOut;
    }

    const auto enterOnSecondMonday = [&](int month, const QString &name) {
        const int weekday = weekdayOf(year, month, 1);
        if (weekday < 0 || weekday > 6) {
            ++leftOut;
            return;
        }
        enter(table, month, secondMonday[weekday], name);
    };
    enterOnSecondMonday(1, QStringLiteral("成人の日"));
    enterOnSecondMonday(10, QStringLiteral("体育の日"));
    return leftOut;
}

QString dayHeading(int year, int month, int day, const HolidayTable &holidays)
{
    // Each number carries the blank of a positive sign in front of it.
    QString heading = QStringLiteral(" %1年 %2月 %3日").arg(year).arg(month).arg(day)
            + weekdayLabel(year, month, day);
    const QString name = holidays.name(month, day);
    if (!name.isEmpty())
        heading += QStringLiteral("　：　") + name;
    return heading;
}

QString dayInfoText(int year, int month, int day, const HolidayTable &holidays)
{
    const QString name = holidays.name(month, day);
    return name.isEmpty() ? QString() : messages::dayInfo(year, month, day, name);
}

AppStart initApp(QDate today)
{
    AppStart start;
    start.weekdayHeaders = {QStringLiteral("日"), QStringLiteral("月"), QStringLiteral("火"),
                            QStringLiteral("水"), QStringLiteral("木"), QStringLiteral("金"),
                            QStringLiteral("土")};
    start.appName = helptexts::appName();
    start.year = std::clamp(today.year(), firstYear, lastYear);
    return start;
}

QString homePageUrl()
{
    return QStringLiteral("https://www.example.com/rekova/");
}

QString authorEmail()
{
    return QStringLiteral("rekova@example.com");
}

void openHomePage(Platform &platform)
{
    if (!platform.askYesNo(messages::internetQuestion(), messages::internetTitle()))
        return;
    if (!platform.openUrl(QUrl(homePageUrl())))
        platform.showMessage(messages::browserFailed(homePageUrl()));
}

} // namespace kyotu1
