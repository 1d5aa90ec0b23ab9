#include "compare/comparethread.h"

#include "lists/paneedit.h"
#include "lists/parallel.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"

QString runErrorMessage(const std::exception_ptr &error)
{
    if (isOutOfMemory(error))
        return TranslateText(QStringLiteral("The lists do not fit in memory for the comparison.")) + u'\n'
            + largeListsAdvice();
    return errorMessageOf(error);
}

TCompareThread::TCompareThread(CompareInput input, CompareProgress &progress, Compare compare)
    : m_input(std::move(input))
    , m_progress(progress)
    , m_compare(std::move(compare))
{
}

TCompareThread::~TCompareThread()
{
    wait();
}

QString TCompareThread::errorMessage() const
{
    return m_error ? runErrorMessage(m_error) : QString();
}

void TCompareThread::run()
{
    m_error = capturingException(
        [this] { m_result = m_compare(m_input.list1, m_input.list2, m_input.options, m_progress); });
}
