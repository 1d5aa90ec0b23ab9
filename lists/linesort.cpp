#include "lists/linesort.h"

#include "lists/collation.h"
#include "lists/linelist.h"
#include "lists/parallel.h"
#include "lists/podvector.h"

#include <QByteArray>
#include <QHashFunctions>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>

// Each line's full sort key is made once (see Collation::WholeKeyUnits for
// the lines too long for one), and only two things of it are kept: its first 20 bytes
// beside the line's index, and a hash. The entries
// are sorted by the prefixes alone, so the sort never touches the text. Runs
// of entries whose prefixes tie (mostly a line and its repeats) are settled
// by the hashes: lines of one hash are checked for equality, and only the
// different lines of a run are put in order by collation.
//
// With two threads, the entries are first split at a prefix value, so that
// each thread sorts a part of its own; the ties are then settled in slices
// that each thread takes as it gets free.
namespace {

// Marks an entry whose line equals an earlier one; no list holds 2^32 lines.
constexpr std::uint32_t Repeated = std::numeric_limits<std::uint32_t>::max();
constexpr int PrefixBytes = 20;

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
    bool prefixEqual(const Entry &other) const
    {
        return high == other.high && middle == other.middle && low == other.low;
    }
    // A zero last byte: the whole key fits in the prefix (keys hold no zero byte).
    bool keyComplete() const { return (low & 0xFFu) == 0; }
    unsigned byteAt(int position) const
    {
        if (position < 8)
            return unsigned(high >> (56 - 8 * position)) & 0xFFu;
        if (position < 16)
            return unsigned(middle >> (56 - 8 * (position - 8))) & 0xFFu;
        return (low >> (24 - 8 * (position - 16))) & 0xFFu;
    }
};

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

// Lines without a whole key: their prefixes come from the first part of the
// key alone, and runs they tie in are settled by comparing the lines.
bool hasNoWholeKey(QStringView line)
{
    return !Collation::hasWholeKey(line);
}

void fillEntries(const LineList &list,
                 const Collation &collation,
                 Entry *out,
                 std::uint32_t *hashes,
                 KeyHash hash,
                 size_t begin,
                 size_t end)
{
    std::vector<std::uint8_t> buffer(512);
    for (size_t i = begin; i < end; ++i) {
        const QStringView line = list.at(qsizetype(i));
        if (hasNoWholeKey(line)) {
            out[i] = makeEntry(collation.sortKeyPrefix(line).data(), std::uint32_t(i));
            hashes[i] = 0;
            continue;
        }
        int length = collation.sortKey(line, buffer.data(), int(buffer.size()));
        if (length >= int(buffer.size())) {
            buffer.resize(size_t(length) + 1);
            length = collation.sortKey(line, buffer.data(), int(buffer.size()));
        }
        std::uint8_t prefix[PrefixBytes] = {};
        std::memcpy(prefix, buffer.data(), std::min(size_t(length), sizeof prefix));
        out[i] = makeEntry(prefix, std::uint32_t(i));
        hashes[i] = hash(buffer.data(), size_t(length));
    }
}

// Sorts by prefix a byte at a time from the first (an in-place radix sort):
// a few passes over the entries where a comparison sort makes some twenty.
void sortByPrefix(Entry *begin, Entry *end, int position)
{
    constexpr std::ptrdiff_t Small = 64;
    for (;;) {
        const std::ptrdiff_t n = end - begin;
        if (n < Small) {
            std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.prefixLess(b); });
            return;
        }
        if (position == PrefixBytes)
            return;
        std::array<size_t, 256> counts {};
        for (const Entry *e = begin; e != end; ++e)
            ++counts[e->byteAt(position)];
        const unsigned first = begin->byteAt(position);
        if (counts[first] == size_t(n)) {
            // One byte value for all: a key that ended here ended for all.
            if (first == 0)
                return;
            ++position;
            continue;
        }
        std::array<Entry *, 256> heads;
        std::array<Entry *, 256> tails;
        Entry *next = begin;
        for (unsigned b = 0; b < 256; ++b) {
            heads[b] = next;
            next += counts[b];
            tails[b] = next;
        }
        // Each misplaced entry is carried along its cycle, so it is written once.
        for (unsigned b = 0; b < 256; ++b) {
            while (heads[b] != tails[b]) {
                Entry carried = *heads[b];
                unsigned to = carried.byteAt(position);
                while (to != b) {
                    std::swap(carried, *heads[to]++);
                    to = carried.byteAt(position);
                }
                *heads[b]++ = carried;
            }
        }
        // Byte 0: the keys ended, so the prefixes in that bucket are equal.
        Entry *bucket = begin + counts[0];
        for (unsigned b = 1; b < 256; ++b) {
            Entry *const bucketEnd = bucket + counts[b];
            if (counts[b] > 1)
                sortByPrefix(bucket, bucketEnd, position + 1);
            bucket = bucketEnd;
        }
        return;
    }
}

