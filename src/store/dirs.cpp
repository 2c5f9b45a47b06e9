#include "store/dirs.h"

#include "common/messages.h"
#include "platform/platform.h"
#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/savefile.h"
#include "store/schedulefile.h"
#include "store/sort.h"
#include "store/target.h"

namespace dirs {

namespace {

const QString settingsSection = QStringLiteral("startup");
const QString settingsKey = QStringLiteral("firstdir");

// The memo box ends lines with "\n"; the file keeps every line break as CR LF.
QString withCrLf(const QString &memo)
{
    QString text;
    text.reserve(memo.size() + memo.count(u'\n'));
    for (qsizetype k = 0; k < memo.size(); ++k) {
        const QChar c = memo[k];
        if (c == u'\r' || c == u'\n') {
            text += QStringLiteral("\r\n");
            if (c == u'\r' && k + 1 < memo.size() && memo[k + 1] == u'\n')
                ++k;
        } else {
            text += c;
        }
    }
    return text;
}

// Returns: the number, from 1, of the line that holds `position`; CR LF, LF and CR end lines.
qsizetype lineAt(QStringView text, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype k = 0; k < position; ++k) {
        if (text[k] == u'\n'
            || (text[k] == u'\r' && (k + 1 >= text.size() || text[k + 1] != u'\n')))
            ++line;
    }
    return line;
}

AddResult refused(AddResult result, AddStatus status, const QString &detail = QString())
{
    result.status = status;
    result.detail = detail;
    return result;
}

QString messageFor(const AddResult &result, const QString &path)
{
    switch (result.status) {
    case AddStatus::Written:
        return messages::writeCompleted();
    case AddStatus::EmptyMemo:
        return messages::memoEmpty();
    case AddStatus::NotSet:
        return messages::scheduleFileNotSet();
    case AddStatus::MemoHasQuote:
        return messages::memoHasQuote();
    case AddStatus::MemoNotEncodable:
        return messages::memoNotEncodable(result.detail);
    case AddStatus::FileHasInvalidBytes:
        return messages::fileHasInvalidBytes(path);
    case AddStatus::FileHasStrayText:
        return messages::fileHasStrayText(path, result.detail);
    case AddStatus::FileUnreadable:
        return messages::fileUnreadable(path, result.detail);
    case AddStatus::FileLocked:
        return messages::fileLocked(path);
    case AddStatus::WriteFailed:
        return messages::fileNotWritten(path, result.detail);
    case AddStatus::DateChanged:
    case AddStatus::Cancelled:
        break;
    }
    return messages::bug();
}

} // namespace

QString schedulePath(Platform &platform)
{
    return platform.readSetting(settingsSection, settingsKey);
}

bool storeSchedulePath(Platform &platform, const QString &path)
{
    QString error;
    if (platform.writeSetting(settingsSection, settingsKey, path, &error))
        return true;
    platform.showMessage(messages::settingNotSaved(error));
    return false;
}

