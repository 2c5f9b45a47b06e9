#include "store/dirs.h"

#include "platform/platform.h"
#include "store/cp932.h"
#include "store/record.h"
#include "store/transaction.h"

#include <QSet>

#include <new>
#include <variant>

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

AddResult refused(AddResult result, AddStatus status, const Reason &detail = Reason())
{
    result.status = status;
    result.detail = detail;
    return result;
}

} // namespace

QString schedulePath(Platform &platform)
{
    return platform.readSetting(settingsSection, settingsKey);
}

bool storeSchedulePath(Platform &platform, const QString &path, QString *error)
{
    return platform.writeSetting(settingsSection, settingsKey, path, error);
}

namespace {

// The memo as the file stores it, or the refusal when it cannot be stored.
std::variant<QByteArray, AddResult> encodedMemo(const AddRequest &request, AddResult result)
{
    // The file has no way to escape a quotation mark: it would end the record early.
    if (request.memo.contains(u'"'))
        return refused(result, AddStatus::MemoHasQuote);
    const QString memo = withCrLf(request.memo);
    cp932::Encoded encoded = cp932::encode(memo);
    if (!encoded.isValid()) {
        return refused(result, AddStatus::MemoNotEncodable,
                       Reason::named(Reason::Kind::Unencodable,
                                     cp932::characterAt(memo, encoded.firstUnencodable)));
    }
    return std::move(encoded.bytes);
}

// The records an add writes: the date's, and one for each repeat year. Clears the repeat boxes
// that cannot fall on the date again in `repeat`.
QList<QByteArray> newRecords(const AddRequest &request, const QByteArray &memo,
                             std::array<bool, 5> &repeat)
{
    const QByteArray memoPart = (request.alarm ? "1" : "0") + memo;
    QList<QByteArray> records {record::dateKey(request.year, request.month, request.day).toLatin1()
                               + memoPart};
    if (request.month == 2 && request.day == 29) {
        // Only the four-year repeat falls on a 29 February again.
        repeat[0] = repeat[1] = repeat[2] = repeat[4] = false;
    }
    for (int years = 1; years <= 5; ++years) {
        if (repeat[size_t(years - 1)])
            records.append(
                    record::dateKey(request.year + years, request.month, request.day).toLatin1()
                    + memoPart);
    }
    return records;
}

// The lines of a memo as the file holds it (lines end in CR LF), empty ones left out.
QList<QByteArrayView> memoLines(QByteArrayView memo)
{
    QList<QByteArrayView> lines;
    while (!memo.isEmpty()) {
        const qsizetype end = memo.indexOf("\r\n");
        const QByteArrayView line = end < 0 ? memo : memo.first(end);
        if (!line.isEmpty())
            lines.append(line);
        memo = end < 0 ? QByteArrayView() : memo.sliced(end + 2);
    }
    return lines;
}

// The change an add makes to the file's fields: every record the date had is replaced (or only
// those the box was loaded from, to keep both) by the new records; lines without a date key
// are kept. Nothing is changed when the date's records are not those the box was loaded from.
class DateReplacement
{
public:
    DateReplacement(const AddRequest &request, QList<QByteArray> records)
        : m_request(request),
          m_key(record::dateKey(request.year, request.month, request.day).toLatin1()),
          m_records(std::move(records))
    { }