// For a run of one line and its repeats: the first met goes to the head of
// the run, the others are marked.
void keepFirstMet(Entry *run, Entry *runEnd)
{
    Entry *const first
        = std::min_element(run, runEnd, [](const Entry &a, const Entry &b) { return a.index < b.index; });
    std::swap(*run, *first);
    for (Entry *repeat = run + 1; repeat != runEnd; ++repeat)
        repeat->index = Repeated;
}

// Equal lines in the list's order, for the stable order.
void putInListOrder(Entry *run, Entry *runEnd)
{
    std::sort(run, runEnd, [](const Entry &a, const Entry &b) { return a.index < b.index; });
}

// Settles a run of entries with equal, incomplete prefixes. Lines of one
// hash are split into sets of equal lines, each led by the first met; the
// sets are then put in order by their leaders. Its buffers serve every run
// of one thread.
class TieResolver
{
public:
    TieResolver(const LineList &list,
                const Collation &collation,
                const std::uint32_t *hashes,
                bool distinct,
                bool stable)
        : m_list(list)
        , m_collation(collation)
        , m_hashes(hashes)
        , m_distinct(distinct)
        , m_stable(stable)
    {
    }

    void resolveRun(Entry *run, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            if (hasNoWholeKey(m_list.at(run[i].index))) {
                resolveByComparison(run, size);
                return;
            }
        }
        if (resolveRepeats(run, size))
            return;
        m_byHash.clear();
        for (size_t i = 0; i < size; ++i)
            m_byHash.push_back({m_hashes[run[i].index], run[i].index, 0});
        // Within one hash, in the list's order, so the first met leads.
        std::sort(m_byHash.begin(), m_byHash.end());
        m_leaders.clear();
        m_keys.resize(0);
        m_keyStart.assign(1, 0);
        for (size_t group = 0; group < size;) {
            size_t groupEnd = group + 1;
            while (groupEnd < size && m_byHash[groupEnd].hash == m_byHash[group].hash)
                ++groupEnd;
            const std::uint32_t firstSet = std::uint32_t(m_leaders.size());
            for (size_t i = group; i < groupEnd; ++i)
                m_byHash[i].set = setFor(firstSet, m_byHash[i].index);
            group = groupEnd;
        }
        orderSets();

        const Entry prefix = run[0];
        size_t out = 0;
        const auto put = [&](std::uint32_t index) {
            run[out] = prefix;
            run[out++].index = index;
        };
        if (m_distinct) {
            for (const std::uint32_t set : m_setOrder)
                put(m_leaders[set]);
            while (out < size)
                put(Repeated);
            return;
        }
        // Each leader, then the other lines of its set.
        m_memberStart.assign(m_leaders.size() + 1, 0);
        for (const Hashed &item : m_byHash)
            ++m_memberStart[item.set + 1];
        std::partial_sum(m_memberStart.begin(), m_memberStart.end(), m_memberStart.begin());
        m_members.resize(size);
        for (const Hashed &item : m_byHash)
            m_members[m_memberStart[item.set]++] = item.index;
        // Each set's slice now ends where the next begins; its first is the leader.
        for (const std::uint32_t set : m_setOrder) {
            const std::uint32_t from = set == 0 ? 0 : m_memberStart[set - 1];
            for (std::uint32_t k = from; k < m_memberStart[set]; ++k)
                put(m_members[k]);
        }
    }

