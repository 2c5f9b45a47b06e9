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

constexpr bool isLeapYear(int year)
{
    return year % 4 == 0;
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
        platform.showMessage(messages::browserFailed(homePageUrl()), messages::applicationTitle());
}

} // namespace kyotu1
