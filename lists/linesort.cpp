#include "lists/linesort.h"

#include "lists/collation.h"
#include "lists/linelist.h"
#include "platform/largememory.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>

// Lines are sorted by 12-byte sort-key prefixes held beside their indexes, so
// the sort itself never touches the text. Runs of lines whose prefixes tie
// are then put in order by their full sort keys. With two threads, the
// entries are first split at a prefix value, so that each thread sorts a part
// of its own and no tie crosses the split.
//
// For the distinct order, ties go by index as well, so the first line met
// leads each run of equal lines, and the others are marked and left out.
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

void fillEntries(const LineList &list, const Collation &collation, Entry *out, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i) {
        const Collation::Prefix key = collation.sortKeyPrefix(list.at(qsizetype(i)));
        std::uint64_t high = 0;
        for (int b = 0; b < 8; ++b)
            high = (high << 8) | key[size_t(b)];
        std::uint64_t middle = 0;
        for (int b = 8; b < 16; ++b)
            middle = (middle << 8) | key[size_t(b)];
        std::uint32_t low = 0;
        for (int b = 16; b < 20; ++b)
            low = (low << 8) | key[size_t(b)];
        out[i] = Entry {high, middle, low, std::uint32_t(i)};
    }
}

// Orders runs of entries with equal, incomplete prefixes by their full keys;
// its buffers serve every run of one thread.
class TieBreaker
{
public:
    TieBreaker(const LineList &list, const Collation &collation, bool distinct)
        : m_list(list)
        , m_collation(collation)
        , m_distinct(distinct)
    {
    }

    void sortRun(Entry *run, size_t size)
    {
        m_keys.clear();
        m_items.clear();
        for (size_t i = 0; i < size; ++i) {
            if (i + 8 < size)
                m_list.prefetch(run[i + 8].index);
            const qsizetype start = m_keys.size();
            m_collation.appendSortKey(m_list.at(run[i].index), m_keys);
            m_items.push_back({start, m_keys.size() - start, run[i]});
        }
        const char *bytes = m_keys.constData();
        const auto compareKeys = [bytes](const Item &a, const Item &b) {
            const int common
                = std::memcmp(bytes + a.start, bytes + b.start, size_t(std::min(a.length, b.length)));
            return common != 0 ? common : (a.length < b.length ? -1 : a.length > b.length ? 1 : 0);
        };
        if (m_distinct) {
            std::sort(m_items.begin(), m_items.end(), [&](const Item &a, const Item &b) {
                const int order = compareKeys(a, b);
                return order != 0 ? order < 0 : a.entry.index < b.entry.index;
            });
        } else {
            std::sort(m_items.begin(), m_items.end(),
                      [&](const Item &a, const Item &b) { return compareKeys(a, b) < 0; });
        }
        for (size_t i = 0; i < size; ++i) {
            run[i] = m_items[i].entry;
            // Equal sort keys are equal lines.
            if (m_distinct && i > 0 && compareKeys(m_items[i - 1], m_items[i]) == 0)
                run[i].index = Repeated;
        }
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
    bool m_distinct;
    QByteArray m_keys;
    std::vector<Item> m_items;
};

void sortPart(const LineList &list, const Collation &collation, Entry *begin, Entry *end, bool distinct)
{
    if (distinct)
        std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.prefixThenIndexLess(b); });
    else
        std::sort(begin, end, [](const Entry &a, const Entry &b) { return a.prefixLess(b); });
    TieBreaker ties(list, collation, distinct);
    for (Entry *run = begin; run != end;) {
        Entry *runEnd = run + 1;
        while (runEnd != end && runEnd->prefixEqual(*run))
            ++runEnd;
        if (runEnd - run > 1) {
            if (!run->keyComplete()) {
                ties.sortRun(run, size_t(runEnd - run));
            } else if (distinct) {
                // The whole key is in the prefix: the run is one line, met first at its head.
                for (Entry *repeat = run + 1; repeat != runEnd; ++repeat)
                    repeat->index = Repeated;
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
    if (parallel) {
        const size_t half = n / 2;
        std::jthread worker([&] { fillEntries(list, collation, entries.data(), half, n); });
        fillEntries(list, collation, entries.data(), 0, half);
    } else {
        fillEntries(list, collation, entries.data(), 0, n);
    }

    Entry *const begin = entries.data();
    Entry *const end = begin + n;
    if (parallel) {
        const Entry pivot = splitter(entries);
        Entry *const split = std::partition(begin, end, [&](const Entry &e) { return e.prefixLess(pivot); });
        std::jthread worker([&] { sortPart(list, collation, split, end, distinct); });
        sortPart(list, collation, begin, split, distinct);
    } else {
        sortPart(list, collation, begin, end, distinct);
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
