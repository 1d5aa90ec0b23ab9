#include "compare/comparison.h"

#include "lists/collation.h"
#include "lists/linesort.h"
#include "lists/parallel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

// A list seen in ascending order: through its own order when it is sorted
// under the comparison in use, else through a sorted permutation.
class AscendingView
{
public:
    AscendingView(const LineList &list, const Collation &collation)
        : m_list(list)
    {
        const bool sortedAlready = list.sorted() && !list.byKey()
            && list.collationLocale() == collation.locale() && list.matching() == collation.matching();
        if (sortedAlready) {
            m_prefixes = list.keyPrefixes(collation);
        } else {
            m_order = sortedOrder(list, collation, m_ownPrefixes);
            m_prefixes = m_ownPrefixes.begin();
        }
        m_identity = sortedAlready;
    }

    const LineList &list() const { return m_list; }
    qsizetype size() const { return m_list.count(); }
    std::uint32_t index(qsizetype k) const { return m_identity ? std::uint32_t(k) : m_order[size_t(k)]; }
    QStringView at(qsizetype k) const { return m_list.at(index(k)); }
    // The key prefix of the k-th line, or nullptr when there are none.
    const KeyPrefix *prefix(qsizetype k) const { return m_prefixes ? m_prefixes + k : nullptr; }

private:
    const LineList &m_list;
    LineOrder m_order;
    KeyPrefixes m_ownPrefixes;
    const KeyPrefix *m_prefixes = nullptr;
    bool m_identity = true;
};

struct Matches
{
    std::vector<std::uint8_t> inFirst; // list #1 line i has an equal line in list #2
    std::vector<std::uint8_t> inSecond; // and the other way round
    // The union as picks for LineList::merged, when asked for: each class of
    // equal lines once, in ascending order, represented by its first line in
    // list #1's order, else by its first in list #2's.
    std::vector<std::uint32_t> unionPicks;
    // The written-differently pairs: index in list #1 << 32 | index in list #2.
    std::vector<std::uint64_t> pairs;
    bool stopped = false;
    // Distinct lines of list #1, of list #2, and in both.
    std::array<qsizetype, 3> distinct {0, 0, 0};
};

// What one part of the walk finds besides the flags.
struct WalkFinds
{
    std::vector<std::uint32_t> &picks;
    std::vector<std::uint64_t> &pairs;
    bool &stopped;
    // Runs of equal lines met: in list #1, in list #2, in both.
    std::array<qsizetype, 3> &runs;
};

std::uint64_t pairOf(std::uint32_t index1, std::uint32_t index2)
{
    return std::uint64_t(index1) << 32 | index2;
}

// Pairs the lines of a matched run of list #1, [aFrom, aTo) of its view,
// with those of list #2's run [bFrom, bTo) that are not the same units.
void pairWrittenDifferently(const AscendingView &a,
                            qsizetype aFrom,
                            qsizetype aTo,
                            const AscendingView &b,
                            qsizetype bFrom,
                            qsizetype bTo,
                            std::vector<std::uint64_t> &pairs)
{
    // The first line of list #2's run, and its first line unlike that one:
    // a line of list #1 unlike the first is paired with it, a line like it
    // with the first unlike it.
    std::uint32_t head = b.index(bFrom);
    for (qsizetype k = bFrom + 1; k < bTo; ++k)
        head = std::min(head, b.index(k));
    const QStringView headLine = b.list().at(head);
    std::uint32_t other = LineList::FromSecond; // none yet
    for (qsizetype k = bFrom; k < bTo; ++k) {
        const std::uint32_t index = b.index(k);
        if (index < other && b.list().at(index) != headLine)
            other = index;
    }
    for (qsizetype k = aFrom; k < aTo; ++k) {
        const std::uint32_t index = a.index(k);
        if (a.list().at(index) != headLine)
            pairs.push_back(pairOf(index, head));
        else if (other != LineList::FromSecond)
            pairs.push_back(pairOf(index, other));
    }
}

