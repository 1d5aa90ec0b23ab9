#include "lists/listjob.h"

#include "lists/parallel.h"
#include "platform/languagetable.h"

#include <algorithm>

void JobProgress::start(JobStage stage, qint64 total)
{
    m_done.store(0, std::memory_order_relaxed);
    m_total.store(std::max<qint64>(total, 0), std::memory_order_relaxed);
    m_stage.store(stage, std::memory_order_relaxed);
}

void JobProgress::setDone(qint64 done)
{
    m_done.store(done, std::memory_order_relaxed);
}

void JobProgress::addDone(qint64 units)
{
    m_done.fetch_add(units, std::memory_order_relaxed);
}

void JobProgress::setPart(int part)
{
    m_part.store(part, std::memory_order_relaxed);
}

JobStage JobProgress::stage() const
{
    return m_stage.load(std::memory_order_relaxed);
}

int JobProgress::part() const
{
    return m_part.load(std::memory_order_relaxed);
}

qint64 JobProgress::done() const
{
    return m_done.load(std::memory_order_relaxed);
}

std::optional<int> JobProgress::percent() const
{
    const qint64 total = m_total.load(std::memory_order_relaxed);
    if (total <= 0)
        return std::nullopt;
    const qint64 done = std::clamp<qint64>(m_done.load(std::memory_order_relaxed), 0, total);
    return int(double(done) * 100 / double(total));
}

void JobProgress::requestCancel()
{
    m_cancel.store(true, std::memory_order_relaxed);
}

bool JobProgress::cancelRequested() const
{
    return m_cancel.load(std::memory_order_relaxed);
}

void JobProgress::throwIfCancelled() const
{
    if (cancelRequested())
        throw cancelledError();
}

AppError cancelledError()
{
    return AppError(TranslateText(QStringLiteral("The command was cancelled")), ErrorKind::Cancelled);
}

bool isCancelled(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError &appError) {
        return appError.kind() == ErrorKind::Cancelled;
    } catch (...) {
        return false;
    }
}

JobThread::JobThread(Work work, JobProgress &progress)
    : m_work(std::move(work))
    , m_progress(progress)
{
}

JobThread::~JobThread()
{
    wait();
}

void JobThread::run()
{
    m_error = capturingException([this] { m_work(m_progress); });
}
