#include "calendar/rekovabas.h"

#include "common/kyotu1.h"
#include "common/messages.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/schedulefile.h"

namespace rekovabas {

namespace {

// Characters [from, from + 2) or [from, from + 4) of a record known to begin with digits.
int digitsAt(QStringView rec, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (rec[i].unicode() - u'0');
    return value;
}

// Weekday labels of a list, with the weekday of each month's first day kept from one record to
// the next: within a month the weekday only moves with the day.
class WeekdayLabels
{
public:
    QString label(int year, int month, int day)
    {
        if (!kyotu1::isSupportedYear(year) || month < 1 || month > 12 || day < 1 || day > 31)
            return kyotu1::weekdayLabel(year, month, day);
        if (year != m_year || month != m_month) {
            m_year = year;
            m_month = month;
            m_firstWeekday = kyotu1::weekdayOf(year, month, 1);
        }
        return labels()[std::size_t((m_firstWeekday + day - 1) % 7)];
    }

private:
    static const std::array<QString, 7> &labels()
    {
        // 17 December 2000 was a Sunday.
        static const std::array<QString, 7> all {
                kyotu1::weekdayLabel(2000, 12, 17), kyotu1::weekdayLabel(2000, 12, 18),
                kyotu1::weekdayLabel(2000, 12, 19), kyotu1::weekdayLabel(2000, 12, 20),
                kyotu1::weekdayLabel(2000, 12, 21), kyotu1::weekdayLabel(2000, 12, 22),
                kyotu1::weekdayLabel(2000, 12, 23)};
        return all;
    }

    int m_year = 0;
    int m_month = 0;
    int m_firstWeekday = 0;
};

// Appends the date line of a record that begins with a date key to `line`.
void appendDateLine(QString &line, QStringView rec, WeekdayLabels &labels)
{
    line += rec.first(4);
    line += u'/';
    line += rec.sliced(4, 2);
    line += u'/';
    line += rec.sliced(6, 2);
    line += labels.label(digitsAt(rec, 0, 4), digitsAt(rec, 4, 2), digitsAt(rec, 6, 2));
}

void appendListLine(QString &line, QStringView rec, WeekdayLabels &labels)
{
    static const QString alarmOnMark = QStringLiteral("-ｱﾗｰﾑ有-");
    static const QString alarmOffMark = QStringLiteral("-ｱﾗｰﾑ無-");
    appendDateLine(line, rec, labels);
    line += record::alarmOn(rec) ? alarmOnMark : alarmOffMark;
    line += record::memoOf(rec);
}

} // namespace

ScheduleText readSchedules(Platform &platform)
{
    ScheduleText source;
    source.file.path = dirs::schedulePath(platform);
    if (source.file.path.isEmpty())
        return source;
    schedulefile::Contents contents = schedulefile::read(source.file.path);
    switch (contents.status) {
    case schedulefile::Status::Absent:
        source.file.status = ReadStatus::Absent;
        break;
    case schedulefile::Status::Unreadable:
        source.file.status = ReadStatus::Unreadable;
        source.file.error = contents.error;
        break;
    case schedulefile::Status::Present:
        source.file.status = ReadStatus::Read;
        source.text = std::move(contents.text);
        break;
    }
    return source;
}

MonthSchedules monthSchedules(QStringView text, int year, int month)
{
    MonthSchedules schedules(year, month);
    const QString &key = schedules.monthKey();
    fieldreader::forEachField(text, [&](QStringView field) {
        if (field.startsWith(key))
            schedules.append(field);
    });
    return schedules;
}

MonthLoad loadMonthSchedules(const ScheduleText &source, int year, int month)
{
    MonthLoad load;
    load.file = source.file;
    load.schedules = load.file.status == ReadStatus::Read ? monthSchedules(source.text, year, month)
                                                          : MonthSchedules(year, month);
    return load;
}

MonthLoad loadMonthSchedules(Platform &platform, int year, int month)
{
    return loadMonthSchedules(readSchedules(platform), year, month);
}

DayMemo dayMemo(QStringView text, int year, int month, int day)
{
    DayMemo result;
    const QString key = record::dateKey(year, month, day);
    QStringView last;
    fieldreader::forEachField(text, [&](QStringView field) {
        if (record::keyOf(field) == key) {
            last = field;
            result.found = true;
        }
    });
    if (result.found) {
        result.memo = record::memoOf(last).toString();
        result.alarm = record::alarmOn(last);
    }
    return result;
}

DayLoad loadDayMemo(Platform &platform, int year, int month, int day)
{
    DayLoad load;
    const ScheduleText source = readSchedules(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.day = dayMemo(source.text, year, month, day);
    return load;
}

QStringList listLines(QStringView text)
{
    QStringList lines;
    WeekdayLabels labels;
    fieldreader::forEachField(text, [&](QStringView field) {
        if (!record::beginsWithDateKey(field))
            return;
        QString line;
        line.reserve(19 + record::memoOf(field).size());
        appendListLine(line, field, labels);
        lines.append(std::move(line));
    });
    return lines;
}

ListLoad listAll(Platform &platform)
{
    ListLoad load;
    const ScheduleText source = readSchedules(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.lines = listLines(source.text);
    return load;
}

AllLoad loadAll(Platform &platform)
{
    AllLoad load;
    const ScheduleText source = readSchedules(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.records = fieldreader::readFields(source.text);
    return load;
}

QStringList alarmNotices(QStringView text, QStringView todayKey)
{
    QStringList notices;
    WeekdayLabels labels;
    fieldreader::forEachField(text, [&](QStringView field) {
        if (!record::alarmOn(field) || !record::beginsWithDateKey(field)
            || field.first(8) > todayKey)
            return;
        QString date;
        appendDateLine(date, field, labels);
        notices.append(messages::alarmNotice(date, record::memoOf(field).toString()));
    });
    return notices;
}

AlarmCheck alarmCheck(const ScheduleText &source, const QString &todayKey)
{
    AlarmCheck check;
    check.file = source.file;
    if (check.file.status == ReadStatus::Read)
        check.notices = alarmNotices(source.text, todayKey);
    return check;
}

AlarmCheck alarmCheck(Platform &platform, const QString &todayKey)
{
    return alarmCheck(readSchedules(platform), todayKey);
}

} // namespace rekovabas
