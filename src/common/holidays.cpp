// The public holidays of a year: the holidays as the holiday law and its special acts have had
// them, one row per holiday and per span of years in which it fell on the same rule, and the
// builder that reads the rows and then derives the substitute and in-between days.

#include "common/kyotu1.h"

#include <QDate>
#include <QStringView>

#include <array>
#include <limits>
#include <vector>

namespace kyotu1 {

namespace {

// How a row places its holiday within its month.
enum class Placing {
    Fixed,     // on day `value`
    NthMonday, // on Monday number `value`
    Equinox,   // by the equinox formula, `value` being its constant in millionths of a day
};

struct HolidayRule
{
    QStringView name;
    int month;
    Placing placing;
    int value;
    int firstYear; // the years in force, from `always` and to `onwards` for a rule that held
    int lastYear;  // before the calendar's first year and still holds, carried forward
};

constexpr int always = std::numeric_limits<int>::min();
constexpr int onwards = std::numeric_limits<int>::max();

// clang-format off
constexpr std::array rules {
    HolidayRule {u"元旦",           1,  Placing::Fixed,      1,        always, onwards},
    HolidayRule {u"成人の日",       1,  Placing::Fixed,      15,       always, 1999},
    HolidayRule {u"成人の日",       1,  Placing::NthMonday,  2,        2000,   onwards},
    HolidayRule {u"建国記念日",     2,  Placing::Fixed,      11,       always, onwards},
    HolidayRule {u"大喪の礼",       2,  Placing::Fixed,      24,       1989,   1989},
    HolidayRule {u"天皇誕生日",     2,  Placing::Fixed,      23,       2020,   onwards},
    HolidayRule {u"春分の日",       3,  Placing::Equinox,    20843100, always, onwards},
    HolidayRule {u"天皇誕生日",     4,  Placing::Fixed,      29,       always, 1988},
    HolidayRule {u"緑の日",         4,  Placing::Fixed,      29,       1989,   2006},
    HolidayRule {u"昭和の日",       4,  Placing::Fixed,      29,       2007,   onwards},
    HolidayRule {u"即位の日",       5,  Placing::Fixed,      1,        2019,   2019},
    HolidayRule {u"憲法記念日",     5,  Placing::Fixed,      3,        always, onwards},
    HolidayRule {u"緑の日",         5,  Placing::Fixed,      4,        2007,   onwards},
    HolidayRule {u"子供の日",       5,  Placing::Fixed,      5,        always, onwards},
    HolidayRule {u"結婚の儀",       6,  Placing::Fixed,      9,        1993,   1993},
    HolidayRule {u"海の日",         7,  Placing::Fixed,      20,       1996,   2002},
    HolidayRule {u"海の日",         7,  Placing::NthMonday,  3,        2003,   2019},
    HolidayRule {u"海の日",         7,  Placing::Fixed,      23,       2020,   2020},
    HolidayRule {u"スポーツの日",   7,  Placing::Fixed,      24,       2020,   2020},
    HolidayRule {u"海の日",         7,  Placing::Fixed,      22,       2021,   2021},
    HolidayRule {u"スポーツの日",   7,  Placing::Fixed,      23,       2021,   2021},
    HolidayRule {u"海の日",         7,  Placing::NthMonday,  3,        2022,   onwards},
    HolidayRule {u"山の日",         8,  Placing::Fixed,      11,       2016,   2019},
    HolidayRule {u"山の日",         8,  Placing::Fixed,      10,       2020,   2020},
    HolidayRule {u"山の日",         8,  Placing::Fixed,      8,        2021,   2021},
    HolidayRule {u"山の日",         8,  Placing::Fixed,      11,       2022,   onwards},
    HolidayRule {u"敬老の日",       9,  Placing::Fixed,      15,       always, 2002},
    HolidayRule {u"敬老の日",       9,  Placing::NthMonday,  3,        2003,   onwards},
    HolidayRule {u"秋分の日",       9,  Placing::Equinox,    23248800, always, onwards},
    HolidayRule {u"体育の日",       10, Placing::Fixed,      10,       always, 1999},
    HolidayRule {u"体育の日",       10, Placing::NthMonday,  2,        2000,   2019},
    HolidayRule {u"即位礼正殿の儀", 10, Placing::Fixed,      22,       2019,   2019},
    HolidayRule {u"スポーツの日",   10, Placing::NthMonday,  2,        2022,   onwards},
    HolidayRule {u"文化の日",       11, Placing::Fixed,      3,        always, onwards},
    HolidayRule {u"即位礼正殿の儀", 11, Placing::Fixed,      12,       1990,   1990},
    HolidayRule {u"勤労感謝の日",   11, Placing::Fixed,      23,       always, onwards},
    HolidayRule {u"天皇誕生日",     12, Placing::Fixed,      23,       1989,   2018},
};
// clang-format on

// A Sunday holiday moves to the Monday after it, and from 2007 on to the first day after it that
// is no holiday. A day between two holidays is a rest day from 1986 on; before 2007 not when it
// falls on a Sunday.
constexpr int firstYearOfInBetweenDays = 1986;
constexpr int firstYearOfPresentRules = 2007;

constexpr qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// Returns: the day of the month on which `rule` places its holiday in `year`, or 0 when it
// cannot be placed there (no weekday for the year, a formula that leaves the month).
int dayOf(const HolidayRule &rule, int year)
{
    switch (rule.placing) {
    case Placing::Fixed:
        return rule.value;
    case Placing::NthMonday: {
        const int first = weekdayOf(year, rule.month, 1);
        if (first == noWeekday)
            return 0;
        return 1 + (8 - first) % 7 + 7 * (rule.value - 1);
    }
    case Placing::Equinox: {
        // ⌊c + 0.242194·(Y − 1980)⌋ − ⌊(Y − 1980) / 4⌋, in whole millionths so that no rounding
        // of a binary fraction moves a day.
        const qint64 years = qint64(year) - 1980;
        const qint64 day = floorDiv(rule.value + 242194 * years, 1000000) - floorDiv(years, 4);
        return day >= 1 && day <= 31 ? int(day) : 0;
    }
    }
    return 0;
}

struct MonthDay
{
    int month;
    int day;
};

// Enters the substitute holidays and the days between two holidays of a supported year, walking
// the year day by day so that a neighbour in another month counts like any other.
void addRestDays(HolidayTable &table, int year)
{
    std::vector<MonthDay> days;
    days.reserve(366);
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1, length = QDate(year, month, 1).daysInMonth(); day <= length; ++day)
            days.push_back({month, day});
    }
    const int firstWeekday = weekdayOf(year, 1, 1);
    const auto isSunday = [&](std::size_t i) { return (firstWeekday + int(i)) % 7 == 0; };
    std::vector<bool> named(days.size());
    for (std::size_t i = 0; i < days.size(); ++i)
        named[i] = table.flag(days[i].month, days[i].day) == 1;
    const auto enter = [&](std::size_t i, QString name) {
        table.holidayFlag[days[i].month][days[i].day] = 1;
        table.holidayName[days[i].month][days[i].day] = std::move(name);
    };

