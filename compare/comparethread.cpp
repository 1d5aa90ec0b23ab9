#include "compare/comparethread.h"

#include "platform/apperror.h"

#include <QMetaObject>

#include <condition_variable>
#include <memory>
#include <mutex>

TCompareThread::TCompareThread(CompareProgress &progress, CompareHandOffs handOffs, QObject *context)
    : m_progress(progress)
    , m_handOffs(std::move(handOffs))
    , m_context(context)
{
}

TCompareThread::~TCompareThread()
{
    wait();
}

QString TCompareThread::errorMessage() const
{
    return m_error ? errorMessageOf(m_error) : QString();
}

namespace {

// One hand-off: the worker waits on it until the context thread has run the
// work, or has dropped it unrun (the last copy of the posted call going
// away says so). Standard primitives, so that race checkers see the order.
struct HandOff
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ran = false;
    std::exception_ptr error;

    void finish()
    {
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    }
};

struct FinishWhenDropped
{
    std::shared_ptr<HandOff> handOff;
    ~FinishWhenDropped() { handOff->finish(); }
};

} // namespace

void TCompareThread::onContextThread(const std::function<void()> &work)
{
    auto handOff = std::make_shared<HandOff>();
    // Made in place: a temporary guard would say "finished" as it went.
    std::shared_ptr<FinishWhenDropped> guard(new FinishWhenDropped {handOff});
    const bool queued = QMetaObject::invokeMethod(
        m_context,
        [guard = std::move(guard), &work] {
            HandOff &state = *guard->handOff;
            try {
                work();
            } catch (...) {
                state.error = std::current_exception();
            }
            std::lock_guard lock(state.mutex);
            state.ran = true;
        },
        Qt::QueuedConnection);
    std::unique_lock lock(handOff->mutex);
    handOff->finished.wait(lock, [&] { return handOff->done; });
    if (handOff->error)
        std::rethrow_exception(handOff->error);
    if (!queued || !handOff->ran)
        throw AppError(QStringLiteral("The comparison was cancelled"));
}

void TCompareThread::run()
{
    CompareHandOffs handOffs;
    handOffs.begin = [this] {
        onContextThread([this] { m_input = m_handOffs.begin(); });
        return *m_input;
    };
    handOffs.deliver = [this](ResultSet set, LineList lines) {
        onContextThread([&] { m_handOffs.deliver(set, std::move(lines)); });
    };
    handOffs.finish = [this](std::optional<LineList> unionSet) {
        onContextThread([&] { m_handOffs.finish(std::move(unionSet)); });
    };
    handOffs.done = [this] { onContextThread([this] { m_handOffs.done(); }); };
    try {
        CompareNow(m_progress, handOffs);
    } catch (...) {
        m_error = std::current_exception();
    }
}
