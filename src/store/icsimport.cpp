#include "store/icsimport.h"

#include "common/messages.h"
#include "platform/platform.h"
#include "store/cp932.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/importadd.h"
#include "store/record.h"
#include "store/schedulefile.h"

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

QString messageFor(const importadd::Result &result, const QString &path)
{
    switch (result.status) {
    case dirs::AddStatus::Written:
        return messages::icsImportDone(result.added, result.present);
    case dirs::AddStatus::FileHasInvalidBytes:
        return messages::fileHasInvalidBytes(path);
    case dirs::AddStatus::FileHasStrayText:
        return messages::fileHasStrayText(path, result.detail);
    case dirs::AddStatus::FileUnreadable:
        return messages::fileUnreadable(path, result.detail);
    case dirs::AddStatus::FileLocked:
        return messages::fileLocked(path);
    case dirs::AddStatus::WriteFailed:
        return messages::fileNotWritten(path, result.detail);
    case dirs::AddStatus::NotSet:
        return messages::scheduleFileNotSet();
    case dirs::AddStatus::EmptyMemo:
    case dirs::AddStatus::MemoHasQuote:
    case dirs::AddStatus::MemoNotEncodable:
        break;
    }
    return messages::bug();
}

} // namespace

Plan plan(const QList<icalendar::Memo> &memos, QStringView existing)
{
    // Date key and text of every record, the text with line feeds as the memos have them and
    // without blanks around it: calendar readers drop those.
    QSet<QString> held;
    fieldreader::forEachField(existing, [&](QStringView field) {
        if (record::beginsWithDateKey(field))
            held.insert(record::keyOf(field).toString()
                        + withLineFeeds(record::memoOf(field)).trimmed());
    });

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
        if (const cp932::Encoded encoded = cp932::encode(stored); !encoded.isValid()) {
            result.leftOut.append({label(memo),
                                   messages::icsNotEncodable(
                                           cp932::characterAt(stored, encoded.firstUnencodable))});
            continue;
        }
        held.insert(key + memo.text.trimmed());
        result.records.append(key + (memo.alarm ? u'1' : u'0') + stored);
    }
    return result;
}

bool importSchedules(Platform &platform, const StoreOptions &options)
{
    const QString path = dirs::schedulePath(platform);
    if (path.isEmpty()) {
        platform.showMessage(messages::scheduleFileNotSet());
        return false;
    }
    const std::optional<QString> chosen = platform.chooseOpenFileName(
            {QStringLiteral("iCalendar (*.ics *.ical *.ifb)"), QStringLiteral("All Files (*)")});
    if (!chosen || chosen->isEmpty())
        return false;
    if (QFileInfo(*chosen).size() > sizeLimit) {
        platform.showMessage(messages::icsTooLarge(*chosen));
        return false;
    }
    const schedulefile::Bytes calendar = schedulefile::readBytes(*chosen);
    if (calendar.status != schedulefile::Status::Present) {
        platform.showMessage(messages::icsFileUnreadable(
                *chosen,
                calendar.status == schedulefile::Status::Unreadable ? calendar.error
                                                                    : messages::notRegularFile()));
        return false;
    }
    const icalendar::Parsed parsed
            = icalendar::parse(calendar.bytes, QDate(firstYear, 1, 1), QDate(lastYear, 12, 31));
    if (!parsed.isCalendar) {
        platform.showMessage(messages::icsNotCalendar(*chosen));
        return false;
    }

    // What the file holds now, for the question; the add sorts the memos out again under the
    // lock, against the file as it is then.
    const schedulefile::Contents existing = schedulefile::read(path);
    if (existing.status == schedulefile::Status::Unreadable) {
        platform.showMessage(messages::fileUnreadable(path, existing.error));
        return false;
    }
    const Plan preview = plan(parsed.memos, existing.text);
    const QList<icalendar::LeftOut> leftOut = parsed.leftOut + preview.leftOut;
    if (preview.records.isEmpty()) {
        platform.showMessage(
                messages::icsImportNothing(preview.present, leftOutLines(leftOut), leftOut.size()));
        return false;
    }
    if (!platform.askYesNo(messages::icsImportQuestion(preview.records.size(), preview.present,
                                                       leftOutLines(leftOut), leftOut.size()),
                           messages::icsImportTitle()))
        return false;

    const importadd::Result result = importadd::addMemos(path, parsed.memos, options);
    platform.showMessage(messageFor(result, path));
    return result.status == dirs::AddStatus::Written && result.added > 0;
}

} // namespace icsimport
