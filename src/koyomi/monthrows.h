#pragma once

// The 暦 of a month as a table, one row a day, for the 暦 window and its copy as text.

#include "common/kyotu1.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace koyomi {

// The column headings: 日付, 曜日, 祝日, 旧暦, 六曜, 節気・雑節.
QStringList monthColumns();

// Preconditions: `holidays` built for `year`.
// Returns: a row for each day of the month: "2026/02/01", "日", the holiday's name or "",
// "12月14日" or "閏11月1日", the 六曜, and the solar term and 雑節 joined by "・". No rows for a
// month outside 1980..2069.
std::vector<QStringList> monthRows(int year, int month, const kyotu1::HolidayTable &holidays);

// Returns: the headings and the rows, each a line of tab-separated cells ending in "\n".
QString asTabSeparatedText(const std::vector<QStringList> &rows);

} // namespace koyomi
