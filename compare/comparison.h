#pragma once

#include "lists/linelist.h"

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
};

// The percentage the status bar shows for a stage, or nullopt for none.
std::optional<int> progressPercent(int stage, qint64 total, qint64 current);

struct CompareInput
{
    LineList list1;
    LineList list2;
    bool calculateUnion = false;
};

enum class ResultSet
{
    Intersection,
    Only1,
    Only2,
    Union,
};

// The six hand-offs of a run, in order. begin gives the two lists to compare;
// deliver receives the sets of stages 1 to 3; finish the union, when it was
// computed; done comes last, also straight after a stop. Any of them may throw:
// the run ends there and the error reaches the caller of CompareNow.
struct CompareHandOffs
{
    std::function<CompareInput()> begin;
    std::function<void(ResultSet, LineList)> deliver;
    std::function<void(std::optional<LineList>)> finish;
    std::function<void()> done;
};

// Runs a comparison: intersection and only #1 in list #1's order, repeats kept;
// only #2 in list #2's order; the union with each distinct line once, in
// collation order, the first met kept. Equality is that of list #1's collation.
// The stop flag is honoured during stages 1 to 3 only.
void CompareNow(CompareProgress &progress, const CompareHandOffs &handOffs);