private:
    // The common run: one line and its repeats, all of one hash. False when
    // the run is not that.
    bool resolveRepeats(Entry *run, size_t size)
    {
        const std::uint32_t hash = m_hashes[run[0].index];
        for (size_t i = 1; i < size; ++i) {
            if (m_hashes[run[i].index] != hash)
                return false;
        }
        m_head.setLine(m_list.at(run[0].index));
        for (size_t i = 1; i < size; ++i) {
            m_probe.setLine(m_list.at(run[i].index));
            if (!m_collation.equal(m_head, m_probe))
                return false;
        }
        // Equal lines may stand in any order, but for the stable order; the
        // distinct order keeps one.
        if (m_distinct)
            keepFirstMet(run, run + size);
        else if (m_stable)
            putInListOrder(run, run + size);
        return true;
    }

    // Without keys for some of its lines: the run is sorted by comparing lines,
    // equal ones in the list's order.
    void resolveByComparison(Entry *run, size_t size)
    {
        std::sort(run, run + size, [this](const Entry &a, const Entry &b) {
            const int order = m_collation.compare(m_list.at(a.index), m_list.at(b.index));
            return order != 0 ? order < 0 : a.index < b.index;
        });
        if (!m_distinct)
            return;
        size_t out = 1;
        for (size_t i = 1; i < size; ++i) {
            if (!m_collation.equal(m_list.at(run[out - 1].index), m_list.at(run[i].index)))
                run[out++] = run[i];
        }
        for (size_t i = out; i < size; ++i)
            run[i].index = Repeated;
    }

    struct Hashed
    {
        std::uint32_t hash;
        std::uint32_t index;
        std::uint32_t set;
        bool operator<(const Hashed &other) const
        {
            return hash != other.hash ? hash < other.hash : index < other.index;
        }
    };

    // The set of an equal line among those since `firstSet` (of its hash), or a new one it leads.
    // The leaders' keys are kept, so each line's key is made once.
    std::uint32_t setFor(std::uint32_t firstSet, std::uint32_t index)
    {
        const QStringView line = m_list.at(index);
        std::optional<std::string_view> key;
        for (std::uint32_t set = firstSet; set < m_leaders.size(); ++set) {
            if (m_list.at(m_leaders[set]) == line)
                return set;
            if (!key)
                key = lineKey(line);
            if (leaderKey(set) == *key)
                return set;
        }
        if (!key)
            key = lineKey(line);
        m_leaders.push_back(index);
        m_keys.append(key->data(), qsizetype(key->size()));
        m_keyStart.push_back(m_keys.size());
        return std::uint32_t(m_leaders.size() - 1);
    }

    std::string_view lineKey(QStringView line)
    {
        m_lineKey.resize(0);
        m_collation.appendSortKey(line, m_lineKey);
        return std::string_view(m_lineKey.constData(), size_t(m_lineKey.size()));
    }

    std::string_view leaderKey(std::uint32_t set) const
    {
        return std::string_view(m_keys.constData() + m_keyStart[set],
                                size_t(m_keyStart[set + 1] - m_keyStart[set]));
    }

    // Leaders differ, so the order is complete.
    void orderSets()
    {
        m_setOrder.resize(m_leaders.size());
        std::iota(m_setOrder.begin(), m_setOrder.end(), 0u);
        std::sort(m_setOrder.begin(), m_setOrder.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return leaderKey(a) < leaderKey(b); });
    }

    const LineList &m_list;
    const Collation &m_collation;
    const std::uint32_t *m_hashes;
    bool m_distinct;
    bool m_stable;
    std::vector<Hashed> m_byHash;
    std::vector<std::uint32_t> m_leaders;
    std::vector<std::uint32_t> m_setOrder;
    std::vector<std::uint32_t> m_memberStart;
    std::vector<std::uint32_t> m_members;
    // The leaders' keys one after the other; set s's from m_keyStart[s].
    QByteArray m_keys;
    std::vector<qsizetype> m_keyStart;
    QByteArray m_lineKey;
    Collation::KeyedLine m_head;
    Collation::KeyedLine m_probe;
};

void prefetchHash(const std::uint32_t *hash)
{
#if defined(__GNUC__)
    __builtin_prefetch(hash);
#else
    (void)hash;
#endif
}

// Settles the tied runs of sorted entries; no run crosses either end.
void settleTies(const LineList &list,
                const std::uint32_t *hashes,
                bool distinct,
                bool stable,
                TieResolver &ties,
                Entry *begin,
                Entry *end)
{
    // Entries of tied runs are read out of order: their hashes and texts are
    // asked for ahead, first the references, then the texts they point to.
    constexpr std::ptrdiff_t HashAhead = 160;
    constexpr std::ptrdiff_t TextAhead = 64;
    const auto tied = [&](const Entry *e) {
        return !e->keyComplete()
            && ((e > begin && e[-1].prefixEqual(*e)) || (e + 1 < end && e[1].prefixEqual(*e)));
    };
    Entry *hashAhead = begin;
    Entry *textAhead = begin;
    for (Entry *run = begin; run != end;) {
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
        Entry *runEnd = run + 1;
        while (runEnd != end && runEnd->prefixEqual(*run))
            ++runEnd;
        if (runEnd - run > 1) {
            if (!run->keyComplete()) {
                ties.resolveRun(run, size_t(runEnd - run));
            } else if (distinct) {
                // The whole key is in the prefix: the run is one line.
                keepFirstMet(run, runEnd);
            } else if (stable) {
                putInListOrder(run, runEnd);
            }
        }
        run = runEnd;
    }
}

// A prefix near the middle of the entries, from a sample.
Entry splitter(const Entry *entries, size_t n)
{
    constexpr size_t SampleSize = 1023;
    std::vector<Entry> sample;
    sample.reserve(SampleSize);
    const size_t step = std::max<size_t>(1, n / SampleSize);
    for (size_t i = 0; i < n && sample.size() < SampleSize; i += step)
        sample.push_back(entries[i]);
    const auto middle = sample.begin() + std::ptrdiff_t(sample.size() / 2);
    std::nth_element(sample.begin(), middle, sample.end(),
                     [](const Entry &a, const Entry &b) { return a.prefixLess(b); });
    return *middle;
}

