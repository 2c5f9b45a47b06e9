#pragma once

// The Japanese calendar of every day of 1980 to 2069: the era date, the 旧暦 date and its 六曜,
// the 二十四節気 and the 雑節. Each year's table is computed from the astronomy (astro.h) by the
// rules (rules.h) when it is first asked for, and kept; any thread may ask.

#include "koyomi/rules.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace koyomi {

constexpr int firstYear = 1980;
constexpr int lastYear = 2069;

// A solar term or a 雑節 on its day.
struct NamedDay
{
    int day = 0; // Julian day number
    QString name;
    bool solarTerm = false; // one of the 二十四節気
};

// The calendar of one Gregorian year.
struct YearTable
{
    int year = 0;
    std::vector<LunarMonth> months;  // every 旧暦 month that holds a day of the year, in order
    std::vector<NamedDay> namedDays; // by day; a solar term before a 雑節 of its day
    std::vector<QString> lines;      // dayLine of each day, 1 January first
};

// Preconditions: `year` in firstYear..lastYear.
// Returns: the year's table, computed at the first call for the year.
const YearTable &yearTable(int year);

// Returns: the tables of the years `first` to `last` computed anew, with nothing kept from
// yearTable's, as yearTable computes them once (for measuring).
std::vector<YearTable> computeYears(int first, int last);

// What the calendar says of one day.
struct Day
{
    LunarMonth month;  // the 旧暦 month that holds the day
    int lunarDay = 0;  // 1..30
    int rokuyo = 0;    // 0 = 大安 … 5 = 仏滅 (rokuyoName)
    QStringList names; // its solar term and 雑節, the term first
};

// Returns: the calendar of `date`, or nothing outside 1980..2069.
std::optional<Day> dayOf(QDate date);

// Returns: "旧暦10月29日", "旧暦閏11月1日".
QString lunarDateText(const Day &day);

// Returns: "令和8年12月7日（月）", the first year of an era as 元年.
QString eraDateText(QDate date);

// Returns: the day in one line, "令和8年12月7日（月） 旧暦10月29日 友引 大雪": the era date with
// its weekday, the 旧暦 date, the 六曜 and any solar term and 雑節; "" outside 1980..2069.
QString dayLine(QDate date);

// Returns: the era year or years of a month with its 干支, "令和8年（丙午）", or
// "昭和64年・平成元年（己巳）" for January 1989.
QString monthEraText(int year, int month);

} // namespace koyomi
