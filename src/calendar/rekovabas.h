#pragma once

// The readers of the schedule file for the main window, without any widget. A user action
// reads the file once (readSchedules: its bytes and what became of the read), and these pure
// functions look at the bytes:
//   loadMonthSchedules  the records of the shown month, for the memo marks of the grid;
//   loadDayMemo         the memo and alarm flag of one day, for the entry area;
//   listAll             every record as a list line;
//   alarmCheck          the start-up notices of memos with alarm dated today or earlier.
// Only the fields that are shown are decoded from CP932 (the list shows them all). The window
// turns the outcome into controls and message boxes.

#include "calendar/monthview.h"

#include <QByteArray>
#include <QByteArrayView>
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

// The schedule file named by the setting, read whole and not decoded.
struct Schedules
{
    FileOutcome file;
    QByteArray bytes; // when file.status is Read
};
Schedules readSchedules(Platform &platform);

// The month loader. With the file read, `schedules` holds every record whose first six
// characters are the month key of (year, month), in file order. With no file set or none
// present it is empty, so the grid shows no marks; when the file cannot be read it is empty too
// and the caller keeps what it had.
struct MonthLoad
{
    FileOutcome file;
    MonthSchedules schedules;
};
MonthLoad loadMonthSchedules(const Schedules &source, int year, int month);
MonthSchedules monthSchedules(QByteArrayView bytes, int year, int month);

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
DayLoad loadDayMemo(const Schedules &source, int year, int month, int day);
DayMemo dayMemo(QByteArrayView bytes, int year, int month, int day);

// The list of all memos: one line per record that begins with a date key, in file order:
// characters 1-4, "/", 5-6, "/", 7-8 as they stand, the weekday label ("" for a date the
// calendar cannot compute), "-ｱﾗｰﾑ有-" or "-ｱﾗｰﾑ無-", and the memo, e.g.
// "2001/01/05（金）-ｱﾗｰﾑ無-新年会". Empty when no file is set or none is present.
struct ListLoad
{
    FileOutcome file;
    QStringList lines;
};
ListLoad listAll(const Schedules &source);
QStringList listLines(QByteArrayView bytes);

// The alarm notices: one text for every record that begins with a date key, has the alarm
// flag "1" and a date key not after `todayKey`, in file order. The date line of a notice is
// that of the list line, without the alarm mark.
struct AlarmCheck
{
    FileOutcome file;
    QStringList notices;
};
AlarmCheck alarmCheck(const Schedules &source, const QString &todayKey);
QStringList alarmNotices(QByteArrayView bytes, QStringView todayKey);

} // namespace rekovabas
