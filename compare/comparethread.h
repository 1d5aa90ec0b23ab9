#pragma once

#include "compare/comparison.h"

#include <QThread>

#include <exception>
#include <functional>

// What the window says of a run's error: when memory ran out, that the lists
// do not fit for the comparison and what to use instead; else
// errorMessageOf(error).
QString runErrorMessage(const std::exception_ptr &error);

// Runs one comparison on a thread of its own over the snapshots it is given.
// The snapshots stay here, so that their last reference goes on the thread
// that deletes this object, the one that owns the originals.
class TCompareThread : public QThread
{
    Q_OBJECT

public:
    using Compare = std::function<CompareResult(
        const LineList &, const LineList &, const CompareOptions &, CompareProgress &)>;

    TCompareThread(CompareInput input, CompareProgress &progress, Compare compare = compareLists);
    // Waits for the run to end.
    ~TCompareThread() override;

    // After finished(): whether an error ended the run, and its message
    // (runErrorMessage()).
    bool failed() const { return bool(m_error); }
    QString errorMessage() const;
    // After finished() without an error: the sets, once.
    CompareResult takeResult() { return std::move(m_result); }

protected:
    void run() override;

private:
    const CompareInput m_input;
    CompareProgress &m_progress;
    const Compare m_compare;
    CompareResult m_result;
    std::exception_ptr m_error;
};
