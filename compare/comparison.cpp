#include "compare/comparison.h"

#include "lists/collation.h"
#include "lists/linesort.h"

#include <numeric>
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
        const bool sortedAlready = list.sorted() && list.collationLocale() == collation.locale()
            && list.caseSensitive() == collation.caseSensitive();
        if (!sortedAlready)
            m_order = sortedOrder(list, collation);
        m_identity = sortedAlready;
    }

    qsizetype size() const { return m_list.count(); }
    std::uint32_t index(qsizetype k) const { return m_identity ? std::uint32_t(k) : m_order[size_t(k)]; }
    QStringView at(qsizetype k) const { return m_list.at(index(k)); }

private:
    const LineList &m_list;
    std::vector<std::uint32_t> m_order;
    bool m_identity = true;
};

struct Matches
{
    std::vector<std::uint8_t> inFirst; // list #1 line i has an equal line in list #2
    std::vector<std::uint8_t> inSecond; // and the other way round
    bool stopped = false;
};

// One merge walk over both lists in ascending order: each run of equal lines
// on one side is matched against the run on the other. Progress counts the
// lines of list #1 passed.
Matches matchLines(const AscendingView &a,
                   const AscendingView &b,
                   const Collation &collation,
                   CompareProgress &progress)
{
    Matches matches;
    matches.inFirst.assign(size_t(a.size()), 0);
    matches.inSecond.assign(size_t(b.size()), 0);
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (progress.StopRequested.load(std::memory_order_relaxed)) {
            matches.stopped = true;
            return matches;
        }
        const int order = collation.compare(a.at(i), b.at(j));
        if (order < 0) {
            ++i;
        } else if (order > 0) {
            ++j;
        } else {
            const QStringView runA = a.at(i);
            const QStringView runB = b.at(j);
            do {
                matches.inFirst[a.index(i)] = 1;
                ++i;
            } while (i < a.size() && collation.equal(a.at(i), runA));
            do {
                matches.inSecond[b.index(j)] = 1;
                ++j;
            } while (j < b.size() && collation.equal(b.at(j), runB));
        }
        progress.ProgressCurrent.store(i, std::memory_order_relaxed);
    }
    progress.ProgressCurrent.store(a.size(), std::memory_order_relaxed);
    return matches;
}

// The union as picks for LineList::merged: each class of equal lines once, in
// ascending order, represented by its first line in list #1's order, else by
// its first in list #2's.
std::vector<std::uint32_t>
unionPicks(const AscendingView &a, const AscendingView &b, const Collation &collation)
{
    std::vector<std::uint32_t> picks;
    picks.reserve(size_t(std::max(a.size(), b.size())));
    qsizetype i = 0, j = 0;
    // Ends the run of lines equal to `line` in `view` from `k`; returns its smallest index.
    auto runFrom = [&](const AscendingView &view, qsizetype &k, QStringView line) {
        std::uint32_t first = view.index(k);
        for (++k; k < view.size() && collation.equal(view.at(k), line); ++k)
            first = std::min(first, view.index(k));
        return first;
    };
    while (i < a.size() || j < b.size()) {
        int order;
        if (i == a.size())
            order = 1;
        else if (j == b.size())
            order = -1;
        else
            order = collation.compare(a.at(i), b.at(j));
        if (order <= 0) {
            const QStringView line = a.at(i);
            picks.push_back(runFrom(a, i, line));
            if (order == 0)
                runFrom(b, j, b.at(j));
        } else {
            const QStringView line = b.at(j);
            picks.push_back(LineList::FromSecond | runFrom(b, j, line));
        }
    }
    return picks;
}

// The indexes whose flag equals `wanted`, or nullopt after a stop.
std::optional<std::vector<std::uint32_t>> pick(const std::vector<std::uint8_t> &flags,
                                               std::uint8_t wanted,
                                               CompareProgress &progress,
                                               bool countProgress)
{
    std::vector<std::uint32_t> indexes;
    for (size_t i = 0; i < flags.size(); ++i) {
        if (progress.StopRequested.load(std::memory_order_relaxed))
            return std::nullopt;
        if (flags[i] == wanted)
            indexes.push_back(std::uint32_t(i));
        if (countProgress)
            progress.ProgressCurrent.store(qint64(i + 1), std::memory_order_relaxed);
    }
    return indexes;
}

void startStage(CompareProgress &progress, int stage, qsizetype total)
{
    progress.ProgressTotal.store(total, std::memory_order_relaxed);
    progress.ProgressStage.store(stage, std::memory_order_relaxed);
    progress.ProgressCurrent.store(0, std::memory_order_relaxed);
}

} // namespace

std::optional<int> progressPercent(int stage, qint64 total, qint64 current)
{
    if (stage >= 1 && stage <= 3) {
        if (total <= 0)
            return std::nullopt;
        return int(current * 100 / total / 4 + (stage - 1) * 25);
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

void CompareNow(CompareProgress &progress, const CompareHandOffs &handOffs)
{
    const CompareInput input = handOffs.begin();
    const LineList &list1 = input.list1;
    const LineList &list2 = input.list2;
    const Collation &collation = list1.collation();

    [&] {
        startStage(progress, 1, list1.count());
        const AscendingView ascending1(list1, collation);
        const AscendingView ascending2(list2, collation);
        const Matches matches = matchLines(ascending1, ascending2, collation, progress);
        if (matches.stopped)
            return;
        // The walk has counted stage 1's items already.
        auto common = pick(matches.inFirst, 1, progress, false);
        if (!common)
            return;
        handOffs.deliver(ResultSet::Intersection, LineList::subset(list1, *common));

        startStage(progress, 2, list1.count());
        auto only1 = pick(matches.inFirst, 0, progress, true);
        if (!only1)
            return;
        handOffs.deliver(ResultSet::Only1, LineList::subset(list1, *only1));

        startStage(progress, 3, list2.count());
        auto only2 = pick(matches.inSecond, 0, progress, true);
        if (!only2)
            return;
        handOffs.deliver(ResultSet::Only2, LineList::subset(list2, *only2));

        std::optional<LineList> unionSet;
        if (input.calculateUnion) {
            progress.ProgressStage.store(4, std::memory_order_relaxed);
            const std::vector<std::uint32_t> picks = unionPicks(ascending1, ascending2, collation);
            progress.ProgressStage.store(5, std::memory_order_relaxed);
            unionSet = LineList::merged(list1, list2, picks);
            progress.ProgressStage.store(6, std::memory_order_relaxed);
        }
        handOffs.finish(std::move(unionSet));
    }();
    handOffs.done();
}