    // Runs once for each read of the file, under its lock.
    bool apply(transaction::Fields &fields)
    {
        m_current.clear();
        std::optional<QStringList> toReplace = m_request.replaceOnly;
        fields.removeIf([&](const QByteArray &field) {
            if (record::keyOf(QByteArrayView(field)) != m_key)
                return false;
            m_current.append(cp932::decode(field).text);
            return !toReplace || toReplace->removeOne(m_current.constLast());
        });
        // Read under the lock: nothing can arrive between this look and the save.
        m_dateChanged = m_request.seen && m_current != *m_request.seen;
        if (m_dateChanged)
            return false;
        if (!m_request.replaceOnly) {
            fields.append(m_records);
            return true;
        }
        // Keeping both: the lines of the memo that the date's other records hold already are not
        // written twice, or each round of keeping both while another machine edits the same day
        // would double them.
        QSet<QByteArrayView> held;
        for (const QByteArray &field : std::as_const(fields)) {
            if (record::keyOf(QByteArrayView(field)) == m_key)
                for (const QByteArrayView line :
                     memoLines(QByteArrayView(field).sliced(qMin<qsizetype>(9, field.size()))))
                    held.insert(line);
        }
        QList<QByteArray> records = m_records;
        QByteArray own = records.takeFirst();
        const QByteArrayView head = QByteArrayView(own).first(9);
        QByteArray kept;
        for (const QByteArrayView line : memoLines(QByteArrayView(own).sliced(9))) {
            if (held.contains(line))
                continue;
            if (!kept.isEmpty())
                kept += "\r\n";
            kept += line;
        }
        if (!kept.isEmpty())
            fields.append(head.toByteArray() + kept);
        fields.append(records);
        return true;
    }

    // Whether the last read found the date's records changed, and those records.
    bool dateChanged() const { return m_dateChanged; }
    QStringList takeCurrent() { return std::move(m_current); }

private:
    const AddRequest &m_request;
    QByteArray m_key;
    QList<QByteArray> m_records;
    QStringList m_current;
    bool m_dateChanged = false;
};

// The add's result from the locked step's; `repeat` holds the boxes as the records were built.
AddResult finishedAdd(AddResult result, transaction::Result done, DateReplacement &replacement,
                      const std::array<bool, 5> &repeat)
{
    if (replacement.dateChanged() && done.status == transaction::Status::Refused) {
        result.current = replacement.takeCurrent();
        return refused(result, AddStatus::DateChanged);
    }
    // The boxes show what the add wrote or was about to write.
    if (done.status == transaction::Status::Done || done.status == transaction::Status::WriteFailed)
        result.repeat = repeat;
    result.status = statusOf(done.status);
    result.detail = std::move(done.detail);
    result.written = std::move(done.written);
    return result;
}

} // namespace

AddResult addRecords(const QString &path, const AddRequest &request, const StoreOptions &options)
{
    AddResult result;
    result.repeat = request.repeat;
    try {
        if (request.memo.isEmpty())
            return refused(result, AddStatus::EmptyMemo);
        if (path.isEmpty())
            return refused(result, AddStatus::NotSet);
        auto memo = encodedMemo(request, result);
        if (AddResult *refusal = std::get_if<AddResult>(&memo))
            return *refusal;
        result.respelled = cp932::respellings(request.memo);

        std::array<bool, 5> repeat = request.repeat;
        DateReplacement replacement(request,
                                    newRecords(request, std::get<QByteArray>(memo), repeat));
        transaction::Result done = transaction::apply(
                path, [&](transaction::Fields &fields) { return replacement.apply(fields); },
                options);
        return finishedAdd(result, std::move(done), replacement, repeat);
    } catch (const std::bad_alloc &) {
        return refused(result, AddStatus::WriteFailed, Reason::of(Reason::Kind::OutOfMemory));
    }
}

AddStatus statusOf(transaction::Status status)
{
    switch (status) {
    case transaction::Status::Done:
        return AddStatus::Written;
    case transaction::Status::FileHasInvalidBytes:
        return AddStatus::FileHasInvalidBytes;
    case transaction::Status::FileHasStrayText:
        return AddStatus::FileHasStrayText;
    case transaction::Status::FileUnreadable:
        return AddStatus::FileUnreadable;
    case transaction::Status::FileLocked:
        return AddStatus::FileLocked;
    case transaction::Status::Stopped:
        return AddStatus::Stopped;
    case transaction::Status::Refused:
    case transaction::Status::WriteFailed:
        break;
    }
    return AddStatus::WriteFailed;
}

} // namespace dirs
