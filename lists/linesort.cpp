#include "lists/linesort.h"

#include "lists/collation.h"
#include "lists/linelist.h"
#include "platform/largememory.h"

#include <QByteArray>
#include <QHashFunctions>

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>
#include <unordered_map>

// Lines are sorted by 20-byte sort-key prefixes held beside their indexes, so
// the sort itself never touches the text. Runs of lines whose prefixes tie
// are then put in order by their full sort keys. With two threads, the
// entries are first split at a prefix value, so that each thread sorts a part
// of its own and no tie crosses the split.
//
// The distinct order also breaks ties by index, so the first line met leads
// each run of equal lines, and marks the others to be left out. Most of its
// tied runs are one line and its repeats, so it keeps a hash of each line's
// full key: lines of one hash are checked for equality, and full keys are
// made only to order the different lines of a run.
namespace {

// Marks an entry whose line equals an earlier one; no list holds 2^32 lines.
constexpr std::uint32_t Repeated = std::numeric_limits<std::uint32_t>::max();

struct Entry
{
    std::uint64_t high; // key bytes 0-7, big-endian
    std::uint64_t middle; // key bytes 8-15
    std::uint32_t low; // key bytes 16-19
    std::uint32_t index;

    bool prefixLess(const Entry &other) const
    {
        if (high != other.high)
            return high < other.high;
        return middle != other.middle ? middle < other.middle : low < other.low;
    }
    bool prefixThenIndexLess(const Entry &other) const
    {
        if (!prefixEqual(other))
            return prefixLess(other);
        return index < other.index;
    }
    bool prefixEqual(const Entry &other) const
    {
        return high == other.high && middle == other.middle && low == other.low;
    }
    // A zero last byte: the whole key fits in the prefix.
    bool keyComplete() const { return (low & 0xFFu) == 0; }
};

using Entries = std::vector<Entry, platform::LargeAllocator<Entry>>;
using Hashes = std::vector<std::uint32_t, platform::LargeAllocator<std::uint32_t>>;

Entry makeEntry(const std::uint8_t *key, std::uint32_t index)
{
    std::uint64_t high = 0;
    for (int b = 0; b < 8; ++b)
        high = (high << 8) | key[b];
    std::uint64_t middle = 0;
    for (int b = 8; b < 16; ++b)
        middle = (middle << 8) | key[b];
    std::uint32_t low = 0;
    for (int b = 16; b < 20; ++b)
        low = (low << 8) | key[b];
    return Entry {high, middle, low, index};
}

void fillEntries(const LineList &list, const Collation &collation, Entry *out, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i) {
        const Collation::Prefix key = collation.sortKeyPrefix(list.at(qsizetype(i)));
        out[i] = makeEntry(key.data(), std::uint32_t(i));
    }
}

// The prefix from the full key, and a hash of the full key. All entries of a
// distinct order come from full keys, so their prefixes compare alike.
void fillDistinctEntries(const LineList &list,
                         const Collation &collation,
                         Entry *out,
                         std::uint32_t *hashes,
                         size_t begin,
                         size_t end)
{
    QByteArray key;
    for (size_t i = begin; i < end; ++i) {
        key.resize(0); // keeps the buffer, unlike clear()
        collation.appendSortKey(list.at(qsizetype(i)), key);
        const size_t length = size_t(key.size());
        std::uint8_t prefix[20] = {};
        std::memcpy(prefix, key.constData(), std::min(length, sizeof prefix));
        out[i] = makeEntry(prefix, std::uint32_t(i));
        hashes[i] = std::uint32_t(qHash(QByteArrayView(key)));
    }
}

struct TextHash
{
    size_t operator()(QStringView text) const noexcept { return qHash(text); }
};

// Orders runs of entries with equal, incomplete prefixes by their full keys;
// its buffers serve every run of one thread.
class TieBreaker
{
public:
    TieBreaker(const LineList &list, const Collation &collation)
        : m_list(list)
        , m_collation(collation)
    {
    }

    void sortRun(Entry *run, size_t size)
    {
        m_keys.resize(0);
        m_items.clear();
        m_seen.clear();
        for (size_t i = 0; i < size; ++i) {
            if (i + 8 < size)
                m_list.prefetch(run[i + 8].index);
            const QStringView line = m_list.at(run[i].index);
            // Repeats of one text share its key.
            const auto [seen, fresh] = m_seen.try_emplace(line, m_items.size());
            if (!fresh) {
                const Item &same = m_items[seen->second];
                m_items.push_back({same.start, same.length, run[i]});
                continue;
            }
            const qsizetype start = m_keys.size();
            m_collation.appendSortKey(line, m_keys);
            m_items.push_back({start, m_keys.size() - start, run[i]});
        }
        const char *bytes = m_keys.constData();
        std::sort(m_items.begin(), m_items.end(), [bytes](const Item &a, const Item &b) {
            const int common
                = std::memcmp(bytes + a.start, bytes + b.start, size_t(std::min(a.length, b.length)));
            return common != 0 ? common < 0 : a.length < b.length;
        });
        for (size_t i = 0; i < size; ++i)
            run[i] = m_items[i].entry;
    }

private:
    struct Item
    {
        qsizetype start; // of the key in m_keys
        qsizetype length;
        Entry entry;
    };

