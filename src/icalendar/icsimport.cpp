#include "icalendar/icsimport.h"

#include "common/linebreaks.h"
#include "common/messages.h"
#include "store/cp932.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/transaction.h"

#include <QSet>

namespace icsimport {

namespace {

QString label(const icalendar::Memo &memo)
{
    return messages::dateOf(memo.date) + u' ' + icalendar::summaryOf(memo.text);
}

} // namespace

QList<QByteArray> fieldsOf(const QByteArray &bytes)
{
    QList<QByteArray> fields;
    fieldreader::forEachField(QByteArrayView(bytes),
                              [&](QByteArrayView field) { fields.append(field.toByteArray()); });
    return fields;
}

Plan plan(const QList<icalendar::Memo> &memos, const QList<QByteArray> &fields)
{
    // Date key and text of every record, the text with line feeds as the memos have them and
    // without blanks around it: calendar readers drop those.
    QSet<QString> held;
    for (const QByteArray &field : fields) {
        if (!record::beginsWithDateKey(QByteArrayView(field)))
            continue;
        const QString item = cp932::decode(field).text;
        held.insert(record::keyOf(item).toString() + withLineFeeds(record::memoOf(item)).trimmed());
    }

    Plan result;
    for (const icalendar::Memo &memo : memos) {
        const QString key = record::dateKey(memo.date.year(), memo.date.month(), memo.date.day());
        if (held.contains(key + memo.text.trimmed())) {
            ++result.present;
            continue;
        }
        if (memo.text.contains(u'"')) {
            result.leftOut.append({label(memo), messages::icsHasQuote()});
            continue;
        }
        QString stored = memo.text;
        stored.replace(u'\n', QStringLiteral("\r\n"));
        const cp932::Encoded encoded = cp932::encode(stored);
        if (!encoded.isValid()) {
            result.leftOut.append({label(memo),
                                   messages::icsNotEncodable(
                                           cp932::characterAt(stored, encoded.firstUnencodable))});
            continue;
        }
        // The text as the file reads it back, which the next import compares with.
        const QString kept = withLineFeeds(cp932::decode(encoded.bytes).text).trimmed();
        if (held.contains(key + kept)) {
            ++result.present;
            continue;
        }
        for (const cp932::Respelling &respelling : cp932::respellings(memo.text)) {
            if (!result.respelled.contains(respelling))
                result.respelled.append(respelling);
        }
        held.insert(key + kept);
        result.records.append(key.toLatin1() + (memo.alarm ? '1' : '0') + encoded.bytes);
    }
    return result;
}

AddResult addMemos(const QString &path, const QList<icalendar::Memo> &memos,
                   const StoreOptions &options)
{
    AddResult result;
    if (path.isEmpty()) {
        result.status = dirs::AddStatus::NotSet;
        return result;
    }
    // Planned afresh for each read the step makes; nothing new refuses, so nothing is written.
    Plan added;
    transaction::Result done = transaction::apply(
            path,
            [&](transaction::Fields &fields) {
                added = plan(memos, fields);
                fields.append(added.records);
                return !added.records.isEmpty();
            },
            options);
    // Nothing new refuses the step: the file already holds every memo.
    result.status = done.status == transaction::Status::Refused ? dirs::AddStatus::Written
                                                                : dirs::statusOf(done.status);
    result.detail = std::move(done.detail);
    result.present = added.present;
    if (done.status == transaction::Status::Done)
        result.added = added.records.size();
    return result;
}

} // namespace icsimport
