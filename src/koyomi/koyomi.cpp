#include "koyomi/koyomi.h"

#include "common/kyotu1.h"
#include "koyomi/astro.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <optional>

namespace koyomi {

namespace {

constexpr double meanSynodicMonth = 29.530588853;
constexpr double tropicalYear = 365.2422;

double julianDate(int year, int month, int day)
{
    return double(QDate(year, month, day).toJulianDay()) - 0.5;
}

// The JST day on which the Sun reaches `degrees` near the given date.
int termDay(int degrees, double nearJd)
{
    return astro::jstDay(astro::sunReaches(degrees, nearJd));
}

// The date in `year` near which the Sun is at `degrees`: 春分 falls about 20 March, and the
// year's terms run from 小寒 (285°) to 冬至 (270°).
double nearDateOf(int degrees, int year)
{
    return julianDate(year, 3, 20) + degrees / 360.0 * tropicalYear
            - (degrees >= 285 ? tropicalYear : 0);
}

// The year's terms in order, term k at (285 + 15k)°: 小寒 first, 冬至 (k = 23) last.
using Terms = std::array<int, 24>;
constexpr int degreesOf(int k)
{
    return (285 + 15 * k) % 360;
}
constexpr int solsticeTerm = 23;

// The months from the one that holds a 冬至 to the one before the month of the next, and the
// first day of that next month.
struct Cycle
{
    std::vector<LunarMonth> months;
    int end = 0;
};

// What the tables are made of, each computed once: a year's table needs the terms of the
// year before and after and the cycles that end and begin in it, which its neighbours share.
class Store
{
public:
    const YearTable &table(int year)
    {
        return m_tables[index(year)].get([&] { return computeTable(year); });
    }

private:
    template<typename T> struct Slot
    {
        std::once_flag once;
        std::optional<T> value;

        template<typename F> const T &get(F compute)
        {
            std::call_once(once, [&] { value = compute(); });
            return *value;
        }
    };
    // Indexes from firstYear − 1 to lastYear + 1.
    static std::size_t index(int year) { return std::size_t(year - firstYear + 1); }
    static constexpr std::size_t span = lastYear - firstYear + 3;

    const Terms &terms(int year)
    {
        return m_terms[index(year)].get([&] {
            Terms days {};
            double near = nearDateOf(degreesOf(0), year);
            for (int k = 0; k < 24; ++k) {
                const double instant = astro::sunReaches(degreesOf(k), near);
                days[std::size_t(k)] = astro::jstDay(instant);
                near = instant + tropicalYear / 24;
            }
            return days;
        });
    }

    const Cycle &cycle(int year)
    {
        return m_cycles[index(year)].get([&] {
            const int solstice = terms(year)[solsticeTerm];
            const int nextSolstice = terms(year + 1)[solsticeTerm];
            // The new moons from the last on or before the 冬至 to the first after the next.
            double jd = astro::newMoonNear(double(solstice) - 15);
            if (astro::jstDay(jd) > solstice)
                jd = astro::newMoonNear(jd - meanSynodicMonth);
            std::vector<int> newMoons {astro::jstDay(jd)};
            while (newMoons.back() <= nextSolstice) {
                jd = astro::newMoonNear(jd + meanSynodicMonth);
                newMoons.push_back(astro::jstDay(jd));
            }
            std::vector<int> principalTerms {solstice};
            for (int k = 0; k < 24; ++k) {
                if (degreesOf(k) % 30 == 0)
                    principalTerms.push_back(terms(year + 1)[std::size_t(k)]);
            }
            Cycle cycle;
            cycle.months = numberMonths(newMoons, principalTerms, solstice, nextSolstice, year);
            cycle.end
                    = *std::prev(std::upper_bound(newMoons.begin(), newMoons.end(), nextSolstice));
            return cycle;
        });
    }

    YearTable computeTable(int year);

    std::array<Slot<Terms>, span> m_terms;
    std::array<Slot<Cycle>, span> m_cycles;
    std::array<Slot<YearTable>, span> m_tables;
};

// The calendar of day `jdn` in `table`, which must hold it.
std::optional<Day> dayIn(const YearTable &table, int jdn)
{
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

QString lineOf(QDate date, const Day &day)
{
    QStringList parts {eraDateText(date), lunarDateText(day), rokuyoName(day.rokuyo)};
    parts += day.names;
    return parts.join(u' ');
}

YearTable Store::computeTable(int year)
{
    YearTable table;
    table.year = year;
    const Terms &days = terms(year);
    for (int k = 0; k < 24; ++k)
        table.namedDays.push_back({days[std::size_t(k)], solarTermName(degreesOf(k)), true});
    for (const MiscellaneousDay &misc : miscellaneousDays()) {
        // Most 雑節 count from a term's day; the others have a longitude of their own.
        const int k = ((misc.degrees - 285) % 360 + 360) % 360 / 15;
        const int day = misc.degrees % 15 == 0
                ? days[std::size_t(k)]
                : termDay(misc.degrees, nearDateOf(misc.degrees, year));
        table.namedDays.push_back({day + misc.offsetDays, misc.name.toString(), false});
    }
    std::stable_sort(table.namedDays.begin(), table.namedDays.end(),
                     [](const NamedDay &a, const NamedDay &b) {
                         return a.day != b.day ? a.day < b.day : a.solarTerm > b.solarTerm;
                     });

    // Only the months that hold a day of the year.
    const QDate first(year, 1, 1);
    const int firstDay = int(first.toJulianDay());
    const int lastDay = int(QDate(year, 12, 31).toJulianDay());
    std::vector<LunarMonth> months = cycle(year - 1).months;
    const Cycle &next = cycle(year);
    months.insert(months.end(), next.months.begin(), next.months.end());
    for (std::size_t i = 0; i < months.size(); ++i) {
        const int end = i + 1 < months.size() ? months[i + 1].firstDay : next.end;
        if (end > firstDay && months[i].firstDay <= lastDay)
            table.months.push_back(months[i]);
    }

    // The lines, made once: a month step only copies them.
    for (QDate date = first; date.year() == year; date = date.addDays(1)) {
        const std::optional<Day> day = dayIn(table, int(date.toJulianDay()));
        table.lines.push_back(day ? lineOf(date, *day) : QString());
    }
    return table;
}

Store &store()
{
    static const std::unique_ptr<Store> kept = std::make_unique<Store>();
    return *kept;
}

} // namespace

const YearTable &yearTable(int year)
{
    return store().table(year);
}

std::vector<YearTable> computeYears(int first, int last)
{
    const auto fresh = std::make_unique<Store>();
    std::vector<YearTable> tables;
    for (int year = first; year <= last; ++year)
        tables.push_back(fresh->table(year));
    return tables;
}

std::optional<Day> dayOf(QDate date)
{
    if (!date.isValid() || date.year() < firstYear || date.year() > lastYear)
        return std::nullopt;
    return dayIn(yearTable(date.year()), int(date.toJulianDay()));
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
    if (!date.isValid() || date.year() < firstYear || date.year() > lastYear)
        return {};
    return yearTable(date.year()).lines[std::size_t(date.dayOfYear() - 1)];
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
