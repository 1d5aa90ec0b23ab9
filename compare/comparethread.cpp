#include "compare/comparethread.h"

#include "app/apperror.h"

#include <QMetaObject>

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

void TCompareThread::onContextThread(const std::function<void()> &work)
{
    bool ran = false;
    std::exception_ptr error;
    const bool queued = QMetaObject::invokeMethod(
        m_context,
        [&] {
            ran = true;
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
    if (!queued || !ran)
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
