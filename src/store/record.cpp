#include "store/record.h"

namespace record {

QString dateKey(int year, int month, int day)
{
    return QStringLiteral("%1%2%3")
            .arg(year, 4, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'))
            .arg(day, 2, 10, QLatin1Char('0'));
}

QString monthKey(int year, int month)
{
    return QStringLiteral("%1%2")
            .arg(year, 4, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'));
}

namespace {

template<typename View> bool beginsWithDigits(View record)
{
    if (record.size() < 8)
        return false;
    for (qsizetype i = 0; i < 8; ++i) {
        if (record[i] < u'0' || record[i] > u'9')
            return false;
    }
    return true;
}

} // namespace

bool beginsWithDateKey(QStringView record)
{
    return beginsWithDigits(record);
}

bool beginsWithDateKey(QByteArrayView record)
{
    return beginsWithDigits(record);
}

} // namespace record