    const LineList &m_list;
    const Collation &m_collation;
    QByteArray m_keys;
    std::vector<Item> m_items;
    // Texts of the run met so far, to their first item.
    std::unordered_map<QStringView, size_t, TextHash> m_seen;
};

// For the distinct order: keeps the first of each set of equal lines in a run
// of equal, incomplete prefixes (which comes in index order), marks the rest,
// and puts the kept ones in key order at the head of the run.
class DistinctTies
{
public:
    DistinctTies(const LineList &list, const Collation &collation, const std::uint32_t *hashes)
        : m_list(list)
        , m_collation(collation)
        , m_hashes(hashes)
    {
    }

    void resolveRun(Entry *run, size_t size)
    {
        m_byHash.clear();
        for (size_t i = 0; i < size; ++i)
            m_byHash.push_back({m_hashes[run[i].index], run[i].index});
        // Within one hash, still in index order.
        std::sort(m_byHash.begin(), m_byHash.end());
        m_kept.clear();
        for (size_t group = 0; group < size;) {
            size_t groupEnd = group + 1;
            while (groupEnd < size && m_byHash[groupEnd].hash == m_byHash[group].hash)
                ++groupEnd;
            const size_t firstKept = m_kept.size();
            // The first of a hash is kept unread.
            m_kept.push_back(m_byHash[group].index);
            for (size_t i = group + 1; i < groupEnd; ++i) {
                const std::uint32_t index = m_byHash[i].index;
                if (!equalsKeptSince(firstKept, index))
                    m_kept.push_back(index);
            }
            group = groupEnd;
        }

        const Entry prefix = run[0];
        if (m_kept.size() > 1)
            sortByFullKey();
        for (size_t i = 0; i < size; ++i) {
            run[i] = prefix;
            run[i].index = i < m_kept.size() ? m_kept[i] : Repeated;
        }
    }

private:
    struct Hashed
    {
        std::uint32_t hash;
        std::uint32_t index;
        bool operator<(const Hashed &other) const
        {
            return hash != other.hash ? hash < other.hash : index < other.index;
        }
    };

    // Whether the line equals one kept since `from` (those of its hash).
    bool equalsKeptSince(size_t from, std::uint32_t index) const
    {
        const QStringView line = m_list.at(index);
        for (size_t k = from; k < m_kept.size(); ++k) {
            const QStringView kept = m_list.at(m_kept[k]);
            if (kept == line || m_collation.equal(kept, line))
                return true;
        }
        return false;
    }

    void sortByFullKey()
    {
        m_keys.resize(0);
        m_items.clear();
        for (const std::uint32_t index : m_kept) {
            const qsizetype start = m_keys.size();
            m_collation.appendSortKey(m_list.at(index), m_keys);
            m_items.push_back({start, m_keys.size() - start, index});
        }
        const char *bytes = m_keys.constData();
        // Kept lines differ, so their keys do: the order is complete.
        std::sort(m_items.begin(), m_items.end(), [bytes](const Item &a, const Item &b) {
            const int common
                = std::memcmp(bytes + a.start, bytes + b.start, size_t(std::min(a.length, b.length)));
            return common != 0 ? common < 0 : a.length < b.length;
        });
        for (size_t k = 0; k < m_items.size(); ++k)
            m_kept[k] = m_items[k].index;
    }

    struct Item
    {
        qsizetype start; // of the key in m_keys
        qsizetype length;
        std::uint32_t index;
    };

    const LineList &m_list;
    const Collation &m_collation;
    const std::uint32_t *m_hashes;
    std::vector<Hashed> m_byHash;
    std::vector<std::uint32_t> m_kept;
    QByteArray m_keys;
    std::vector<Item> m_items;
};

void prefetchHash(const std::uint32_t *hash)
{
#if defined(__GNUC__)
    __builtin_prefetch(hash);
#else
    (void)hash;
#endif
}

