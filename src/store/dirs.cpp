#include "store/dirs.h"

#include "common/messages.h"
#include "platform/platform.h"
#include "store/cp932.h"
#include "store/faultinjector.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/savefile.h"
#include "store/schedulefile.h"
#include "store/target.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <numeric>
#include <vector>

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
    }
    return messages::bug();
}

// --- Sorting -------------------------------------------------------------------------------

// The sort key: the first eight characters, compared by UTF-16 code unit; a key that is the
// beginning of the other sorts first.
bool keyLess(QStringView a, QStringView b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](QChar x, QChar y) { return x.unicode() < y.unicode(); });
}

// Returns: for each item, the rank of its key among all keys (equal keys, equal ranks), so the
// sort compares integers.
std::vector<int> keyRanks(const QStringList &items)
{
    const qsizetype n = items.size();
    std::vector<qsizetype> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), qsizetype(0));
    const auto key = [&](qsizetype k) { return record::keyOf(items[k]); };
    const auto less = [&](qsizetype a, qsizetype b) { return keyLess(key(a), key(b)); };
    // The file is kept sorted, so the items are usually a sorted run with a few new records
    // behind it: sort only what follows the run and merge.
    const auto run = std::is_sorted_until(order.begin(), order.end(), less);
    std::sort(run, order.end(), less);
    std::inplace_merge(order.begin(), run, order.end(), less);
    std::vector<int> ranks(static_cast<size_t>(n));
    int rank = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && keyLess(key(order[k - 1]), key(order[k])))
            ++rank;
        ranks[size_t(order[k])] = rank;
    }
    return ranks;
}

// The smallest rank in each range of positions, to find the next smaller key in O(log n).
class MinTree
{
public:
    explicit MinTree(const std::vector<int> &values)
        : m_count(values.size()), m_leaves(std::bit_ceil(std::max<size_t>(values.size(), 1))),
          m_min(2 * m_leaves, INT_MAX)
    {
        rebuild(0, values);
    }

    void set(size_t position, int value)
    {
        size_t node = position + m_leaves;
        m_min[node] = value;
        for (node /= 2; node >= 1; node /= 2)
            m_min[node] = std::min(m_min[2 * node], m_min[2 * node + 1]);
    }

    // Takes the values of positions `from` to the end from `values`.
    void rebuild(size_t from, const std::vector<int> &values)
    {
        if (from >= m_count)
            return;
        std::copy(values.begin() + std::ptrdiff_t(from), values.end(),
                  m_min.begin() + std::ptrdiff_t(m_leaves + from));
        for (size_t first = (m_leaves + from) / 2, last = (m_leaves + m_count - 1) / 2; first >= 1;
             first /= 2, last /= 2) {
            for (size_t node = first; node <= last; ++node)
                m_min[node] = std::min(m_min[2 * node], m_min[2 * node + 1]);
        }
    }

    // Returns: the first position at or after `from` whose value is below `limit`, or -1.
    qsizetype firstBelow(size_t from, int limit) const
    {
        if (from >= m_count)
            return -1;
        size_t node = from + m_leaves;
        for (;;) {
            if (m_min[node] < limit) {
                while (node < m_leaves) {
                    node *= 2;
                    if (m_min[node] >= limit)
                        ++node;
                }
                return qsizetype(node - m_leaves);
            }
            // On to the next range to the right: up while this is a right half.
            while (node & 1)
                node /= 2;
            if (node == 0)
                return -1;
            ++node;
        }
    }

private:
    size_t m_count;
    size_t m_leaves;
    std::vector<int> m_min;
};

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

// The exchange sort "for i < j: if key(i) > key(j), exchange i and j" in one pass over i moves
// only the successive strictly smaller keys ("record lows") after position i: the holder of
// position i goes to the first record low, each record low goes to the next one's place, and
// the last, the first occurrence of the smallest key, comes to position i. Each pass finds
// its record lows with the tree instead of comparing with every later item, so a sorted list
// with a few records appended costs O(n log n). A pass with many record lows (a list sorted the
// other way round) compares linearly, as the loop would, so no list costs more than the loop.
void sortSchedules(QStringList &items)
{
    const qsizetype n = items.size();
    if (n < 2)
        return;
    std::vector<int> rank = keyRanks(items);
    // Which item of `items` is at each position.
    std::vector<qsizetype> origin(static_cast<size_t>(n));
    std::iota(origin.begin(), origin.end(), qsizetype(0));
    MinTree tree(rank);
    const qsizetype depth = std::bit_width(size_t(n));

    for (qsizetype i = 0; i + 1 < n; ++i) {
        int carriedRank = rank[size_t(i)];
        qsizetype carriedItem = origin[size_t(i)];
        // Beyond this many record lows, comparing with every later item is cheaper.
        const qsizetype affordable = (n - i) / (2 * depth) + 1;
        qsizetype last = i;
        qsizetype steps = 0;
        for (; steps < affordable; ++steps) {
            const qsizetype p = tree.firstBelow(size_t(last + 1), carriedRank);
            if (p < 0)
                break;
            std::swap(carriedRank, rank[size_t(p)]);
            std::swap(carriedItem, origin[size_t(p)]);
            tree.set(size_t(p), rank[size_t(p)]); // only positions after p are searched again
            last = p;
        }
        const bool linear = steps == affordable;
        if (linear) {
            for (qsizetype j = last + 1; j < n; ++j) {
                if (rank[size_t(j)] < carriedRank) {
                    std::swap(carriedRank, rank[size_t(j)]);
                    std::swap(carriedItem, origin[size_t(j)]);
                }
            }
        }
        rank[size_t(i)] = carriedRank;
        origin[size_t(i)] = carriedItem;
        if (linear)
            tree.rebuild(size_t(i), rank);
        else
            tree.set(size_t(i), carriedRank);
    }

    QStringList sorted;
    sorted.reserve(n);
    for (const qsizetype from : origin)
        sorted.append(std::move(items[from]));
    items = std::move(sorted);
}

AddResult addRecords(const QString &path, const AddRequest &request, FaultInjector *faults,
                     std::chrono::milliseconds lockWait)
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
        return refused(result, AddStatus::FileUnreadable, schedulefile::errorText(file.error));

    // Held from reading the file until its new content is in place.
    filelock::ScheduleLock lock(file.path);
    switch (lock.acquire(lockWait)) {
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

    // Every record the date had is replaced; lines without a date key are kept.
    const QString key = record::dateKey(request.year, request.month, request.day);
    QStringList items;
    qsizetype firstDropped = -1;
    fieldreader::forEachField(
            contents.text,
            [&](QStringView field) {
                if (record::keyOf(field) != key)
                    items.append(field.toString());
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

    const savefile::Result saved = savefile::save(file.path, bytes.bytes, faults);
    if (!saved.ok)
        return refused(result, AddStatus::WriteFailed, saved.error);
    result.status = AddStatus::Written;
    result.written = std::move(bytes.bytes);
    return result;
}

AddResult addSchedule(Platform &platform, const AddRequest &request, FaultInjector *faults,
                      std::chrono::milliseconds lockWait)
{
    const QString path = schedulePath(platform);
    const AddResult result = addRecords(path, request, faults, lockWait);
    platform.showMessage(messageFor(result, path));
    return result;
}

} // namespace dirs
