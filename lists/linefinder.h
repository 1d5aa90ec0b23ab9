#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class LineList;

// Finds the next or previous row whose line contains a text, a slice at a
// time from the event loop, so that a window over millions of lines keeps
// repainting while it looks. Results always arrive from the event loop,
// never from inside find().
class LineFinder : public QObject
{
    Q_OBJECT

public:
    explicit LineFinder(QObject *parent = nullptr);

    // Looks for the first row from `from` on (forwards) or from `from` back
    // (backwards), wrapping round the end once, whose line in any of
    // `columns` contains `text`. A row is a line index; there are as many as
    // the longest column has lines. A `from` out of range starts at the
    // first row going forwards and at the last going backwards, so the next
    // match of row r is find(.., r + 1, true, ..) and the previous one
    // find(.., r - 1, false, ..). The lists must outlive the search and keep
    // their lines meanwhile, or be let go by cancel(). A search already
    // running is dropped without a signal. Empty text drops it too and
    // emits nothing: there is nothing to look for.
    void find(std::vector<const LineList *> columns,
              QString text,
              qsizetype from,
              bool forwards,
              Qt::CaseSensitivity cs);
    // Drops the running search, if any, without a signal.
    void cancel();
    bool isSearching() const { return m_timer.isActive(); }

    // Lines longer than this are searched this many code units at a time,
    // so that one huge line does not hold a slice up either.
    static constexpr qsizetype PieceUnits = 1 << 18;

Q_SIGNALS:
    void found(qsizetype row);
    void notFound();

private:
    enum class RowResult
    {
        Match,
        NoMatch,
        Unfinished, // a piece of a long line done; m_column and m_offset say where to go on
    };
    void searchSlice();
    // Looks at the current row from m_column and m_offset on, adding the
    // code units read to `units`.
    RowResult searchRow(qsizetype &units);

    QTimer m_timer;
    std::vector<const LineList *> m_columns;
    QString m_text;
    Qt::CaseSensitivity m_cs = Qt::CaseInsensitive;
    bool m_forwards = true;
    qsizetype m_rows = 0;
    qsizetype m_row = 0; // the row being looked at
    qsizetype m_left = 0; // rows still to look at, the current one included
    size_t m_column = 0; // within the current row
    qsizetype m_offset = 0; // within the current line, for long ones
};
