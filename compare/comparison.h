#pragma once

#include "lists/linekey.h"
#include "lists/linelist.h"

#include <array>
#include <atomic>
#include <functional>
#include <optional>

// Progress of a comparison and the request to stop it: each value is written
// by one thread and read by the other, so relaxed atomics suffice.
struct CompareProgress
{
    // 1 intersection, 2 only #1, 3 only #2, 4 and 5 union, 6 union done; 0 before any run.
    std::atomic<int> ProgressStage {0};
    std::atomic<qint64> ProgressTotal {0};
    std::atomic<qint64> ProgressCurrent {0};
    std::atomic<bool> StopRequested {false};
    // Called on the comparing thread as each stage begins, once the stage is
    // set; may request a stop or throw, which ends the comparison.
    std::function<void(int stage)> onStage;
};

// The percentage the status bar shows for a stage, or nullopt for none.
std::optional<int> progressPercent(int stage, qint64 total, qint64 current);

struct CompareOptions
{
    bool calculateUnion = false;
    // What of each line is compared; the sets hold whole lines. A line
    // without a key matches nothing: it goes to its list's "only" set and,
    // after the others, to the union.
    LineKey key = LineKey();
    // The first line of each list is a header, out of the comparison.
    bool header = false;
};

enum class ResultSet
{
    Intersection,
    Only1,
    Only2,
    Union,
};

// Lines matched although written differently: line i of `first` (list #1)
// matched line i of `second` (list #2) without being the same code units.
struct LinePairs
{
    LineList first;
    LineList second;
    qsizetype count() const { return first.count(); }
};

// What a comparison found, in counts, and how it matched lines: made in the
// same pass as the sets. Lines are those compared (a header is not);
// distinct lines are the classes of equal lines (of equal keys) among those
// with a key.
struct CompareSummary
{
    std::array<qsizetype, 2> lines {0, 0};
    std::array<qsizetype, 2> distinct {0, 0};
    qsizetype distinctInBoth = 0;
    // By key: how many lines of each list had none.
    std::array<qsizetype, 2> withoutKey {0, 0};
    // False when a stop came before the walk ended: then the counts of
    // distinct lines are not known.
    bool walked = false;
    // The size of each set whose stage has finished.
    std::array<std::optional<qsizetype>, 4> sets;
    qsizetype writtenDifferently = 0;

    QByteArray locale;
    Matching matching;
    LineKey key;
    bool header = false;

    // Lines beyond the first of each set of equal lines.
    qsizetype repeated(int list) const
    {
        return lines[size_t(list)] - withoutKey[size_t(list)] - distinct[size_t(list)];
    }
    // Distinct lines in both ÷ distinct lines in either, in percent; 0 when both are empty.
    double overlapPercent() const
    {
        const qsizetype either = distinct[0] + distinct[1] - distinctInBoth;
        return either == 0 ? 0.0 : 100.0 * double(distinctInBoth) / double(either);
    }
};

struct CompareResult
{
    // A set is there once its stage has finished: after a stop, the sets of
    // the stages before it; the union only when it was asked for.
    std::array<std::optional<LineList>, 4> sets;
    // With the intersection: for each of its lines whose matching lines in
    // list #2 are not all the same code units as it, the line and the first
    // of those (in list #2's order) that differs; in list #1's order.
    std::optional<LinePairs> writtenDifferently;
    // Stopped before only #2 was finished.
    bool stopped = false;
    // With a header: each list's first line, for the sets taken from it.
    std::array<std::optional<QString>, 2> headers;
    CompareSummary summary;

    std::optional<LineList> &operator[](ResultSet set) { return sets[size_t(set)]; }
    const std::optional<LineList> &operator[](ResultSet set) const { return sets[size_t(set)]; }
};

// Compares two lists: intersection and only #1 in list #1's order, repeats
// kept; only #2 in list #2's order; the union with each distinct line once,
// in collation order, the first met kept. Equality is that of list #1's
// collation. The stop flag is honoured during stages 1 to 3 only.
CompareResult compareLists(const LineList &list1,
                           const LineList &list2,
                           const CompareOptions &options,
                           CompareProgress &progress);

// What a run compares: snapshots of the two lists and the options, taken
// when it starts.
struct CompareInput
{
    LineList list1;
    LineList list2;
    CompareOptions options;
};
