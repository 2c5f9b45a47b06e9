#include "koyomi/koyomi.h"

#include "common/kyotu1.h"
#include "koyomi/astro.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

namespace koyomi {

namespace {

constexpr double meanSynodicMonth = 29.530588853;

double julianDate(int year, int month, int day)
{
    return double(QDate(year, month, day).toJulianDay()) - 0.5;
}

// The JST day on which the Sun reaches `degrees` near the given date.
int termDay(int degrees, double nearJd)
{
    return astro::jstDay(astro::sunReaches(degrees, nearJd));
}

// The date in `year` near which the Sun is at `degrees`: 春分 falls about 20 March.
double nearDateOf(int degrees, int year)
{
    return julianDate(year, 3, 20) + std::fmod(degrees + 360.0, 360.0) / 360 * 365.2422
            - (degrees >= 285 ? 365.2422 : 0);
}

YearTable buildYear(int year)
{
    YearTable table;
    table.year = year;
    const int solstices[3]
            = {termDay(270, julianDate(year - 1, 12, 21)), termDay(270, julianDate(year, 12, 21)),
               termDay(270, julianDate(year + 1, 12, 21))};

    // The first days of months from before the first 冬至 to after the last.
    std::vector<int> newMoons;
    for (double jd = astro::newMoonNear(julianDate(year - 1, 12, 21) - meanSynodicMonth);
         newMoons.empty() || newMoons.back() <= solstices[2];
         jd = astro::newMoonNear(jd + meanSynodicMonth))
        newMoons.push_back(astro::jstDay(jd));

    // The 中気 from the first 冬至 to the last, and every term of the year itself, from 大寒
    // (300°) round to 小寒 (285°).
    std::vector<int> principalTerms;
    for (int y = year; y <= year + 1; ++y) {
        for (int degrees = 300; degrees < 300 + 360; degrees += 15) {
            if (y > year && degrees % 30 != 0)
                continue;
            const int day = termDay(degrees % 360, nearDateOf(degrees % 360, y));
            if (degrees % 30 == 0)
                principalTerms.push_back(day);
            if (y == year)
                table.namedDays.push_back({day, solarTermName(degrees % 360), true});
        }
    }
    principalTerms.push_back(solstices[0]);
    std::sort(principalTerms.begin(), principalTerms.end());

    for (const MiscellaneousDay &misc : miscellaneousDays())
        table.namedDays.push_back(
                {termDay(misc.degrees, nearDateOf(misc.degrees, year)) + misc.offsetDays,
                 misc.name.toString(), false});
    std::stable_sort(table.namedDays.begin(), table.namedDays.end(),
                     [](const NamedDay &a, const NamedDay &b) {
                         return a.day != b.day ? a.day < b.day : a.solarTerm > b.solarTerm;
                     });

    const int firstDay = int(QDate(year, 1, 1).toJulianDay());
    const int lastDay = int(QDate(year, 12, 31).toJulianDay());
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (const LunarMonth &month : numberMonths(newMoons, principalTerms, solstices[cycle],
                                                    solstices[cycle + 1], year - 1 + cycle))
            table.months.push_back(month);
    }
    // Only the months that hold a day of the year stay.
    const auto endOf = [&](std::size_t i) {
        return i + 1 < table.months.size() ? table.months[i + 1].firstDay : solstices[2] + 31;
    };
    std::vector<LunarMonth> held;
    for (std::size_t i = 0; i < table.months.size(); ++i) {
        if (endOf(i) > firstDay && table.months[i].firstDay <= lastDay)
            held.push_back(table.months[i]);
    }
    table.months = std::move(held);
    return table;
}

struct Cached
{
    std::once_flag built;
    std::unique_ptr<YearTable> table;
};

std::array<Cached, lastYear - firstYear + 1> &cache()
{
    static std::array<Cached, lastYear - firstYear + 1> years;
    return years;
}

} // namespace

const YearTable &yearTable(int year)
{
    Cached &cached = cache()[std::size_t(year - firstYear)];
    std::call_once(cached.built,
                   [&] { cached.table = std::make_unique<YearTable>(buildYear(year)); });
    return *cached.table;
}

std::optional<Day> dayOf(QDate date)
{
    if (!date.isValid() || date.year() < firstYear || date.year() > lastYear)
        return std::nullopt;
    const YearTable &table = yearTable(date.year());
    const int jdn = int(date.toJulianDay());
    const auto month
            = std::upper_bound(table.months.begin(), table.months.end(), jdn,
                               [](int day, const LunarMonth &m) { return day < m.firstDay; });
    if (month == table.months.begin())
        return std::nullopt;
    Day day;
    day.month = *std::prev(month);
    day.lunarDay = jdn - day.month.firstDay + 1;
    day.rokuyo = rokuyoOf(day.month.month, day.lunarDay);
    const auto named = std::lower_bound(table.namedDays.begin(), table.namedDays.end(), jdn,
                                        [](const NamedDay &n, int d) { return n.day < d; });
    for (auto it = named; it != table.namedDays.end() && it->day == jdn; ++it)
        day.names.append(it->name);
    return day;
}

QString lunarDateText(const Day &day)
{
    return QStringLiteral("旧暦%1%2月%3日")
            .arg(day.month.leap ? QStringLiteral("閏") : QString())
            .arg(day.month.month)
            .arg(day.lunarDay);
}

QString eraDateText(QDate date)
{
    return eraYearText(eraOf(date)) + QStringLiteral("%1月%2日").arg(date.month()).arg(date.day())
            + kyotu1::weekdayBracketed(date.dayOfWeek() % 7);
}

QString dayLine(QDate date)
{
    const std::optional<Day> day = dayOf(date);
    if (!day)
        return {};
    QStringList parts {eraDateText(date), lunarDateText(*day), rokuyoName(day->rokuyo)};
    parts += day->names;
    return parts.join(u' ');
}

QString monthEraText(int year, int month)
{
    const QDate first(year, month, 1);
    const EraYear from = eraOf(first);
    const EraYear to = eraOf(first.addDays(first.daysInMonth() - 1));
    QString text = eraYearText(from);
    if (to.era != from.era)
        text += QStringLiteral("・") + eraYearText(to);
    return text + QStringLiteral("（") + etoOfYear(year) + QStringLiteral("）");
}

} // namespace koyomi
