#include "lists/linesplitter.h"

#include "lists/linelist.h"

LineSplitter::LineSplitter(LineList &list, bool trim)
    : m_list(list)
    , m_trim(trim)
{
}

QStringView LineSplitter::trimmed(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin].unicode() <= 32)
        ++begin;
    while (end > begin && line[end - 1].unicode() <= 32)
        --end;
    return line.sliced(begin, end - begin);
}

void LineSplitter::emit(QStringView line)
{
    if (m_trim) {
        line = trimmed(line);
        if (line.isEmpty())
            return;
    }
    m_list.append(line);
}

void LineSplitter::feed(QStringView text)
{
    const char16_t *data = text.utf16();
    const qsizetype rest = m_scanner.scan(data, 0, text.size(), [&](qsizetype start, qsizetype end) {
        const QStringView line(data + start, end - start);
        if (start == 0 && !m_partial.isEmpty()) {
            m_partial.append(line);
            emit(m_partial);
            m_partial.clear();
        } else {
            emit(line);
        }
    });
    if (rest < text.size())
        m_partial.append(text.sliced(rest));
}

void LineSplitter::finish()
{
    if (!m_partial.isEmpty()) {
        emit(m_partial);
        m_partial.clear();
    }
    m_scanner = LineScanner();
}
