#pragma once

// The readers of the schedule file for the main window, without any widget:
//   loadMonthSchedules  the records of the shown month, for the memo marks of the grid;
//   loadDayMemo         the memo and alarm flag of one day, for the entry area;
//   listAll / loadAll   every record, as list lines or unchanged;
//   alarmCheck          the start-up notices of memos with alarm dated today or earlier.
// Each reader fetches the path afresh, reads the whole file in one pass and says what it found;
// the window turns the outcome into controls and message boxes. The text-level functions
// beside each reader do the same work on text already decoded.

#include "calendar/monthview.h"

#include <QString>
#include <QStringList>
#include <QStringView>

class Platform;

namespace rekovabas {

enum class ReadStatus {
    NotSet,     // no schedule file is set
    Absent,     // nothing at the path, or something that is not a regular file
    Unreadable, // a file that exists could not be read; `error` says why
    Read,       // the file was read whole
};

struct FileOutcome
{
    ReadStatus status = ReadStatus::NotSet;
    QString path;
    QString error;
};

// The schedule file named by the setting, read whole and decoded.
struct ScheduleText
{
    FileOutcome file;
    QString text; // when file.status is Read
};
ScheduleText readSchedules(Platform &platform);

// The month loader. With the file read, `schedules` holds every record whose first six
// characters are the month key of (year, month), in file order. With no file set or none
// present it is empty, so the grid shows no marks; when the file cannot be read it is empty too
// and the caller keeps what it had.
struct MonthLoad
{
    FileOutcome file;
    MonthSchedules schedules;
};
MonthLoad loadMonthSchedules(Platform &platform, int year, int month);
MonthLoad loadMonthSchedules(const ScheduleText &source, int year, int month);
MonthSchedules monthSchedules(QStringView text, int year, int month);

// The memo of one day: the last record in file order whose first eight characters are the
// date key. Without such a record the memo is "" and the alarm box stays ticked.
struct DayMemo
{
    bool found = false;
    QString memo;      // characters 10 to the end, line breaks as stored
    bool alarm = true; // character 9 is "1"
};
struct DayLoad
{
    FileOutcome file;
    DayMemo day;
};
DayLoad loadDayMemo(Platform &platform, int year, int month, int day);
DayMemo dayMemo(QStringView text, int year, int month, int day);

// The list of all memos: one line per record that begins with a date key, in file order:
// characters 1-4, "/", 5-6, "/", 7-8 as they stand, the weekday label ("" for a date the
// calendar cannot compute), "-ｱﾗｰﾑ有-" or "-ｱﾗｰﾑ無-", and the memo, e.g.
// "2001/01/05（金）-ｱﾗｰﾑ無-新年会". Empty when no file is set or none is present.
struct ListLoad
{
    FileOutcome file;
    QStringList lines;
};
ListLoad listAll(Platform &platform);
QStringList listLines(QStringView text);

// Every field of the file unchanged, in file order.
struct AllLoad
{
    FileOutcome file;
    QStringList records;
};
AllLoad loadAll(Platform &platform);

// The alarm notices: one text for every record that begins with a date key, has the alarm
// flag "1" and a date key not after `todayKey`, in file order. The date line of a notice is
// that of the list line, without the alarm mark.
struct AlarmCheck
{
    FileOutcome file;
    QStringList notices;
};
AlarmCheck alarmCheck(Platform &platform, const QString &todayKey);
AlarmCheck alarmCheck(const ScheduleText &source, const QString &todayKey);
QStringList alarmNotices(QStringView text, QStringView todayKey);

} // namespace rekovabas
