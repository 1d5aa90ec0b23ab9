#include "lists/listpane.h"

#include "lists/linelistmodel.h"
#include "lists/rowsaccessible.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPen>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The local files a drag carries, in its order; empty unless every item is one.
QStringList localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

} // namespace

ListPane::ListPane(const LineList *list, QWidget *parent)
    : QAbstractItemView(parent)
    , m_model(new LineListModel(list, this))
{
    exposeRowsToAccessibility(this);
    setModel(m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Files dropped on the rows; the frame and scroll bar pass drops up.
    viewport()->setAcceptDrops(true);
    QFont paneFont;
    paneFont.setPointSize(10);
    setFont(paneFont);
}

void ListPane::setPlaceholderText(const QString &text)
{
    m_placeholderText = text;
    viewport()->update();
}

void ListPane::setDropTarget(bool on)
{
    if (on == m_dropTarget)
        return;
    m_dropTarget = on;
    viewport()->update();
}

void ListPane::setRowCount(qsizetype rows)
{
    m_model->setRowCount(rows);
    // The scroll range must follow now, not at the next layout pass, so a
    // scrollTo() right after sees the new rows.
    updateGeometries();
    viewport()->update();
}

int ListPane::rowCount() const
{
    return m_model->rowCount();
}

std::vector<bool> ListPane::selectedRows() const
{
    const int rows = rowCount();
    std::vector<bool> selected(size_t(rows), false);
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        if (!range.isValid() || range.model() != m_model)
            continue;
        const int last = std::min(range.bottom(), rows - 1);
        for (int row = std::max(range.top(), 0); row <= last; ++row)
            selected[size_t(row)] = true;
    }
    return selected;
}

int ListPane::rowHeight() const
{
    if (m_rowHeight == 0)
        m_rowHeight = std::max(1, fontMetrics().height() + 3);
    return m_rowHeight;
}

int ListPane::firstRow() const
{
    return verticalScrollBar()->value();
}

int ListPane::fullyVisibleRows() const
{
    return viewport()->height() / rowHeight();
}

qint64 ListPane::rowAt(int y) const
{
    return firstRow() + floorDiv(y, rowHeight());
}

int ListPane::rowTop(qint64 row) const
{
    return clampToInt((row - firstRow()) * rowHeight());
}

QRect ListPane::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != m_model)
        return {};
    return QRect(0, rowTop(index.row()), viewport()->width(), rowHeight());
}

void ListPane::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row();
    const int first = firstRow();
    const int visible = std::max(1, fullyVisibleRows());
    int target = first;
    switch (hint) {
    case EnsureVisible:
        if (row < first)
            target = row;
        else if (row >= first + visible)
            target = row - visible + 1;
        break;
    case PositionAtTop:
        target = row;
        break;
    case PositionAtBottom:
        target = row - visible + 1;
        break;
    case PositionAtCenter:
        target = row - visible / 2;
        break;
    }
    verticalScrollBar()->setValue(target);
}

QModelIndex ListPane::indexAt(const QPoint &point) const
{
    const qint64 row = rowAt(point.y());
    if (point.y() < 0 || row >= rowCount())
        return {};
    return m_model->index(int(row), 0);
}

void ListPane::keyboardSearch(const QString &)
{
    // Typing a letter would scan the whole list for a match; in a list of
    // millions that stalls the window, so the pane has no type-ahead.
}

QModelIndex ListPane::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return m_model->index(cursorAction == MoveEnd ? count - 1 : 0, 0);
    const qint64 page = std::max(1, fullyVisibleRows());
    qint64 row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return m_model->index(int(std::clamp<qint64>(row, 0, count - 1)), 0);
}

int ListPane::horizontalOffset() const
{
    return 0;
}

int ListPane::verticalOffset() const
{
    return clampToInt(qint64(firstRow()) * rowHeight());
}

bool ListPane::isIndexHidden(const QModelIndex &) const
{
    return false;
}

