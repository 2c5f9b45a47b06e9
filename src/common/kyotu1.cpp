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

// The weekday names, Sunday first; every other form of a weekday's name is made from these.
const std::array<QString, 7> &weekdayHeaders()
{
    static const std::array<QString, 7> headers {
            QStringLiteral("日"), QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
            QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土")};
    return headers;
}

// Each header with `before` and `after` around it, made once.
std::array<QString, 7> decoratedHeaders(const QString &before, const QString &after)
{
    std::array<QString, 7> names;
    for (std::size_t k = 0; k < names.size(); ++k)
        names[k] = before + weekdayHeaders()[k] + after;
    return names;
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
    const int weekday = weekdayOf(year, month, day);
    return weekday == noWeekday ? QString() : weekdayBracketed(weekday);
}

QString weekdayHeader(int weekday)
{
    return weekdayHeaders()[std::size_t(weekday)];
}

QString weekdayBracketed(int weekday)
{
    static const std::array<QString, 7> names
            = decoratedHeaders(QStringLiteral("（"), QStringLiteral("）"));
    return names[std::size_t(weekday)];
}

QString weekdayFullName(int weekday)
{
    static const std::array<QString, 7> names = decoratedHeaders(QString(), QStringLiteral("曜日"));
    return names[std::size_t(weekday)];
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
    start.weekdayHeaders = weekdayHeaders();
    start.appName = helptexts::appName();
    start.year = yearShownFor(today);
    return start;
}

int yearShownFor(QDate today)
{
    return std::clamp(today.year(), firstYear, lastYear);
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