AddResult addRecords(const QString &path, const AddRequest &request, const StoreOptions &options)
{
    AddResult result;
    result.repeat = request.repeat;
    if (request.memo.isEmpty())
        return refused(result, AddStatus::EmptyMemo);
    if (path.isEmpty())
        return refused(result, AddStatus::NotSet);
    // The file has no way to escape a quotation mark: it would end the record early.
    if (request.memo.contains(u'"'))
        return refused(result, AddStatus::MemoHasQuote);
    const QString memo = withCrLf(request.memo);
    if (const cp932::Encoded encoded = cp932::encode(memo); !encoded.isValid()) {
        return refused(result, AddStatus::MemoNotEncodable,
                       cp932::characterAt(memo, encoded.firstUnencodable));
    }

    // Every path to one file (a link, a link to a link) takes the same lock and writes the
    // same file; a link stays a link.
    const target::Target file = target::resolve(path);
    if (!file.ok())
        return refused(result, AddStatus::FileUnreadable, messages::systemError(file.error));

    // Held from reading the file until its new content is in place.
    filelock::ScheduleLock lock(file.path);
    switch (lock.acquire(options.lockWait)) {
    case filelock::ScheduleLock::Status::Locked:
        break;
    case filelock::ScheduleLock::Status::Busy:
        return refused(result, AddStatus::FileLocked);
    case filelock::ScheduleLock::Status::Unusable:
        return refused(result, AddStatus::WriteFailed, lock.error());
    }

    schedulefile::Contents contents = schedulefile::read(file.path);
    if (contents.status == schedulefile::Status::Unreadable)
        return refused(result, AddStatus::FileUnreadable, contents.error);
    // Rewriting would turn the bytes it cannot read into something else for good.
    if (contents.status == schedulefile::Status::Present && contents.firstInvalidByte >= 0)
        return refused(result, AddStatus::FileHasInvalidBytes);

    // Every record the date had is replaced (or those the box was loaded from, to keep both);
    // lines without a date key are kept.
    const QString key = record::dateKey(request.year, request.month, request.day);
    QStringList items;
    QStringList current;
    std::optional<QStringList> toReplace = request.replaceOnly;
    qsizetype firstDropped = -1;
    fieldreader::forEachField(
            contents.text,
            [&](QStringView field) {
                if (record::keyOf(field) != key) {
                    items.append(field.toString());
                    return;
                }
                current.append(field.toString());
                if (toReplace && !toReplace->removeOne(current.constLast()))
                    items.append(current.constLast());
            },
            [&](qsizetype position) {
                if (firstDropped < 0)
                    firstDropped = position;
            });
    // Text after a closing quotation mark is not part of any record: rewriting the file would
    // lose it (a record typed by hand after a stray mark, say).
    if (firstDropped >= 0) {
        return refused(result, AddStatus::FileHasStrayText,
                       QString::number(lineAt(contents.text, firstDropped)));
    }
    // Read under the lock: nothing can arrive between this look and the save.
    if (request.seen && current != *request.seen) {
        result.current = std::move(current);
        return refused(result, AddStatus::DateChanged);
    }
    const qsizetype oldSize = contents.text.size();
    contents.text = QString(); // the items hold everything now; keep one copy in memory

    const QString memoPart = (request.alarm ? QStringLiteral("1") : QStringLiteral("0")) + memo;
    items.append(key + memoPart);
    if (request.month == 2 && request.day == 29) {
        // Only the four-year repeat falls on a 29 February again.
        result.repeat[0] = result.repeat[1] = result.repeat[2] = result.repeat[4] = false;
    }
    for (int years = 1; years <= 5; ++years) {
        if (result.repeat[size_t(years - 1)])
            items.append(record::dateKey(request.year + years, request.month, request.day)
                         + memoPart);
    }
    sortSchedules(items);

    QString text;
    text.reserve(oldSize + 2 * items.size() + 6 * (memoPart.size() + 8));
    for (const QString &item : std::as_const(items))
        record::appendFileLine(text, item);
    cp932::Encoded bytes = cp932::encode(text);
    if (!bytes.isValid())
        return refused(result, AddStatus::FileHasInvalidBytes);

    const savefile::Result saved = savefile::save(file.path, bytes.bytes, options);
    if (!saved.ok)
        return refused(result, AddStatus::WriteFailed, saved.error);
    result.status = AddStatus::Written;
    result.written = std::move(bytes.bytes);
    return result;
}

namespace {

// Asks what to do with a memo for a date whose records changed; nullopt to cancel.
std::optional<AddRequest> askAboutChangedDate(Platform &platform, AddRequest request,
                                              const std::optional<QStringList> &loaded,
                                              const AddResult &result)
{
    const QString key = record::dateKey(request.year, request.month, request.day);
    const QString date = key.first(4) + u'/' + key.sliced(4, 2) + u'/' + key.sliced(6, 2);
    QStringList memos;
    for (const QString &rec : result.current)
        memos.append(record::memoOf(rec).toString());
    switch (platform.askChoice(messages::dateChanged(date, memos), messages::dateChangedTitle(),
                               messages::dateChangedButtons())) {
    case 0: // keep both: the records that arrived stay, those the box showed are replaced
        request.replaceOnly = loaded;
        break;
    case 1:
        request.replaceOnly.reset();
        break;
    default:
        return std::nullopt;
    }
    // Asked again if the date changes once more before the add.
    request.seen = result.current;
    return request;
}

} // namespace

AddResult addSchedule(Platform &platform, const AddRequest &request, const StoreOptions &options)
{
    const QString path = schedulePath(platform);
    AddRequest attempt = request;
    for (;;) {
        AddResult result = addRecords(path, attempt, options);
        if (result.status != AddStatus::DateChanged) {
            platform.showMessage(messageFor(result, path));
            return result;
        }
        const std::optional<AddRequest> next
                = askAboutChangedDate(platform, attempt, request.seen, result);
        if (!next) {
            result.status = AddStatus::Cancelled;
            return result;
        }
        attempt = *next;
    }
}

} // namespace dirs