void ListPane::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect area = rect.normalized();
    const qint64 top = std::max<qint64>(rowAt(area.top()), 0);
    const qint64 bottom = std::min<qint64>(rowAt(area.bottom()), rowCount() - 1);
    QItemSelection selection;
    if (top <= bottom)
        selection.select(m_model->index(int(top), 0), m_model->index(int(bottom), 0));
    selectionModel()->select(selection, command);
}

QRegion ListPane::visualRegionForSelection(const QItemSelection &selection) const
{
    const QRect view = viewport()->rect();
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (!range.isValid() || range.model() != m_model)
            continue;
        const QRect top = visualRect(m_model->index(range.top(), 0));
        const QRect bottom = visualRect(m_model->index(range.bottom(), 0));
        region += top.united(bottom).intersected(view);
    }
    return region;
}

void ListPane::updateGeometries()
{
    const int visible = fullyVisibleRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(std::max(1, visible));
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - visible));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void ListPane::scrollContentsBy(int, int)
{
    // The scroll bar counts rows, not pixels; drawing afresh is cheap.
    viewport()->update();
}

void ListPane::paintEvent(QPaintEvent *event)
{
    const int count = rowCount();
    QPainter painter(viewport());
    const QColor highlight = palette().color(QPalette::Highlight);
    if (m_dropTarget) {
        QColor tint = highlight;
        tint.setAlpha(40);
        painter.fillRect(viewport()->rect(), tint);
    }
    if (count == 0) {
        if (!m_placeholderText.isEmpty()) {
            painter.setPen(palette().color(QPalette::PlaceholderText));
            const int margin = fontMetrics().averageCharWidth() * 2;
            const QRect box = viewport()->rect().adjusted(margin, 0, -margin, 0);
            QString text = m_placeholderText;
            // Too long for one line, it breaks where the sentence does first.
            if (fontMetrics().horizontalAdvance(text) > box.width())
                text.replace(QStringLiteral(", "), QStringLiteral(",\n"));
            painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, text);
        }
    } else {
        paintRows(painter, event->rect(), count);
    }
    if (m_dropTarget) {
        // A frame inside the pane's own, in the selection's colour.
        constexpr int FrameWidth = 2;
        painter.setPen(QPen(highlight, FrameWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
    }
}

void ListPane::paintRows(QPainter &painter, const QRect &area, int count)
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State baseState = option.state;
    const qint64 from = std::max<qint64>(rowAt(area.top()), 0);
    const qint64 to = std::min<qint64>(rowAt(area.bottom()), count - 1);
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus() || viewport()->hasFocus();
    const QItemSelectionModel *selection = selectionModel();
    for (qint64 row = from; row <= to; ++row) {
        const QModelIndex index = m_model->index(int(row), 0);
        option.rect = visualRect(index);
        option.state = baseState;
        if (selection->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focused && index == current)
            option.state |= QStyle::State_HasFocus;
        itemDelegate()->paint(&painter, option, index);
    }
}

void ListPane::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_contextMenu) {
        QAbstractItemView::contextMenuEvent(event);
        return;
    }
    m_contextMenu->popup(event->globalPos());
    event->accept();
}

void ListPane::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_rowHeight = 0;
        updateGeometries();
        viewport()->update();
    }
    QAbstractItemView::changeEvent(event);
}

void ListPane::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyDown(event->key(), event->modifiers());
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        openContextMenuFromKeyboard();
        event->accept();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void ListPane::openContextMenuFromKeyboard()
{
    // Under the current row when it is in view, as the menu key does; else at the top.
    const QRect row = visualRect(currentIndex()).intersected(viewport()->rect());
    const QPoint at = row.isEmpty() ? QPoint(0, 0) : row.bottomLeft();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
    contextMenuEvent(&event);
}

void ListPane::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    // A screen reader follows the focused row by this event; the row is its child index.
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
}

void ListPane::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
    setDropTarget(event->isAccepted());
}

void ListPane::dragMoveEvent(QDragMoveEvent *event)
{
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ListPane::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropTarget(false);
    QAbstractItemView::dragLeaveEvent(event);
}

void ListPane::dropEvent(QDropEvent *event)
{
    setDropTarget(false);
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT filesDropped(files);
}