// One side of the walk: the line at its position, with its key made once
// if its prefix does not settle a comparison.
struct Cursor
{
    const AscendingView &view;
    qsizetype k;
    qsizetype end;
    Collation::KeyedLine line;
    Collation::KeyedLine spare; // the next line, while a run is ended

    Cursor(const AscendingView &view, qsizetype k, qsizetype end)
        : view(view)
        , k(k)
        , end(end)
    {
        if (k < end)
            line.setLine(view.at(k));
    }
    bool done() const { return k == end; }
    void step()
    {
        if (++k < end)
            line.setLine(view.at(k));
    }
};

// Unequal prefixes order two lines, equal complete ones make them equal;
// else their keys decide.
int compareLines(const Collation &collation,
                 const KeyPrefix *prefixA,
                 Collation::KeyedLine &a,
                 const KeyPrefix *prefixB,
                 Collation::KeyedLine &b)
{
    if (prefixA && prefixB) {
        if (*prefixA != *prefixB)
            return *prefixA < *prefixB ? -1 : 1;
        if (prefixA->complete())
            return 0;
    }
    return collation.compare(a, b);
}

// Ends the run of lines equal to the cursor's line; returns its smallest
// index. Marks the run's lines in `flags` when given.
std::uint32_t endRun(Cursor &at, const Collation &collation, std::vector<std::uint8_t> *flags)
{
    const KeyPrefix *const head = at.view.prefix(at.k);
    std::uint32_t first = at.view.index(at.k);
    for (;;) {
        const std::uint32_t index = at.view.index(at.k);
        first = std::min(first, index);
        if (flags)
            (*flags)[index] = 1;
        if (++at.k == at.end)
            return first;
        at.spare.setLine(at.view.at(at.k));
        if (compareLines(collation, at.view.prefix(at.k), at.spare, head, at.line) != 0)
            break;
    }
    // The line after the run may have its key made already.
    std::swap(at.line, at.spare);
    return first;
}

// A merge walk over parts of both lists in ascending order: each run of
// equal lines on one side meets the run on the other. Progress counts the
// lines of list #1 passed.
void walk(const AscendingView &a,
          qsizetype i,
          qsizetype aEnd,
          const AscendingView &b,
          qsizetype j,
          qsizetype bEnd,
          const Collation &collation,
          bool wantUnion,
          Matches &matches,
          const WalkFinds &finds,
          CompareProgress &progress)
{
    std::vector<std::uint32_t> &picks = finds.picks;
    qsizetype reported = i;
    // At most one pick per line: no growing, which would copy and fault in
    // fresh pages as it goes; pages never written cost nothing.
    if (wantUnion)
        picks.reserve(picks.size() + size_t(aEnd - i) + size_t(bEnd - j));
    Cursor left(a, i, aEnd);
    Cursor right(b, j, bEnd);
    while (!left.done() || !right.done()) {
        if (progress.StopRequested.load(std::memory_order_relaxed)) {
            finds.stopped = true;
            return;
        }
        const int order = left.done() ? 1
            : right.done()
            ? -1
            : compareLines(collation, a.prefix(left.k), left.line, b.prefix(right.k), right.line);
        if (order == 0) {
            const qsizetype leftFrom = left.k, rightFrom = right.k;
            const QStringView leftLine = left.line.line(), rightLine = right.line.line();
            const std::uint32_t first = endRun(left, collation, &matches.inFirst);
            endRun(right, collation, &matches.inSecond);
            if (wantUnion)
                picks.push_back(first);
            ++finds.runs[0];
            ++finds.runs[1];
            ++finds.runs[2];
            // Nearly every run is one line on each side, the same units.
            if (left.k - leftFrom > 1 || right.k - rightFrom > 1)
                pairWrittenDifferently(a, leftFrom, left.k, b, rightFrom, right.k, finds.pairs);
            else if (leftLine != rightLine)
                finds.pairs.push_back(pairOf(a.index(leftFrom), b.index(rightFrom)));
        } else if (order < 0) {
            // Each run is ended, union or not, so that distinct lines are counted.
            const std::uint32_t first = endRun(left, collation, nullptr);
            ++finds.runs[0];
            if (wantUnion)
                picks.push_back(first);
        } else {
            const std::uint32_t first = endRun(right, collation, nullptr);
            ++finds.runs[1];
            if (wantUnion)
                picks.push_back(LineList::FromSecond | first);
        }
        if (left.k - reported >= 4096) {
            progress.ProgressCurrent.fetch_add(left.k - reported, std::memory_order_relaxed);
            reported = left.k;
        }
    }
    progress.ProgressCurrent.fetch_add(left.k - reported, std::memory_order_relaxed);
}

