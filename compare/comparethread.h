#pragma once

#include "compare/comparison.h"

#include <QThread>

#include <exception>

// Runs a comparison on a thread of its own. Each hand-off runs on the thread
// of `context` (the GUI thread) while the worker waits, and an error raised
// there is raised again in the worker. `context` must outlive the run: to end
// one early, make its hand-offs throw and wait for finished().
class TCompareThread : public QThread
{
    Q_OBJECT

public:
    TCompareThread(CompareProgress &progress, CompareHandOffs handOffs, QObject *context);
    ~TCompareThread() override;

    // After finished(): whether an error ended the run, and its message.
    bool failed() const { return bool(m_error); }
    QString errorMessage() const;

protected:
    void run() override;

private:
    void onContextThread(const std::function<void()> &work);

    CompareProgress &m_progress;
    CompareHandOffs m_handOffs;
    QObject *m_context;
    // The lists the run reads, kept here so that their last reference goes on
    // the thread that owns the originals.
    std::optional<CompareInput> m_input;
    std::exception_ptr m_error;
};
