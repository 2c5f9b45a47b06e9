#include "icalendar/icsimport.h"

#include "common/kyotu1.h"
#include "common/messages.h"
#include "platform/platform.h"
#include "store/cp932.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/schedulefile.h"
#include "store/transaction.h"

#include <QFileInfo>
#include <QSet>

namespace icsimport {

namespace {

// Larger calendar files are refused before they are read.
constexpr qint64 sizeLimit = 64 * 1024 * 1024;
// The question names this many events that are left out, and counts the rest.
constexpr qsizetype leftOutShown = 15;

QString withLineFeeds(QStringView text)
{
    QString value = text.toString();
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(u'\r', u'\n');
    return value;
}

QString label(const icalendar::Memo &memo)
{
    return memo.date.toString(QStringLiteral("yyyy/MM/dd")) + u' '
            + icalendar::summaryOf(memo.text);
}

QStringList leftOutLines(const QList<icalendar::LeftOut> &leftOut)
{
    QStringList lines;
    for (qsizetype k = 0; k < leftOut.size() && k < leftOutShown; ++k)
        lines.append(messages::elided(leftOut[k].event, 40) + QStringLiteral("：")
                     + leftOut[k].reason);
    return lines;
}

// The fields of the file's bytes, as the locked step hands them to its change.
QList<QByteArray> fieldsOf(const QByteArray &bytes)
{
    QList<QByteArray> fields;
    fieldreader::forEachField(QByteArrayView(bytes),
                              [&](QByteArrayView field) { fields.append(field.toByteArray()); });
    return fields;
}

} // namespace

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

namespace {

// Asks for a calendar file and reads its events, through `run` as the add: a large calendar takes
// seconds. Returns: nothing, after telling the user why when there was a reason, when no
// calendar was chosen or it cannot be read.
std::optional<icalendar::Parsed> chosenCalendar(Platform &platform, const dirs::Runner &run)
{
    const std::optional<QString> chosen = platform.chooseOpenFileName(
            {QStringLiteral("iCalendar (*.ics *.ical *.ifb)"), QStringLiteral("All Files (*)")});
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    if (QFileInfo(*chosen).size() > sizeLimit) {
        platform.showMessage(messages::icsTooLarge(*chosen), messages::applicationTitle());
        return std::nullopt;
    }
    const schedulefile::Bytes calendar = schedulefile::readBytes(*chosen);
    if (calendar.status != schedulefile::Status::Present) {
        platform.showMessage(
                messages::icsFileUnreadable(*chosen,
                                            calendar.status == schedulefile::Status::Unreadable
                                                    ? calendar.error
                                                    : messages::notRegularFile()),
                messages::applicationTitle());
        return std::nullopt;
    }
    // Events outside the years the calendar shows are left out.
    icalendar::Parsed parsed;
    const auto read = [&] {
        parsed = icalendar::parse(calendar.bytes, QDate(kyotu1::firstYear, 1, 1),
                                  QDate(kyotu1::lastYear, 12, 31), platform.today());
    };
    run ? run(read) : read();
    if (!parsed.isCalendar) {
        platform.showMessage(messages::icsNotCalendar(*chosen), messages::applicationTitle());
        return std::nullopt;
    }
    return parsed;
}

// How an add of an import ended.
struct AddResult
{
    // Written, NotSet or why the file could not be changed, as for an add of one memo.
    dirs::AddStatus status = dirs::AddStatus::Written;
    QString detail;
    qsizetype added = 0;   // records written; 0 leaves the file untouched
    qsizetype present = 0; // memos the file already had
};

// Adds `memos` to the file at `path` in one locked step, sorted out against its records as
// they are once the lock is held: every line of the file stays, the new records join them.
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

// Tells the user how the add of an import ended.
void reportImport(Platform &platform, const AddResult &result, const QString &path)
{
    if (result.status == dirs::AddStatus::Written && result.added == 0) {
        // Another program added the same memos since the question.
        platform.showMessage(messages::icsImportNothing(result.present, {}, 0),
                             messages::applicationTitle());
    } else if (result.status == dirs::AddStatus::Written) {
        platform.showMessage(messages::icsImportDone(result.added, result.present),
                             messages::applicationTitle());
    } else {
        dirs::AddResult failure;
        failure.status = result.status;
        failure.detail = result.detail;
        platform.showMessage(dirs::addMessage(failure, path), messages::applicationTitle());
    }
}

} // namespace

bool importSchedules(Platform &platform, const StoreOptions &options, const dirs::Runner &run)
{
    const QString path = dirs::schedulePath(platform);
    if (path.isEmpty()) {
        platform.showMessage(messages::scheduleFileNotSet(), messages::applicationTitle());
        return false;
    }
    const std::optional<icalendar::Parsed> parsed = chosenCalendar(platform, run);
    if (!parsed)
        return false;

    // What the file holds now, for the question; the add sorts the memos out again under the
    // lock, against the file as it is then.
    const schedulefile::Bytes existing = schedulefile::readBytes(path);
    if (existing.status == schedulefile::Status::Unreadable) {
        platform.showMessage(messages::fileUnreadable(path, existing.error),
                             messages::applicationTitle());
        return false;
    }
    const Plan preview = plan(parsed->memos, fieldsOf(existing.bytes));
    const QList<icalendar::LeftOut> leftOut = parsed->leftOut + preview.leftOut;
    if (preview.records.isEmpty()) {
        platform.showMessage(
                messages::icsImportNothing(preview.present, leftOutLines(leftOut), leftOut.size()),
                messages::applicationTitle());
        return false;
    }
    QStringList respelled;
    for (const cp932::Respelling &respelling : preview.respelled)
        respelled.append(messages::icsRespelled(respelling.from, respelling.to));
    if (!platform.askYesNo(messages::icsImportQuestion(preview.records.size(), preview.present,
                                                       respelled, leftOutLines(leftOut),
                                                       leftOut.size()),
                           messages::icsImportTitle()))
        return false;

    AddResult result;
    const auto add = [&] { result = addMemos(path, parsed->memos, options); };
    run ? run(add) : add();
    reportImport(platform, result, path);
    return result.status == dirs::AddStatus::Written && result.added > 0;
}

} // namespace icsimport
