#pragma once

// A schedule record is one field of the schedule file: characters 1-8 the date key
// (yyyymmdd), character 9 the alarm flag ("1" = on), characters 10 to the end the memo.
// On disk it is a quotation mark, the record, a quotation mark, CR LF.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace record {

// Returns: the date key "yyyymmdd", each number zero-padded ("0000", "00", "00").
QString dateKey(int year, int month, int day);
// Returns: the month key "yyyymm".
QString monthKey(int year, int month);

// Returns: true when the record begins with eight ASCII digits. The same on the record's
// undecoded bytes: in CP932 the digits are single bytes that no other character uses.
bool beginsWithDateKey(QStringView record);
bool beginsWithDateKey(QByteArrayView record);

inline QStringView keyOf(QStringView record)
{
    return record.first(qMin<qsizetype>(8, record.size()));
}

inline QByteArrayView keyOf(QByteArrayView record)
{
    return record.first(qMin<qsizetype>(8, record.size()));
}

// The alarm flag is on only when character 9 is "1".
inline bool alarmOn(QStringView record)
{
    return record.size() >= 9 && record[8] == u'1';
}

// Characters 10 to the end; empty for a record shorter than ten characters.
inline QStringView memoOf(QStringView record)
{
    return record.size() >= 10 ? record.sliced(9) : QStringView();
}

} // namespace record
