#include "koyomi/monthrows.h"

#include "koyomi/koyomi.h"

namespace koyomi {

QStringList monthColumns()
{
    return {QStringLiteral("日付"), QStringLiteral("曜日"), QStringLiteral("祝日"),
            QStringLiteral("旧暦"), QStringLiteral("六曜"), QStringLiteral("節気・雑節")};
}

std::vector<QStringList> monthRows(int year, int month, const kyotu1::HolidayTable &holidays)
{
    std::vector<QStringList> rows;
    for (QDate date(year, month, 1); date.isValid() && date.month() == month;
         date = date.addDays(1)) {
        const std::optional<Day> day = dayOf(date);
        if (!day)
            break;
        // The column's heading says 旧暦.
        const QString lunar = lunarDateText(*day).sliced(2);
        rows.push_back({date.toString(QStringLiteral("yyyy/MM/dd")),
                        kyotu1::weekdayHeader(date.dayOfWeek() % 7),
                        holidays.name(month, date.day()), lunar, rokuyoName(day->rokuyo),
                        day->names.join(QStringLiteral("・"))});
    }
    return rows;
}

QString asTabSeparatedText(const std::vector<QStringList> &rows)
{
    QString text = monthColumns().join(u'\t') + u'\n';
    for (const QStringList &row : rows)
        text += row.join(u'\t') + u'\n';
    return text;
}

} // namespace koyomi
