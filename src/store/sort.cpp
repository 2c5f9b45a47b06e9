#include "store/sort.h"

#include "store/cp932.h"
#include "store/record.h"

#include <QByteArray>
#include <QList>
#include <array>

#include <algorithm>
#include <bit>
#include <climits>
#include <numeric>
#include <vector>

namespace dirs {

namespace {

// The sort key: the first eight characters, compared by UTF-16 code unit; a key that is the
// beginning of the other sorts first.
bool keyLess(QStringView a, QStringView b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](QChar x, QChar y) { return x.unicode() < y.unicode(); });
}

// The sort key of a field of the file's undecoded bytes, as keyLess compares it: its first
// eight characters. A field that begins with eight ASCII bytes (every dated record) is its own
// key; any other is decoded as far as needed.
class ByteKey
{
public:
    explicit ByteKey(QByteArrayView field)
    {
        const QByteArrayView head = field.first(qMin<qsizetype>(8, field.size()));
        if (std::all_of(head.begin(), head.end(), [](char c) { return uchar(c) < 0x80; })) {
            for (const char c : head)
                m_units[size_t(m_size++)] = char16_t(uchar(c));
            return;
        }
        // Eight characters take at most sixteen bytes.
        const QString decoded = cp932::decode(field.first(qMin<qsizetype>(16, field.size()))).text;
        for (const QChar c : QStringView(decoded).first(qMin<qsizetype>(8, decoded.size())))
            m_units[size_t(m_size++)] = c.unicode();
    }
    QStringView view() const { return QStringView(m_units.data(), m_size); }

private:
    std::array<char16_t, 8> m_units {};
    qsizetype m_size = 0;
};

// Returns: for each of `n` items, the rank of its key among all keys (equal keys, equal ranks),
// so the sort compares integers. `less(a, b)` compares the keys of items a and b.
template<typename Less> std::vector<int> keyRanks(qsizetype n, Less less)
{
    std::vector<qsizetype> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), qsizetype(0));
    // The file is kept sorted, so the items are usually a sorted run with a few new records
    // behind it: sort only what follows the run and merge.
    const auto run = std::is_sorted_until(order.begin(), order.end(), less);
    std::sort(run, order.end(), less);
    std::inplace_merge(order.begin(), run, order.end(), less);
    std::vector<int> ranks(static_cast<size_t>(n));
    int rank = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && less(order[k - 1], order[k]))
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

// The exchange sort "for i < j: if key(i) > key(j), exchange i and j" in one pass over i moves
// only the successive strictly smaller keys ("record lows") after position i: the holder of
// position i goes to the first record low, each record low goes to the next one's place, and
// the last, the first occurrence of the smallest key, comes to position i. Each pass finds
// its record lows with the tree instead of comparing with every later item, so a sorted list
// with a few records appended costs O(n log n). A pass with many record lows (a list sorted the
// other way round) compares linearly, as the loop would, so no list costs more than the loop.
//
// Returns: which item is at each position after the sort, from the items' key ranks.
std::vector<qsizetype> exchangeOrder(std::vector<int> rank)
{
    const qsizetype n = qsizetype(rank.size());
    // Which item is at each position.
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
    return origin;
}

} // namespace

void sortSchedules(QStringList &items)
{
    const qsizetype n = items.size();
    if (n < 2)
        return;
    const auto key = [&](qsizetype k) { return record::keyOf(items[k]); };
    const std::vector<qsizetype> origin = exchangeOrder(
            keyRanks(n, [&](qsizetype a, qsizetype b) { return keyLess(key(a), key(b)); }));
    QStringList sorted;
    sorted.reserve(n);
    for (const qsizetype from : origin)
        sorted.append(std::move(items[from]));
    items = std::move(sorted);
}

std::vector<qsizetype> sortedOrder(const QList<QByteArray> &fields)
{
    const qsizetype n = fields.size();
    if (n < 2)
        return std::vector<qsizetype>(size_t(n), 0);
    const auto less = [&](qsizetype a, qsizetype b) {
        const uchar *x = reinterpret_cast<const uchar *>(fields[a].constData());
        const uchar *y = reinterpret_cast<const uchar *>(fields[b].constData());
        const qsizetype xs = qMin<qsizetype>(8, fields[a].size());
        const qsizetype ys = qMin<qsizetype>(8, fields[b].size());
        // Dated records compare byte by byte; anything else by its decoded key.
        if (std::all_of(x, x + xs, [](uchar c) { return c < 0x80; })
            && std::all_of(y, y + ys, [](uchar c) { return c < 0x80; }))
            return std::lexicographical_compare(x, x + xs, y, y + ys);
        return keyLess(ByteKey(fields[a]).view(), ByteKey(fields[b]).view());
    };
    return exchangeOrder(keyRanks(n, less));
}

} // namespace dirs
