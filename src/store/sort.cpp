#include "store/sort.h"

#include "store/cp932.h"
#include "store/record.h"

#include <QByteArray>
#include <QList>
#include <array>

#include <algorithm>
#include <bit>
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

// Counts of items by key rank, with the number of items below a rank in O(log n).
class Counts
{
public:
    explicit Counts(size_t ranks) : m_tree(ranks + 1, 0) { }
    void add(int rank)
    {
        for (size_t node = size_t(rank) + 1; node < m_tree.size(); node += node & -node)
            ++m_tree[node];
    }
    // Returns: how many of the items added have a rank below `rank`.
    qsizetype below(int rank) const
    {
        qsizetype count = 0;
        for (size_t node = size_t(rank); node > 0; node -= node & -node)
            count += m_tree[node];
        return count;
    }

private:
    std::vector<qsizetype> m_tree;
};

// The places of a list that items were inserted into one by one, at `insertedAt[k]` (an index
// into the list as it was then): where each item stands at the end, in O(n log n). Taken from
// the last insertion back: the last item took the free place its index names, and each earlier
// one the place its index names among those left free.
std::vector<qsizetype> finalPlaces(const std::vector<qsizetype> &insertedAt)
{
    const size_t n = insertedAt.size();
    // A tree of free places, each node counting those of its range.
    const size_t leaves = std::bit_ceil(std::max<size_t>(n, 1));
    std::vector<qsizetype> free(2 * leaves, 0);
    for (size_t k = 0; k < n; ++k)
        free[leaves + k] = 1;
    for (size_t node = leaves - 1; node >= 1; --node)
        free[node] = free[2 * node] + free[2 * node + 1];
    std::vector<qsizetype> places(n, 0);
    for (size_t k = n; k-- > 0;) {
        qsizetype wanted = insertedAt[k];
        size_t node = 1;
        while (node < leaves) {
            node *= 2;
            if (free[node] <= wanted) {
                wanted -= free[node];
                ++node;
            }
        }
        places[k] = qsizetype(node - leaves);
        for (; node >= 1; node /= 2)
            --free[node];
    }
    return places;
}

// The exchange sort "for i < j: if key(i) > key(j), exchange i and j" puts the keys in order;
// what it does to items of equal keys follows from what one pass does. A pass finds the
// smallest key after position i and brings its first item to i, moving a chain of strictly
// smaller keys ("record lows") one place of the chain on each. For the items of one key k, seen
// among the items of smaller keys only, a pass does this: the first smaller item goes, and when
// an item of key k comes before it, the first of those takes its place, after the others of key
// k before it. Read in file order, that is a queue: an item of key k joins its back, and each
// smaller item after the first of them moves the queue's front to its back. The queue at the
// end is the order of key k's items. Counting the smaller items between them and rotating by
// that count keeps this within O(n log n) for any file, where the loop takes O(n²).
//
// Returns: which item is at each position after the sort, from the items' key ranks.
std::vector<qsizetype> exchangeOrder(const std::vector<int> &rank)
{
    const size_t n = rank.size();
    const int ranks = n == 0 ? 0 : *std::max_element(rank.begin(), rank.end()) + 1;
    // How many items of smaller keys come before each item.
    std::vector<qsizetype> smallerBefore(n);
    Counts seen {size_t(ranks)};
    for (size_t k = 0; k < n; ++k) {
        smallerBefore[k] = seen.below(rank[k]);
        seen.add(rank[k]);
    }
    // The items of each key in file order, the keys in order.
    std::vector<qsizetype> firstOfRank(size_t(ranks) + 1, 0);
    for (const int r : rank)
        ++firstOfRank[size_t(r) + 1];
    std::partial_sum(firstOfRank.begin(), firstOfRank.end(), firstOfRank.begin());
    std::vector<qsizetype> byRank(n);
    {
        std::vector<qsizetype> next(firstOfRank.begin(), firstOfRank.end() - 1);
        for (size_t k = 0; k < n; ++k)
            byRank[size_t(next[size_t(rank[k])]++)] = qsizetype(k);
    }

    std::vector<qsizetype> origin;
    origin.reserve(n);
    std::vector<qsizetype> insertedAt;
    for (int r = 0; r < ranks; ++r) {
        const auto first = byRank.begin() + firstOfRank[size_t(r)];
        const auto last = byRank.begin() + firstOfRank[size_t(r) + 1];
        const qsizetype count = last - first;
        // The queue as a ring in a list: `head` is the index of its front; an item joins the back
        // by being inserted before the front.
        insertedAt.assign(size_t(count), 0);
        qsizetype head = 0;
        for (qsizetype k = 0; k < count; ++k) {
            if (k > 0) {
                const qsizetype rotations
                        = smallerBefore[size_t(first[k])] - smallerBefore[size_t(first[k - 1])];
                head = (head + rotations % k) % k;
                insertedAt[size_t(k)] = head;
                ++head;
            }
        }
        // The smaller items after the last of them.
        const qsizetype rotations = firstOfRank[size_t(r)] - smallerBefore[size_t(last[-1])];
        head = (head + rotations % count) % count;
        const std::vector<qsizetype> places = finalPlaces(insertedAt);
        std::vector<qsizetype> ring(static_cast<size_t>(count));
        for (qsizetype k = 0; k < count; ++k)
            ring[size_t(places[size_t(k)])] = first[k];
        for (qsizetype k = 0; k < count; ++k)
            origin.push_back(ring[size_t((head + k) % count)]);
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