// hashes: the full keys' hashes for the distinct order, else nullptr.
void sortPart(
    const LineList &list, const Collation &collation, const std::uint32_t *hashes, Entry *begin, Entry *end)
{
    const bool distinct = hashes != nullptr;
    if (distinct)
        std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.prefixThenIndexLess(b); });
    else
        std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.prefixLess(b); });
    TieBreaker ties(list, collation);
    DistinctTies distinctTies(list, collation, hashes);
    // Entries of tied runs are read out of order: their hashes and texts are
    // asked for ahead, first the references, then the texts they point to.
    constexpr std::ptrdiff_t HashAhead = 64;
    constexpr std::ptrdiff_t TextAhead = 24;
    const auto tied = [&](const Entry *e) {
        return !e->keyComplete()
            && ((e > begin && e[-1].prefixEqual(*e)) || (e + 1 < end && e[1].prefixEqual(*e)));
    };
    Entry *hashAhead = begin;
    Entry *textAhead = begin;
    for (Entry *run = begin; run != end;) {
        if (distinct) {
            for (const Entry *limit = std::min(end, run + HashAhead); hashAhead < limit; ++hashAhead) {
                if (tied(hashAhead)) {
                    prefetchHash(hashes + hashAhead->index);
                    list.prefetchReference(hashAhead->index);
                }
            }
            for (const Entry *limit = std::min(end, run + TextAhead); textAhead < limit; ++textAhead) {
                if (tied(textAhead))
                    list.prefetch(textAhead->index);
            }
        }
        Entry *runEnd = run + 1;
        while (runEnd != end && runEnd->prefixEqual(*run))
            ++runEnd;
        if (runEnd - run > 1) {
            if (run->keyComplete()) {
                // The whole key is in the prefix: the run is one line, met first at its head.
                if (distinct) {
                    for (Entry *repeat = run + 1; repeat != runEnd; ++repeat)
                        repeat->index = Repeated;
                }
            } else if (distinct) {
                distinctTies.resolveRun(run, size_t(runEnd - run));
            } else {
                ties.sortRun(run, size_t(runEnd - run));
            }
        }
        run = runEnd;
    }
}

// A prefix near the middle of the entries, from a sample.
Entry splitter(const Entries &entries)
{
    constexpr size_t SampleSize = 1023;
    std::vector<Entry> sample;
    sample.reserve(SampleSize);
    const size_t step = std::max<size_t>(1, entries.size() / SampleSize);
    for (size_t i = 0; i < entries.size() && sample.size() < SampleSize; i += step)
        sample.push_back(entries[i]);
    const auto middle = sample.begin() + std::ptrdiff_t(sample.size() / 2);
    std::nth_element(sample.begin(), middle, sample.end(),
                     [](const Entry &a, const Entry &b) { return a.prefixLess(b); });
    return *middle;
}

std::vector<std::uint32_t>
orderLines(const LineList &list, const Collation &collation, unsigned threads, bool distinct)
{
    const size_t n = size_t(list.count());
    if (n > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many lines to sort");
    std::vector<std::uint32_t> order(n);
    if (n == 0)
        return order;
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    // Small lists are not worth a thread.
    const bool parallel = threads >= 2 && n >= 20000;

    Entries entries(n);
    Hashes hashes(distinct ? n : 0);
    const auto fill = [&](size_t from, size_t to) {
        if (distinct)
            fillDistinctEntries(list, collation, entries.data(), hashes.data(), from, to);
        else
            fillEntries(list, collation, entries.data(), from, to);
    };
    if (parallel) {
        const size_t half = n / 2;
        std::jthread worker([&] { fill(half, n); });
        fill(0, half);
    } else {
        fill(0, n);
    }

    const std::uint32_t *const keyHashes = distinct ? hashes.data() : nullptr;
    Entry *const begin = entries.data();
    Entry *const end = begin + n;
    if (parallel) {
        const Entry pivot = splitter(entries);
        Entry *const split = std::partition(begin, end, [&](const Entry &e) { return e.prefixLess(pivot); });
        std::jthread worker([&] { sortPart(list, collation, keyHashes, split, end); });
        sortPart(list, collation, keyHashes, begin, split);
    } else {
        sortPart(list, collation, keyHashes, begin, end);
    }
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        if (entries[i].index != Repeated)
            order[out++] = entries[i].index;
    }
    order.resize(out);
    return order;
}

} // namespace

std::vector<std::uint32_t> sortedOrder(const LineList &list, const Collation &collation, unsigned threads)
{
    return orderLines(list, collation, threads, false);
}

std::vector<std::uint32_t>
distinctSortedOrder(const LineList &list, const Collation &collation, unsigned threads)
{
    return orderLines(list, collation, threads, true);
}
