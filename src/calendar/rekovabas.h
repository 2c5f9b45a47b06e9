#pragma once

// The readers of the schedule file for the main window, without any widget. A user action
// reads the file once (readSchedules: its bytes and what became of the read), and pure
// functions look at the bytes:
//   loadMonthSchedules  the days of the shown month that have a memo, for the grid's marks;
//   loadDayMemo         the memo and alarm flag of one day, for the entry area;
//   listLines           every record as a list line;
//   AlarmNotices        the notices of memos with alarm dated today or earlier;
//   startUp             the month's marks and the notices together, in one pass.
// Only the fields that are shown are decoded from CP932 (the list shows them all). Bytes that
// were not read (no file set, none there, unreadable) are empty and give empty answers; the
// window turns the outcome of the read into a message.
//
// The namespace rekovabas spans rekovabas.*, monthview.* (the month grid) and monthstep.h (the
// month buttons' steps).

#include "calendar/monthview.h"
#include "store/schedulefile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <utility>

class Platform;

namespace rekovabas {

// What became of reading the schedule file.
struct FileOutcome
{
    schedulefile::Status status = schedulefile::Status::Absent;
    QString path; // the file named by the setting, "" when none is set
    Reason error; // why, when Unreadable

    bool isSet() const { return !path.isEmpty(); }
};

// The schedule file named by the setting, read whole and not decoded.
struct Schedules
{
    FileOutcome file;
    QByteArray bytes; // empty unless file.status is Present
};
Schedules readSchedules(Platform &platform);

// The marks found in a file that was read; none from a file that could not be read, so that
// the month keeps the marks it gave before.
inline std::optional<MonthSchedules> marksOf(const Schedules &source, const MonthSchedules &found)
{
    if (source.file.status == schedulefile::Status::Unreadable)
        return std::nullopt;
    return found;
}
// The same for the file at `path` ("" for none set); it may run on any thread.
Schedules readSchedules(const QString &path);

// The days of (year, month) for which some record's first eight characters are the date key.
MonthSchedules loadMonthSchedules(QByteArrayView bytes, int year, int month);

// The memo of one day: that of the record whose first eight characters are the date key.
// Without such a record the memo is "" and the alarm box stays ticked. A date with several
// records gets their memos in file order, one per line, and the alarm when any of them has it:
// an add replaces them all with what the box holds.
struct DayMemo
{
    bool found = false;
    QString memo;      // characters 10 to the end, line breaks as stored
    bool alarm = true; // character 9 is "1"
    // The date's records, in file order.
    QStringList records;
};
DayMemo loadDayMemo(QByteArrayView bytes, int year, int month, int day);

// The list of all memos: one line per record that begins with a date key, in file order:
// characters 1-4, "/", 5-6, "/", 7-8 as they stand, the weekday label ("" for a date the
// calendar cannot compute), "-ｱﾗｰﾑ有-" or "-ｱﾗｰﾑ無-", and the memo, e.g.
// "2001/01/05（金）-ｱﾗｰﾑ無-新年会".
QStringList listLines(QByteArrayView bytes);

// The list's lines with the record behind each (the decoded field, "yyyymmddFmemo"), to delete
// or open the day of a line.
struct ListEntries
{
    QStringList lines;
    QStringList records;
};
ListEntries listEntries(QByteArrayView bytes);

// The alarm notices, found by startUp(): one for every record that begins with a date key, has the
// alarm flag "1" and a date key not after today's, in file order. The date line of a notice is that
// of the list line, without the alarm mark. Each notice is decoded only when its text is asked for,
// as it is shown: a file may hold thousands, shown one box at a time.
class AlarmNotices
{
public:
    qsizetype size() const { return m_fields.size(); }
    QString text(qsizetype index) const;
    // The record of notice `index`, as the file holds it.
    QByteArrayView record(qsizetype index) const;

private:
    friend struct StartUp startUp(const QByteArray &, int, int, QStringView);
    // Keeps `field`, a view into m_bytes, when it is a notice due by `today`.
    void consider(QByteArrayView field, QByteArrayView today);

    QByteArray m_bytes;
    QList<std::pair<qsizetype, qsizetype>> m_fields; // (start, length) in m_bytes
};

// What start-up shows: the marks of the month of today and the notices due, found in one
// pass over the bytes.
struct StartUp
{
    MonthSchedules month;
    AlarmNotices notices;
};
StartUp startUp(const QByteArray &bytes, int year, int month, QStringView todayKey);

} // namespace rekovabas