    for (std::size_t i = 0; i < days.size(); ++i) {
        if (!named[i] || !isSunday(i))
            continue;
        std::size_t next = i + 1;
        if (year >= firstYearOfPresentRules) {
            while (next < days.size() && named[next])
                ++next;
        }
        if (next < days.size() && !named[next])
            enter(next, substituteHolidayName());
    }
    if (year < firstYearOfInBetweenDays)
        return;
    for (std::size_t i = 1; i + 1 < days.size(); ++i) {
        if (named[i - 1] && named[i + 1] && table.flag(days[i].month, days[i].day) == 0
            && (year >= firstYearOfPresentRules || !isSunday(i)))
            enter(i, citizensHolidayName());
    }
}

} // namespace

QString substituteHolidayName()
{
    return QStringLiteral("振替休日");
}

QString citizensHolidayName()
{
    return QStringLiteral("国民の休日");
}

int buildHolidays(HolidayTable &table, int year)
{
    table = HolidayTable {};
    int leftOut = 0;
    for (const HolidayRule &rule : rules) {
        if (year < rule.firstYear || year > rule.lastYear)
            continue;
        const int day = dayOf(rule, year);
        if (day == 0) {
            ++leftOut;
            continue;
        }
        table.holidayFlag[rule.month][day] = 1;
        table.holidayName[rule.month][day] = rule.name.toString();
    }
    if (isSupportedYear(year))
        addRestDays(table, year);
    return leftOut;
}

} // namespace kyotu1
