#pragma once

#include "platform/apperror.h"

#include <QThread>

#include <atomic>
#include <exception>
#include <functional>
#include <optional>

// What a long command on a list is doing.
enum class JobStage
{
    Starting,
    Reading, // a file or pasted text, counted in bytes or code units
    Sorting, // the whole list; its length is not known ahead
    Writing, // a file, counted in lines
};

// How far a command working on a thread of its own has got, and the
// window's request that it stop. Each value is written by the worker (the
// two writers of one save only add) and read by the window, so relaxed
// atomics suffice.
class JobProgress
{
public:
    // Enters a stage of `total` units; 0 when the total is not known.
    void start(JobStage stage, qint64 total = 0);
    void setDone(qint64 done);
    void addDone(qint64 units);
    // Which of several files the work is at, from 0.
    void setPart(int part);

    JobStage stage() const;
    int part() const;
    qint64 done() const;
    // Of the stage; nullopt while its total is not known.
    std::optional<int> percent() const;

    void requestCancel();
    bool cancelRequested() const;
    // Throws cancelledError() once a cancel was requested. The work calls it
    // where stopping leaves nothing half done.
    void throwIfCancelled() const;

private:
    std::atomic<JobStage> m_stage {JobStage::Starting};
    std::atomic<int> m_part {0};
    std::atomic<qint64> m_total {0};
    std::atomic<qint64> m_done {0};
    std::atomic<bool> m_cancel {false};
};

// The error with which cancelled work ends (ErrorKind::Cancelled).
AppError cancelledError();
bool isCancelled(const std::exception_ptr &error);

// Runs a command's work on a thread of its own. What the work throws is kept
// for the thread that started it, which reads it after finished().
class JobThread : public QThread
{
    Q_OBJECT

public:
    using Work = std::function<void(JobProgress &)>;

    JobThread(Work work, JobProgress &progress);
    // Waits for the work to end.
    ~JobThread() override;

    // After finished(): what the work threw, if anything.
    std::exception_ptr error() const { return m_error; }

protected:
    void run() override;

private:
    const Work m_work;
    JobProgress &m_progress;
    std::exception_ptr m_error;
};
