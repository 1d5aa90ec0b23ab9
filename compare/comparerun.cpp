#include "compare/comparerun.h"

#include "compare/formcompare.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"
#include "widgets/busycursor.h"
#include "widgets/dialogs.h"

CompareRun::CompareRun(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

CompareRun::~CompareRun()
{
    end();
}

void CompareRun::start(const std::function<CompareInput()> &takeInput)
{
    m_progress.StopRequested.store(false, std::memory_order_relaxed);
    m_cursor = std::make_unique<BusyCursor>();
    m_form = new TCompareForm(m_owner);
    try {
        CompareInput input = takeInput();
        m_thread = std::make_unique<TCompareThread>(std::move(input), m_progress,
                                                    m_compare ? m_compare : compareLists);
    } catch (...) {
        delete m_form;
        restoreCursor();
        Q_EMIT finished();
        // Sorting the lists again for new options can run out of memory too.
        if (isOutOfMemory(std::current_exception()))
            throw AppError(runErrorMessage(std::current_exception()), ErrorKind::OutOfMemory);
        throw;
    }
    const quint64 generation = ++m_generation;
    // Queued: finished is sent on the worker's thread.
    connect(
        m_thread.get(), &QThread::finished, this,
        [this, generation] {
            if (generation == m_generation)
                CompareThreadTerminate();
        },
        Qt::QueuedConnection);
    // The worker starts once this thread is back in its event loop, so that
    // commands already queued (a second press: stop) come first.
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation)
                launch();
        },
        Qt::QueuedConnection);
}

void CompareRun::launch()
{
    m_thread->start();
    if (!m_thread->isRunning() && !m_thread->isFinished()) {
        m_thread.reset();
        fail(
            TranslateText(QStringLiteral("The comparison could not be started: no thread could be created")));
    }
}

void CompareRun::requestStop()
{
    m_progress.StopRequested.store(true, std::memory_order_relaxed);
}

std::optional<int> CompareRun::percent() const
{
    return progressPercent(m_progress.ProgressStage.load(std::memory_order_relaxed),
                           m_progress.ProgressTotal.load(std::memory_order_relaxed),
                           m_progress.ProgressCurrent.load(std::memory_order_relaxed));
}

void CompareRun::restoreCursor()
{
    m_cursor.reset();
}

void CompareRun::end()
{
    if (!m_thread)
        return;
    requestStop();
    m_thread.reset();
    ++m_generation;
    if (m_form && !m_form->isVisible())
        delete m_form;
    restoreCursor();
}

void CompareRun::fail(const QString &message)
{
    restoreCursor();
    Q_EMIT finished();
    // The window of a failed run is never shown.
    if (m_form && !m_form->isVisible())
        m_form->deleteLater();
    Dialogs::current().errorBox(nullptr, TranslateText(QStringLiteral("ERROR")), message);
}

void CompareRun::CompareThreadTerminate()
{
    const std::unique_ptr<TCompareThread> thread = std::move(m_thread);
    if (thread->failed()) {
        fail(thread->errorMessage());
        return;
    }
    const QPointer<TCompareForm> form = m_form;
    CompareResult result = thread->takeResult();
    try {
        if (!form)
            throw AppError(TranslateText(QStringLiteral("The comparison was cancelled")),
                           ErrorKind::Cancelled);
        for (ResultSet set : {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2}) {
            if (result[set])
                form->deliver(set, std::move(*result[set]));
        }
        if (result.writtenDifferently)
            form->deliverPairs(std::move(*result.writtenDifferently));
        form->deliverHeaders(result.headers);
        if (!result.stopped && result[ResultSet::Union]) {
            form->showUnionTab();
            form->deliver(ResultSet::Union, std::move(*result[ResultSet::Union]));
        }
        form->deliverSummary(result.summary);
        if (!result.stopped) {
            restoreCursor();
            form->show();
        }
    } catch (...) {
        fail(runErrorMessage(std::current_exception()));
        return;
    }
    restoreCursor();
    Q_EMIT finished();
    if (form)
        form->show();
}
