#include "caldav/eventmap.h"

#include "common/messages.h"
#include "store/cp932.h"
#include "store/record.h"

namespace eventmap {

namespace {

QString withLineFeeds(QStringView text)
{
    QString value = text.toString();
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(u'\r', u'\n');
    return value;
}

QDate dateOf(QStringView record)
{
    if (!record::beginsWithDateKey(record))
        return {};
    return QDate(record.first(4).toInt(), record.sliced(4, 2).toInt(), record.sliced(6, 2).toInt());
}

} // namespace

std::optional<icalendar::Memo> memoOf(const QString &record)
{
    const QDate date = dateOf(record);
    if (!date.isValid() || date.year() < firstYear || date.year() > lastYear)
        return std::nullopt;
    const QString text = withLineFeeds(record::memoOf(record));
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return icalendar::Memo {date, text, record::alarmOn(record)};
}

QByteArray eventOf(const QString &record, const QString &uid, QDate stamp)
{
    const std::optional<icalendar::Memo> memo = memoOf(record);
    return memo ? icalendar::formatEvent(*memo, uid, stamp) : QByteArray();
}

Incoming recordOf(QByteArrayView ics)
{
    const icalendar::Resource resource
            = icalendar::readResource(ics, QDate(firstYear, 1, 1), QDate(lastYear, 12, 31));
    Incoming incoming;
    incoming.uid = resource.uid;
    incoming.leftOut = resource.leftOut;
    if (!resource.memo)
        return incoming;
    const icalendar::Memo &memo = *resource.memo;
    if (memo.text.contains(u'"')) {
        incoming.leftOut.reason = messages::icsHasQuote();
        return incoming;
    }
    QString text = memo.text;
    text.replace(u'\n', QStringLiteral("\r\n"));
    const QString record = record::dateKey(memo.date.year(), memo.date.month(), memo.date.day())
            + (memo.alarm ? u'1' : u'0') + text;
    const cp932::Encoded encoded = cp932::encode(record);
    if (!encoded.isValid()) {
        incoming.leftOut.reason
                = messages::icsNotEncodable(cp932::characterAt(record, encoded.firstUnencodable));
        return incoming;
    }
    // As the file will read it back (〜 as ～), which the next sync compares with.
    incoming.record = cp932::decode(encoded.bytes).text;
    return incoming;
}

QString matchKey(const QString &record)
{
    return record::keyOf(QStringView(record)).toString()
            + withLineFeeds(record::memoOf(record)).trimmed();
}

} // namespace eventmap
