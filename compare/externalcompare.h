#pragma once

#include "compare/comparison.h"
#include "compare/resultfiles.h"
#include "lists/textencoding.h"
#include "lists/textloader.h"

#include <QString>

#include <array>
#include <atomic>
#include <exception>

class LineSink;

// Comparing lists larger than memory: each list is read in chunks, each
// chunk sorted as a list is sorted and written as a run to a temporary
// folder; the runs of each list are merged, and the two merged lists walked
// as the comparison walks two sorted lists. The sets are those of
// compareLists() on the lists loaded whole, line for line and in the same
// order.

// What the run is doing, for a display on another thread.
struct ExternalProgress
{
    enum Phase
    {
        Starting,
        Reading1,
        Reading2,
        Merging,
        Writing,
    };
    std::atomic<int> phase {Starting};
    std::atomic<qint64> done {0};
    std::atomic<qint64> total {0};
};

struct ExternalJob
{
    // The files of list #1 and list #2; an empty name reads standard input.
    std::array<QString, 2> files;
    TextEncoding encoding = TextEncoding::Utf8;
    bool ignoreWhitespace = false;
    // The lists' order is their collation order ("Sort When Loading"), else
    // the order of their files.
    bool sorted = true;
    Matching matching;
    LineKey key;
    bool header = false;
    bool calculateUnion = false;
    // The working memory the run keeps to, roughly.
    qint64 memoryBytes = qint64 {1} << 30;
    // The folder the run's own temporary folder is made in.
    QString tempParent;
};

// Where each set goes; a set without a sink is not written (but counted).
// Each sink gets the set's header first when there is one.
struct ExternalSinks
{
    LineSink *intersection = nullptr;
    LineSink *only1 = nullptr;
    LineSink *only2 = nullptr;
    LineSink *oneListOnly = nullptr;
    LineSink *all = nullptr; // the union, when calculated
    LineSink *pairs = nullptr; // written differently
};

struct ExternalOutcome
{
    CompareSummary summary;
    std::array<LoadReport, 2> reports;
    // The most the temporary files took at once, and the runs each list made.
    qint64 peakTempBytes = 0;
    std::array<int, 2> runs {0, 0};
    // Seconds spent reading list #1, list #2, merging and writing the rest.
    std::array<double, 4> seconds {0, 0, 0, 0};
};

// A list could not be read: `error` is what its loader threw.
struct ListReadFailure
{
    int list; // 0 or 1
    std::exception_ptr error;
};

// Compares the files into the sinks. Throws ListReadFailure for a list that
// cannot be read, AppError for a temporary folder that cannot be made or
// written (naming it and the reason) and WriteError from the sinks. The
// temporary folder is gone when it returns or throws.
ExternalOutcome
compareExternally(const ExternalJob &job, const ExternalSinks &sinks, ExternalProgress &progress);
