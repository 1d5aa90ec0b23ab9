#pragma once

#include "lists/podvector.h"

#include <cstddef>
#include <cstdint>

class Collation;
class LineList;

// Indexes of lines, in the order they are to be taken.
using LineOrder = PodVector<std::uint32_t>;

// The first 16 bytes of a line's sort key, zero-padded, as two big-endian
// words: prefixes in word order are keys in byte order, so unequal prefixes
// order their lines without the keys.
struct KeyPrefix
{
    std::uint64_t high;
    std::uint64_t low;

    bool operator==(const KeyPrefix &other) const = default;
    bool operator<(const KeyPrefix &other) const
    {
        return high != other.high ? high < other.high : low < other.low;
    }
    // A zero last byte: the whole key is in the prefix (keys hold no zero byte).
    bool complete() const { return (low & 0xFFu) == 0; }
};
using KeyPrefixes = PodVector<KeyPrefix>;

// How a whole sort key is hashed to split runs of tied prefixes. Lines of one
// hash are still compared, so any hash gives the same orders: tests pass one
// under which every key collides.
using KeyHash = std::uint32_t (*)(const std::uint8_t *key, std::size_t length);
std::uint32_t hashSortKey(const std::uint8_t *key, std::size_t length);

// The permutation that sorts the list under the collation: element i is the
// index of the i-th line in ascending order; equal lines in any order. Works
// on short sort-key prefixes and splits the work over up to `threads` threads
// (0: one per core).
LineOrder sortedOrder(const LineList &list,
                      const Collation &collation,
                      unsigned threads = 0,
                      KeyHash hash = hashSortKey);
// The same, and the key prefixes of the lines in that order.
LineOrder sortedOrder(const LineList &list, const Collation &collation, KeyPrefixes &prefixes);

// The same with equal lines in the list's order.
LineOrder stableSortedOrder(const LineList &list,
                            const Collation &collation,
                            unsigned threads = 0,
                            KeyHash hash = hashSortKey);
LineOrder stableSortedOrder(const LineList &list, const Collation &collation, KeyPrefixes &prefixes);

// The lines of sortedOrder() less repeats: of each run of equal lines only the
// first in the list's order stays.
LineOrder distinctSortedOrder(const LineList &list,
                              const Collation &collation,
                              unsigned threads = 0,
                              KeyHash hash = hashSortKey);
LineOrder distinctSortedOrder(const LineList &list, const Collation &collation, KeyPrefixes &prefixes);
