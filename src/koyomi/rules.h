#pragma once

// The rules of the Japanese calendar, apart from the astronomy that gives their instants:
// the eras, the 干支, the names of the 二十四節気, the 雑節 as days counted from the Sun's
// longitudes, the numbering of the 旧暦 months and the 六曜. Days are Julian day numbers.

#include <QDate>
#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace koyomi {

// An era year: 令和 8, or 平成 1, which is written 元年.
struct EraYear
{
    QStringView era;
    int year = 0;
};

// Returns: the era year of `date`, from 昭和 (1926-12-25) on; year 0 before it.
EraYear eraOf(QDate date);

// Returns: "令和8年", or "平成元年" for the first year of an era.
QString eraYearText(EraYear year);

// Returns: the 干支 of a Gregorian year, "丙午" for 2026.
QString etoOfYear(int year);

// Returns: the name of the solar term at `degrees` of the Sun's longitude (a multiple of 15),
// 0 being 春分.
QString solarTermName(int degrees);

// A 雑節: the day on which the Sun reaches `degrees` of longitude, moved by `offsetDays`.
struct MiscellaneousDay
{
    QStringView name;
    int degrees;
    int offsetDays;
};

// Every 雑節 of a year, each once.
const std::vector<MiscellaneousDay> &miscellaneousDays();

// A 旧暦 month: its first day, the 旧暦 year it belongs to, its number, and whether it is a
// leap month (閏), which repeats the number of the month before it.
struct LunarMonth
{
    int firstDay = 0;
    int year = 0;
    int month = 0;
    bool leap = false;

    friend bool operator==(const LunarMonth &, const LunarMonth &) = default;
};

// The months from the one that holds the 冬至 `solstice` (of the Gregorian year `year`) to the
// one before the month that holds the next 冬至 `nextSolstice`. `newMoons` are the first days of
// months in order and must reach from a day at or before `solstice` to a day after
// `nextSolstice`; `principalTerms` the days of the 中気 (the terms at 30k°) between the two.
// The month of the 冬至 is the 11th; when 13 months lie between the two 11th months, the first
// month without a 中気 is a leap month.
std::vector<LunarMonth> numberMonths(const std::vector<int> &newMoons,
                                     const std::vector<int> &principalTerms, int solstice,
                                     int nextSolstice, int year);

// Returns: the 六曜 of a 旧暦 date, 0 = 大安 … 5 = 仏滅: (month + day) mod 6, a leap month
// counting with its number.
int rokuyoOf(int month, int day);

// Returns: "大安", "赤口", "先勝", "友引", "先負" or "仏滅" for rokuyo 0 … 5.
QString rokuyoName(int rokuyo);

} // namespace koyomi
