#pragma once

#include "compare/comparethread.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class BusyCursor;
class QWidget;
class TCompareForm;

// One comparison at a time as the main window sees it: from the start the
// busy pointer and a hidden results window; at the end the sets delivered
// into the window and the window shown, or the error reported and the window
// dropped; back to idle through finished() on every path.
class CompareRun : public QObject
{
    Q_OBJECT

public:
    // owner: the parent of the results windows, which go when it goes.
    explicit CompareRun(QWidget *owner);
    // Ends a run still going (see end()).
    ~CompareRun() override;

    bool running() const { return m_thread != nullptr; }

    // Starts a run: clears the stop request, sets the busy pointer, creates
    // the hidden results window and takes what to compare from takeInput
    // (called here, on this thread); the worker starts from the event loop.
    // An error of takeInput is rethrown after finished() (running out of
    // memory as an AppError with runErrorMessage()).
    void start(const std::function<CompareInput()> &takeInput);
    // The run stops at its next stop test; the window then shows the sets
    // finished so far.
    void requestStop();
    // The percentage of the running stage, if any.
    std::optional<int> percent() const;
    CompareProgress &progress() { return m_progress; }
    // Back to the normal pointer, if the run set the busy one.
    void restoreCursor();
    // For closing the program: asks the run to stop and waits for it; its
    // window is never shown, nothing is reported and finished() is not sent.
    void end();

    // Tests compare with a function of their own (nullptr: the real one).
    void setCompare(TCompareThread::Compare compare) { m_compare = std::move(compare); }

Q_SIGNALS:
    // The run is over: finished, stopped or failed.
    void finished();

private:
    void launch();
    // The worker has ended: deliver and show, or report its error.
    void CompareThreadTerminate();
    void fail(const QString &message);

    QWidget *m_owner;
    CompareProgress m_progress;
    TCompareThread::Compare m_compare;
    std::unique_ptr<TCompareThread> m_thread;
    // Counts runs, so that the end of a run already dealt with is ignored.
    quint64 m_generation = 0;
    QPointer<TCompareForm> m_form;
    std::unique_ptr<BusyCursor> m_cursor;
};