// The first position in `view` whose line is not below `line`.
qsizetype lowerBound(const AscendingView &view, QStringView line, const Collation &collation)
{
    Collation::KeyedLine sought(line);
    Collation::KeyedLine probe;
    qsizetype low = 0, high = view.size();
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        probe.setLine(view.at(mid));
        if (collation.compare(probe, sought) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

// Both lists walked in two parts at once, split at a line of list #1 so that
// every class of equal lines falls wholly in one part.
Matches matchLines(const AscendingView &a,
                   const AscendingView &b,
                   const Collation &collation,
                   bool wantUnion,
                   CompareProgress &progress)
{
    Matches matches;
    matches.inFirst.assign(size_t(a.size()), 0);
    matches.inSecond.assign(size_t(b.size()), 0);
    const bool parallel
        = std::thread::hardware_concurrency() >= 2 && size_t(a.size() + b.size()) >= WorthASecondThread;
    if (!parallel) {
        walk(a, 0, a.size(), b, 0, b.size(), collation, wantUnion, matches,
             {matches.unionPicks, matches.pairs, matches.stopped, matches.distinct}, progress);
        return matches;
    }
    const QStringView pivot = a.size() > 0 ? a.at(a.size() / 2) : b.at(b.size() / 2);
    const qsizetype aSplit = lowerBound(a, pivot, collation);
    const qsizetype bSplit = lowerBound(b, pivot, collation);
    // Both parts mark lines in the same flags, each its own; picks and stops apart.
    std::vector<std::uint32_t> upperPicks;
    std::vector<std::uint64_t> upperPairs;
    if (wantUnion)
        matches.unionPicks.reserve(size_t(a.size() + b.size()));
    bool upperStopped = false;
    std::array<qsizetype, 3> upperDistinct {0, 0, 0};
    onTwoThreads(
        [&] {
            walk(a, 0, aSplit, b, 0, bSplit, collation, wantUnion, matches,
                 {matches.unionPicks, matches.pairs, matches.stopped, matches.distinct}, progress);
        },
        [&] {
            walk(a, aSplit, a.size(), b, bSplit, b.size(), collation, wantUnion, matches,
                 {upperPicks, upperPairs, upperStopped, upperDistinct}, progress);
        });
    for (size_t k = 0; k < 3; ++k)
        matches.distinct[k] += upperDistinct[k];
    matches.stopped = matches.stopped || upperStopped;
    matches.unionPicks.insert(matches.unionPicks.end(), upperPicks.begin(), upperPicks.end());
    matches.pairs.insert(matches.pairs.end(), upperPairs.begin(), upperPairs.end());
    return matches;
}

// Line flags: matched (1) or not (0), as the walk marks them; by key, also
// lines without a key and the header.
constexpr std::uint8_t Unmatched = 0;
constexpr std::uint8_t Matched = 1;
constexpr std::uint8_t WithoutKey = 2;
constexpr std::uint8_t Header = 3;

// The indexes of the matched lines, or of the others but the header; nullopt
// after a stop.
std::optional<std::vector<std::uint32_t>>
pick(const std::vector<std::uint8_t> &flags, bool matched, CompareProgress &progress, bool countProgress)
{
    // Unmatched and WithoutKey have the low bit clear, Matched and Header set.
    auto wanted
        = [matched](std::uint8_t flag) { return matched ? flag == Matched : (flag & 1) == Unmatched; };
    std::vector<std::uint32_t> indexes;
    indexes.reserve(size_t(std::count_if(flags.begin(), flags.end(), wanted)));
    for (size_t i = 0; i < flags.size(); ++i) {
        if (progress.StopRequested.load(std::memory_order_relaxed))
            return std::nullopt;
        if (wanted(flags[i]))
            indexes.push_back(std::uint32_t(i));
        if (countProgress)
            progress.ProgressCurrent.store(qint64(i) + 1, std::memory_order_relaxed);
    }
    return indexes;
}

// What the walk over the keys found, in terms of the lines: the flags of
// each line, the union picks (lines without a key after the others) and
// the pairs.
void keysToLines(Matches &matches,
                 const LineList &list1,
                 const LineList &list2,
                 const std::vector<std::uint32_t> &owners1,
                 const std::vector<std::uint32_t> &owners2,
                 bool header,
                 bool wantUnion)
{
    auto lineFlags = [header](const LineList &list, const std::vector<std::uint32_t> &owners,
                              const std::vector<std::uint8_t> &keyFlags) {
        std::vector<std::uint8_t> flags(size_t(list.count()), WithoutKey);
        if (header && !flags.empty())
            flags[0] = Header;
        for (size_t k = 0; k < owners.size(); ++k)
            flags[owners[k]] = keyFlags[k];
        return flags;
    };
    matches.inFirst = lineFlags(list1, owners1, matches.inFirst);
    matches.inSecond = lineFlags(list2, owners2, matches.inSecond);
    if (wantUnion) {
        for (std::uint32_t &pick : matches.unionPicks)
            pick = (pick & LineList::FromSecond)
                ? (LineList::FromSecond | owners2[pick & ~LineList::FromSecond])
                : owners1[pick];
        for (size_t i = 0; i < matches.inFirst.size(); ++i) {
            if (matches.inFirst[i] == WithoutKey)
                matches.unionPicks.push_back(std::uint32_t(i));
        }
        for (size_t i = 0; i < matches.inSecond.size(); ++i) {
            if (matches.inSecond[i] == WithoutKey)
                matches.unionPicks.push_back(LineList::FromSecond | std::uint32_t(i));
        }
    }
    for (std::uint64_t &pair : matches.pairs)
        pair = pairOf(owners1[pair >> 32], owners2[std::uint32_t(pair)]);
}

// The pairs in list #1's order, as lines.
LinePairs pairedLines(const LineList &list1, const LineList &list2, std::vector<std::uint64_t> &pairs)
{
    // Found in ascending order of the lines, which is list #1's own order
    // only when it is sorted.
    if (!std::is_sorted(pairs.begin(), pairs.end()))
        std::sort(pairs.begin(), pairs.end());
    std::vector<std::uint32_t> first(pairs.size()), second(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        first[i] = std::uint32_t(pairs[i] >> 32);
        second[i] = std::uint32_t(pairs[i]);
    }
    return {LineList::subset(list1, first), LineList::subset(list2, second)};
}

void enterStage(CompareProgress &progress, int stage)
{
    progress.ProgressStage.store(stage, std::memory_order_relaxed);
    if (progress.onStage)
        progress.onStage(stage);
}

void startStage(CompareProgress &progress, int stage, qsizetype total)
{
    progress.ProgressTotal.store(total, std::memory_order_relaxed);
    progress.ProgressCurrent.store(0, std::memory_order_relaxed);
    enterStage(progress, stage);
}

} // namespace

std::optional<int> progressPercent(int stage, qint64 total, qint64 current)
{
    if (stage >= 1 && stage <= 3) {
        if (total <= 0)
            return std::nullopt;
        return int(current * 100 / total / 4 + qint64(stage - 1) * 25);
    }
    switch (stage) {
    case 4:
        return 85;
    case 5:
        return 90;
    case 6:
        return 95;
    default:
        return std::nullopt;
    }
}

namespace {

// The sizes of the sets made so far, for the summary.
CompareResult counted(CompareResult result)
{
    for (size_t set = 0; set < result.sets.size(); ++set) {
        if (result.sets[set])
            result.summary.sets[set] = result.sets[set]->count();
    }
    return result;
}

CompareResult compareSets(const LineList &list1,
                          const LineList &list2,
                          const CompareOptions &options,
                          CompareProgress &progress)
{
    CompareResult result;
    result.stopped = true;
    CompareSummary &summary = result.summary;
    summary.locale = list1.collationLocale();
    summary.matching = list1.matching();
    summary.key = options.key;
    summary.header = options.header;
    summary.lines = {list1.count(), list2.count()};
    if (options.header) {
        summary.lines[0] -= list1.isEmpty() ? 0 : 1;
        summary.lines[1] -= list2.isEmpty() ? 0 : 1;
    }

    startStage(progress, 1, list1.count());
    // By key, the keys are compared as lines are, and what they find is
    // then said of their lines.
    const bool byKey = !options.key.isWholeLine() || options.header;
    std::vector<std::uint32_t> owners1, owners2;
    std::optional<LineList> keys1, keys2;
    if (byKey) {
        const qsizetype from = options.header ? 1 : 0;
        keys1 = list1.keysOf(options.key, from, owners1);
        keys2 = list2.keysOf(options.key, from, owners2);
        if (options.header) {
            if (!list1.isEmpty())
                result.headers[0] = list1.lineAt(0);
            if (!list2.isEmpty())
                result.headers[1] = list2.lineAt(0);
        }
    }
    const LineList &compared1 = byKey ? *keys1 : list1;
    const LineList &compared2 = byKey ? *keys2 : list2;
    const Collation &collation = compared1.collation();
    const AscendingView ascending1(compared1, collation);
    const AscendingView ascending2(compared2, collation);
    Matches matches = matchLines(ascending1, ascending2, collation, options.calculateUnion, progress);
    if (matches.stopped)
        return result;
    if (byKey) {
        keysToLines(matches, list1, list2, owners1, owners2, options.header, options.calculateUnion);
        // The keys are those of the lines that have one.
        summary.withoutKey = {summary.lines[0] - compared1.count(), summary.lines[1] - compared2.count()};
    }
    summary.distinct = {matches.distinct[0], matches.distinct[1]};
    summary.distinctInBoth = matches.distinct[2];
    summary.walked = true;
    // The walk has counted stage 1's items already.
    auto common = pick(matches.inFirst, true, progress, false);
    if (!common)
        return result;
    result[ResultSet::Intersection] = LineList::subset(list1, *common);
    result.writtenDifferently = pairedLines(list1, list2, matches.pairs);
    summary.writtenDifferently = result.writtenDifferently->count();

    startStage(progress, 2, list1.count());
    auto only1 = pick(matches.inFirst, false, progress, true);
    if (!only1)
        return result;
    result[ResultSet::Only1] = LineList::subset(list1, *only1);

    startStage(progress, 3, list2.count());
    auto only2 = pick(matches.inSecond, false, progress, true);
    if (!only2)
        return result;
    result[ResultSet::Only2] = LineList::subset(list2, *only2);
    result.stopped = false;

    if (options.calculateUnion) {
        // The walk of stage 1 has found the union's lines already; the union
        // stages test no stop flag.
        enterStage(progress, 4);
        enterStage(progress, 5);
        result[ResultSet::Union] = LineList::merged(list1, list2, matches.unionPicks);
        enterStage(progress, 6);
    }
    return result;
}

} // namespace

CompareResult compareLists(const LineList &list1,
                           const LineList &list2,
                           const CompareOptions &options,
                           CompareProgress &progress)
{
    return counted(compareSets(list1, list2, options, progress));
}
