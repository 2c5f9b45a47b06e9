#include "calendar/rekovabas.h"

#include "common/kyotu1.h"
#include "common/messages.h"
#include "store/cp932.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/record.h"

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
        return kyotu1::weekdayBracketed((m_firstWeekday + day - 1) % 7);
    }

private:
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

// The keys are ASCII digits, which in CP932 are single bytes that no other character uses:
// a field's bytes begin with a key exactly when its text does, so no field needs decoding.
void markIfOfMonth(MonthSchedules &schedules, QByteArrayView monthKey, QByteArrayView field)
{
    if (field.size() >= 8 && field.startsWith(monthKey))
        schedules.mark(field[6], field[7]);
}

QString decoded(QByteArrayView field)
{
    return cp932::decode(field).text;
}

QStringList listLinesOfText(QStringView text)
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

} // namespace

Schedules readSchedules(Platform &platform)
{
    return readSchedules(dirs::schedulePath(platform));
}

Schedules readSchedules(const QString &path)
{
    Schedules source;
    source.file.path = path;
    if (!source.file.isSet())
        return source;
    schedulefile::Bytes contents = schedulefile::readBytes(source.file.path);
    source.file.status = contents.status;
    source.file.error = std::move(contents.error);
    source.bytes = std::move(contents.bytes);
    return source;
}

MonthSchedules loadMonthSchedules(QByteArrayView bytes, int year, int month)
{
    MonthSchedules schedules(year, month);
    const QByteArray key = record::monthKey(year, month).toLatin1();
    fieldreader::forEachField(bytes,
                              [&](QByteArrayView field) { markIfOfMonth(schedules, key, field); });
    return schedules;
}

DayMemo loadDayMemo(QByteArrayView bytes, int year, int month, int day)
{
    DayMemo result;
    const QByteArray key = record::dateKey(year, month, day).toLatin1();
    QList<QByteArrayView> records;
    fieldreader::forEachField(bytes, [&](QByteArrayView field) {
        if (record::keyOf(field) == key)
            records.append(field);
    });
    if (records.isEmpty())
        return result;
    // Repeats can give a date several records, and an add replaces them all: the box shows
    // every memo of the date, so that none is dropped unseen, and keeps any alarm.
    result.found = true;
    result.alarm = false;
    QStringList memos;
    for (const QByteArrayView field : std::as_const(records)) {
        const QString rec = decoded(field);
        result.records.append(rec);
        if (const QStringView memo = record::memoOf(rec); !memo.isEmpty())
            memos.append(memo.toString());
        result.alarm = result.alarm || record::alarmOn(rec);
    }
    result.memo = memos.join(QStringLiteral("\r\n"));
    return result;
}

// Every record is shown, so the whole file is decoded at once.
QStringList listLines(QByteArrayView bytes)
{
    return listLinesOfText(cp932::decode(bytes).text);
}

ListEntries listEntries(QByteArrayView bytes)
{
    ListEntries entries;
    const QString text = cp932::decode(bytes).text;
    entries.lines = listLinesOfText(text);
    entries.records.reserve(entries.lines.size());
    fieldreader::forEachField(QStringView(text), [&](QStringView field) {
        if (record::beginsWithDateKey(field))
            entries.records.append(field.toString());
    });
    return entries;
}

void AlarmNotices::consider(QByteArrayView field, QByteArrayView today)
{
    // The ninth byte follows eight single-byte digits, so it is the ninth character.
    if (field.size() < 9 || field[8] != '1' || !record::beginsWithDateKey(field)
        || field.first(8) > today)
        return;
    m_fields.append({field.data() - m_bytes.constData(), field.size()});
}

QString AlarmNotices::text(qsizetype index) const
{
    const QString rec = decoded(record(index));
    QString date;
    date.reserve(16);
    WeekdayLabels labels;
    appendDateLine(date, rec, labels);
    return messages::alarmNotice(date, record::memoOf(rec).toString());
}

QByteArrayView AlarmNotices::record(qsizetype index) const
{
    const auto [start, length] = m_fields.at(index);
    return QByteArrayView(m_bytes).sliced(start, length);
}

StartUp startUp(const QByteArray &bytes, int year, int month, QStringView todayKey)
{
    StartUp found {MonthSchedules(year, month), {}};
    found.notices.m_bytes = bytes;
    const QByteArray key = record::monthKey(year, month).toLatin1();
    const QByteArray today = todayKey.toLatin1();
    fieldreader::forEachField(QByteArrayView(found.notices.m_bytes), [&](QByteArrayView field) {
        markIfOfMonth(found.month, key, field);
        found.notices.consider(field, today);
    });
    return found;
}

} // namespace rekovabas
