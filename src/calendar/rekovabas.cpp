#include "calendar/rekovabas.h"

#include "common/kyotu1.h"
#include "common/messages.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/schedulefile.h"

namespace rekovabas {

namespace {

struct Source
{
    FileOutcome file;
    QString text;
};

// Reads the schedule file named by the setting, whole.
Source readSource(Platform &platform)
{
    Source source;
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

// Characters [from, from + 2) or [from, from + 4) of a record known to begin with digits.
int digitsAt(QStringView rec, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i)
        value = value * 10 + (rec[i].unicode() - u'0');
    return value;
}

} // namespace

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

MonthLoad loadMonthSchedules(Platform &platform, int year, int month)
{
    MonthLoad load;
    load.schedules = MonthSchedules(year, month);
    const Source source = readSource(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.schedules = monthSchedules(source.text, year, month);
    return load;
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
    const Source source = readSource(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.day = dayMemo(source.text, year, month, day);
    return load;
}

QString dateLine(QStringView rec)
{
    QString line;
    line.reserve(13);
    line += rec.first(4);
    line += u'/';
    line += rec.sliced(4, 2);
    line += u'/';
    line += rec.sliced(6, 2);
    line += kyotu1::weekdayLabel(digitsAt(rec, 0, 4), digitsAt(rec, 4, 2), digitsAt(rec, 6, 2));
    return line;
}

QString listLine(QStringView rec)
{
    static const QString alarmOnMark = QStringLiteral("-ｱﾗｰﾑ有-");
    static const QString alarmOffMark = QStringLiteral("-ｱﾗｰﾑ無-");
    const QStringView memo = record::memoOf(rec);
    QString line;
    line.reserve(13 + 6 + memo.size());
    line += dateLine(rec);
    line += record::alarmOn(rec) ? alarmOnMark : alarmOffMark;
    line += memo;
    return line;
}

QStringList listLines(QStringView text)
{
    QStringList lines;
    fieldreader::forEachField(text, [&](QStringView field) {
        if (record::beginsWithDateKey(field))
            lines.append(listLine(field));
    });
    return lines;
}

ListLoad listAll(Platform &platform)
{
    ListLoad load;
    const Source source = readSource(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.lines = listLines(source.text);
    return load;
}

AllLoad loadAll(Platform &platform)
{
    AllLoad load;
    const Source source = readSource(platform);
    load.file = source.file;
    if (load.file.status == ReadStatus::Read)
        load.records = fieldreader::readFields(source.text);
    return load;
}

QStringList alarmNotices(QStringView text, QStringView todayKey)
{
    QStringList notices;
    fieldreader::forEachField(text, [&](QStringView field) {
        if (record::alarmOn(field) && record::beginsWithDateKey(field)
            && field.first(8) <= todayKey)
            notices.append(
                    messages::alarmNotice(dateLine(field), record::memoOf(field).toString()));
    });
    return notices;
}

AlarmCheck alarmCheck(Platform &platform, const QString &todayKey)
{
    AlarmCheck check;
    const Source source = readSource(platform);
    check.file = source.file;
    if (check.file.status == ReadStatus::Read)
        check.notices = alarmNotices(source.text, todayKey);
    return check;
}

} // namespace rekovabas
