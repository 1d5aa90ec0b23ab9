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
    const qsizetype size = text.size();
    qsizetype pos = 0;
    if (m_skipLf && size > 0) {
        if (data[0] == u'\n')
            pos = 1;
        m_skipLf = false;
    }
    qsizetype lineStart = pos;
    while (pos < size) {
        const char16_t c = data[pos];
        if (c > u'\r' || (c != u'\n' && c != u'\r')) {
            ++pos;
            continue;
        }
        const QStringView piece(data + lineStart, pos - lineStart);
        if (m_partial.isEmpty()) {
            emit(piece);
        } else {
            m_partial.append(piece);
            emit(m_partial);
            m_partial.clear();
        }
        ++pos;
        if (c == u'\r') {
            if (pos == size)
                m_skipLf = true;
            else if (data[pos] == u'\n')
                ++pos;
        }
        lineStart = pos;
    }
    if (lineStart < size)
        m_partial.append(QStringView(data + lineStart, size - lineStart));
}

void LineSplitter::finish()
{
    if (!m_partial.isEmpty()) {
        emit(m_partial);
        m_partial.clear();
    }
    m_skipLf = false;
}
