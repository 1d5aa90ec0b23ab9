#include "lists/linesort.h"

#include "lists/collation.h"
#include "lists/linelist.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

// Sorting compares 12-byte sort-key prefixes held beside each index, and asks
// the collator only when two prefixes tie. That keeps the per-line cost to one
// short key computation, and the memory to 16 bytes a line.
namespace {

struct Entry
{
    std::uint64_t high; // key bytes 0-7, big-endian
    std::uint32_t low; // key bytes 8-11, big-endian
    std::uint32_t index;
};

class EntryLess
{
public:
    EntryLess(const LineList &list, const Collation &collation)
        : m_list(list)
        , m_collation(collation)
    {
    }

    bool operator()(const Entry &a, const Entry &b) const
    {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        // A zero last byte: both keys ended inside the prefix, so the lines are equal.
        if ((a.low & 0xFFu) == 0)
            return false;
        return m_collation.compare(m_list.at(a.index), m_list.at(b.index)) < 0;
    }

private:
    const LineList &m_list;
    const Collation &m_collation;
};

void fillEntries(const LineList &list, const Collation &collation, Entry *out, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i) {
        const Collation::Prefix key = collation.sortKeyPrefix(list.at(qsizetype(i)));
        std::uint64_t high = 0;
        for (int b = 0; b < 8; ++b)
            high = (high << 8) | key[size_t(b)];
        std::uint32_t low = 0;
        for (int b = 8; b < 12; ++b)
            low = (low << 8) | key[size_t(b)];
        out[i] = Entry {high, low, std::uint32_t(i)};
    }
}

void sortRange(const LineList &list, const Collation &collation, Entry *entries, size_t begin, size_t end)
{
    fillEntries(list, collation, entries, begin, end);
    std::sort(entries + begin, entries + end, EntryLess(list, collation));
}

// The first `count` outputs of merging [left) and [right), ties from the left first.
void mergeFront(const Entry *left,
                size_t leftSize,
                const Entry *right,
                size_t rightSize,
                size_t count,
                std::uint32_t *out,
                const EntryLess &less)
{
    size_t i = 0, j = 0;
    for (size_t k = 0; k < count; ++k) {
        if (j < rightSize && (i == leftSize || less(right[j], left[i])))
            out[k] = right[j++].index;
        else
            out[k] = left[i++].index;
    }
}

// The last `count` outputs of the same merge, written from the end backwards.
void mergeBack(const Entry *left,
               size_t leftSize,
               const Entry *right,
               size_t rightSize,
               size_t count,
               std::uint32_t *outEnd,
               const EntryLess &less)
{
    size_t i = leftSize, j = rightSize;
    for (size_t k = 0; k < count; ++k) {
        if (i > 0 && (j == 0 || less(right[j - 1], left[i - 1])))
            *--outEnd = left[--i].index;
        else
            *--outEnd = right[--j].index;
    }
}

} // namespace

std::vector<std::uint32_t> sortedOrder(const LineList &list, const Collation &collation, unsigned threads)
{
    const size_t n = size_t(list.count());
    if (n > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many lines to sort");
    std::vector<std::uint32_t> order(n);
    if (n == 0)
        return order;

    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    // Two halves, sorted side by side and merged from both ends at once. Small
    // lists are not worth a thread.
    const bool parallel = threads >= 2 && n >= 20000;

    std::vector<Entry> entries(n);
    const EntryLess less(list, collation);
    if (!parallel) {
        sortRange(list, collation, entries.data(), 0, n);
        for (size_t i = 0; i < n; ++i)
            order[i] = entries[i].index;
        return order;
    }

    const size_t half = n / 2;
    {
        std::jthread worker([&] { sortRange(list, collation, entries.data(), half, n); });
        sortRange(list, collation, entries.data(), 0, half);
    }
    const Entry *left = entries.data();
    const Entry *right = entries.data() + half;
    const size_t rightSize = n - half;
    const size_t front = n / 2;
    {
        std::jthread worker(
            [&] { mergeBack(left, half, right, rightSize, n - front, order.data() + n, less); });
        mergeFront(left, half, right, rightSize, front, order.data(), less);
    }
    return order;
}
