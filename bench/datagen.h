#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Deterministic test data for the benchmarks: lines of about 25 UTF-8 bytes
// mixing e-mail addresses, words, product codes, accented Latin, Cyrillic,
// Greek and CJK text, with exact repeats, case variants and decomposed (NFD)
// spellings. Plain C++ with its own generator, so a seed gives the same bytes
// on every build, whatever Qt or the standard library do with randomness.
namespace datagen {

enum class ListRole
{
    Single, // one list on its own
    First, // the first list of a pair
    Second, // the second list of a pair
};

// The lines of one list, one at a time. Both lists of a pair, generated from
// the same seed and count, share about half of their distinct lines; each list
// repeats some of its own lines, and shared lines turn up in either list with
// a different case or in decomposed spelling.
class ListGenerator
{
public:
    ListGenerator(std::uint64_t seed, ListRole role, std::uint64_t count);

    bool atEnd() const { return m_produced == m_count; }
    // Appends the next line, without its terminator, to `out`.
    void appendNext(std::string &out);

private:
    std::uint64_t nextRandom();
    std::uint64_t newLineKey();

    std::uint64_t m_seed;
    ListRole m_role;
    std::uint64_t m_count;
    std::uint64_t m_produced = 0;
    std::uint64_t m_state;
    // The distinct lines so far (id and spelling), for repeats and variants.
    std::vector<std::uint64_t> m_keys;
    std::uint64_t m_sharedPool = 0;
    std::uint64_t m_sharedTaken = 0;
    std::uint64_t m_ownTaken = 0;
    std::uint64_t m_permMultiplier = 1;
    std::uint64_t m_permOffset = 0;
};

// Writes `count` LF-terminated lines (UTF-8, no byte-order mark) to `path`.
// With `tabSeparated`, each line is a record of three fields: its number in
// the file, the generated line (the key) and a small number, so that the
// lists of a pair share keys but never whole lines. Returns false and sets
// `error` to the file and the system's reason on failure.
bool writeListFile(const std::string &path,
                   std::uint64_t seed,
                   ListRole role,
                   std::uint64_t count,
                   std::string &error,
                   bool tabSeparated = false);

} // namespace datagen
