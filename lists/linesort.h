#pragma once

#include "lists/podvector.h"

#include <cstddef>
#include <cstdint>

class Collation;
class LineList;

// Indexes of lines, in the order they are to be taken.
using LineOrder = PodVector<std::uint32_t>;

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

// The lines of sortedOrder() less repeats: of each run of equal lines only the
// first in the list's order stays.
LineOrder distinctSortedOrder(const LineList &list,
                              const Collation &collation,
                              unsigned threads = 0,
                              KeyHash hash = hashSortKey);
