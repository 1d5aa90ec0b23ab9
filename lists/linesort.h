#pragma once

#include <cstdint>
#include <vector>

class Collation;
class LineList;

// The permutation that sorts the list under the collation: element i is the
// index of the i-th line in ascending order; equal lines in any order. Works
// on short sort-key prefixes and splits the work over up to `threads` threads
// (0: one per core).
std::vector<std::uint32_t>
sortedOrder(const LineList &list, const Collation &collation, unsigned threads = 0);

// The lines of sortedOrder() less repeats: of each run of equal lines only the
// first in the list's order stays.
std::vector<std::uint32_t>
distinctSortedOrder(const LineList &list, const Collation &collation, unsigned threads = 0);