LineOrder orderLines(const LineList &list,
                     const Collation &collation,
                     unsigned threads,
                     bool distinct,
                     bool stable,
                     KeyHash hash,
                     KeyPrefixes *prefixes)
{
    const size_t n = size_t(list.count());
    if (n >= Repeated)
        throw std::length_error("too many lines to sort");
    if (prefixes)
        prefixes->truncate(0);
    if (n == 0)
        return LineOrder();
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    // Small lists are not worth a thread.
    const bool parallel = threads >= 2 && n >= WorthASecondThread;

    // Left unfilled here: the threads that fill them fault their pages in.
    PodVector<Entry> entries;
    entries.resizeForOverwrite(n);
    LineOrder hashes;
    hashes.resizeForOverwrite(n);
    Entry *const begin = entries.begin();
    Entry *const end = entries.end();
    const auto fill = [&](size_t from, size_t to) {
        fillEntries(list, collation, begin, hashes.begin(), hash, from, to);
    };
    const std::uint32_t *const keyHashes = hashes.begin();
    if (parallel) {
        const size_t half = n / 2;
        onTwoThreads([&] { fill(0, half); }, [&] { fill(half, n); });
        {
            const Entry pivot = splitter(begin, n);
            Entry *const split
                = std::partition(begin, end, [&](const Entry &e) { return e.prefixLess(pivot); });
            onTwoThreads([&] { sortByPrefix(begin, split, 0); }, [&] { sortByPrefix(split, end, 0); });
        }
        // Ties cost more in some scripts than in others: the threads take
        // slices of the entries as they get free, each slice starting a run.
        constexpr size_t Slices = 64;
        std::vector<Entry *> bounds {begin};
        for (size_t k = 1; k < Slices; ++k) {
            Entry *bound = std::max(bounds.back(), begin + n * k / Slices);
            while (bound != end && bound != begin && bound->prefixEqual(bound[-1]))
                ++bound;
            bounds.push_back(bound);
        }
        bounds.push_back(end);
        std::atomic<size_t> nextSlice {0};
        const auto settle = [&] {
            TieResolver ties(list, collation, keyHashes, distinct, stable);
            for (size_t k; (k = nextSlice.fetch_add(1, std::memory_order_relaxed)) + 1 < bounds.size();)
                settleTies(list, keyHashes, distinct, stable, ties, bounds[k], bounds[k + 1]);
        };
        onTwoThreads(settle, settle);
    } else {
        fill(0, n);
        sortByPrefix(begin, end, 0);
        TieResolver ties(list, collation, keyHashes, distinct, stable);
        settleTies(list, keyHashes, distinct, stable, ties, begin, end);
    }
    // The hashes are done with: their memory takes the order, so no fresh
    // pages are faulted in for it.
    LineOrder order = std::move(hashes);
    if (prefixes)
        prefixes->resizeForOverwrite(n);
    size_t out = 0;
    for (const Entry &entry : entries) {
        if (entry.index == Repeated)
            continue;
        if (prefixes)
            (*prefixes)[out] = KeyPrefix {entry.high, entry.middle};
        order[out++] = entry.index;
    }
    order.truncate(out);
    if (prefixes)
        prefixes->truncate(out);
    return order;
}

} // namespace

std::uint32_t hashSortKey(const std::uint8_t *key, std::size_t length)
{
    return std::uint32_t(qHashBits(key, length));
}

LineOrder sortedOrder(const LineList &list, const Collation &collation, unsigned threads, KeyHash hash)
{
    return orderLines(list, collation, threads, false, false, hash, nullptr);
}

LineOrder sortedOrder(const LineList &list, const Collation &collation, KeyPrefixes &prefixes)
{
    return orderLines(list, collation, 0, false, false, hashSortKey, &prefixes);
}

LineOrder stableSortedOrder(const LineList &list, const Collation &collation, unsigned threads, KeyHash hash)
{
    return orderLines(list, collation, threads, false, true, hash, nullptr);
}

LineOrder stableSortedOrder(const LineList &list, const Collation &collation, KeyPrefixes &prefixes)
{
    return orderLines(list, collation, 0, false, true, hashSortKey, &prefixes);
}

LineOrder
distinctSortedOrder(const LineList &list, const Collation &collation, unsigned threads, KeyHash hash)
{
    return orderLines(list, collation, threads, true, false, hash, nullptr);
}

LineOrder distinctSortedOrder(const LineList &list, const Collation &collation, KeyPrefixes &prefixes)
{
    return orderLines(list, collation, 0, true, false, hashSortKey, &prefixes);
}
