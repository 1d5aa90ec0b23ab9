#include "lists/linefinder.h"

#include "lists/linelist.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// A slice ends after this long or this many rows, whichever comes first; the
// row cap keeps a slice short on a slow machine whose clock reads are coarse.
constexpr qint64 SliceMilliseconds = 5;
constexpr qsizetype SliceRows = 1 << 16;
// The clock is read after about this many code units, so short lines do not
// pay for a read each.
constexpr qsizetype UnitsBetweenClockReads = 1 << 15;
// What a line costs beyond its text: fetching it and the call.
constexpr qsizetype UnitsPerLine = 8;

} // namespace

LineFinder::LineFinder(QObject *parent)
    : QObject(parent)
    , m_timer(this)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &LineFinder::searchSlice);
}

void LineFinder::find(std::vector<const LineList *> columns,
                      QString text,
                      qsizetype from,
                      bool forwards,
                      Qt::CaseSensitivity cs)
{
    cancel();
    if (text.isEmpty())
        return;
    m_columns = std::move(columns);
    m_text = std::move(text);
    m_cs = cs;
    m_forwards = forwards;
    m_rows = 0;
    for (const LineList *list : m_columns)
        m_rows = std::max(m_rows, list->count());
    if (from < 0 || from >= m_rows)
        from = forwards ? 0 : m_rows - 1;
    m_row = from;
    m_left = m_rows;
    m_column = 0;
    m_offset = 0;
    // Even a search with nothing to look at answers from the event loop, so
    // the caller never meets a signal inside its own call.
    m_timer.start();
}

void LineFinder::cancel()
{
    m_timer.stop();
    m_columns.clear();
    m_text.clear();
}

LineFinder::RowResult LineFinder::searchRow(qsizetype &units)
{
    const qsizetype textLength = m_text.size();
    for (; m_column < m_columns.size(); ++m_column, m_offset = 0) {
        const LineList &list = *m_columns[m_column];
        // A column shorter than the others has no line here; a list cut
        // short meanwhile is read no further than it goes.
        if (m_row >= list.count())
            continue;
        const QStringView line = list.at(m_row);
        if (m_offset >= line.size())
            continue;
        const qsizetype rest = line.size() - m_offset;
        const qsizetype step = std::max(PieceUnits, textLength);
        if (rest < step + textLength) {
            units += rest + UnitsPerLine;
            if (line.sliced(m_offset).contains(m_text, m_cs))
                return RowResult::Match;
            continue;
        }
        // The pieces overlap by the text's length less one, so that a match
        // across two of them lies whole in the first. A piece never starts
        // between the halves of a surrogate pair, where folding case would
        // see half a character.
        qsizetype next = m_offset + step;
        if (line[next].isLowSurrogate() && line[next - 1].isHighSurrogate())
            ++next;
        const QStringView piece = line.sliced(m_offset, next + textLength - 1 - m_offset);
        units += piece.size();
        if (piece.contains(m_text, m_cs))
            return RowResult::Match;
        m_offset = next;
        return RowResult::Unfinished;
    }
    return RowResult::NoMatch;
}

void LineFinder::searchSlice()
{
    QElapsedTimer clock;
    clock.start();
    qsizetype rows = 0;
    qsizetype units = 0;
    while (m_left > 0) {
        switch (searchRow(units)) {
        case RowResult::Match: {
            const qsizetype row = m_row;
            // Finished before the signal, so that a slot may start the next search.
            cancel();
            Q_EMIT found(row);
            return;
        }
        case RowResult::Unfinished:
            break;
        case RowResult::NoMatch:
            if (m_forwards)
                m_row = m_row + 1 == m_rows ? 0 : m_row + 1;
            else
                m_row = m_row == 0 ? m_rows - 1 : m_row - 1;
            --m_left;
            m_column = 0;
            m_offset = 0;
            ++rows;
            break;
        }
        if (rows >= SliceRows)
            return;
        if (units >= UnitsBetweenClockReads) {
            if (clock.elapsed() >= SliceMilliseconds)
                return;
            units = 0;
        }
    }
    cancel();
    Q_EMIT notFound();
}
