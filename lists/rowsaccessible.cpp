#include "lists/rowsaccessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr char RowsProperty[] = "pairsightAccessibleRows";
// Row interfaces kept at once; past that they all go, and any asked for
// again is made afresh. A reader holds on to a few rows, never to many.
constexpr std::size_t MaxKeptChildren = 4096;
// The most rows one answer about the selection lists; its counts stay exact.
constexpr int MaxListedRows = 1024;

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

// A cell of the view: the row itself in a list of one column. Row -1 is the
// header of a tree view, which numbers its children after one row of header
// cells (shown or not): the same numbers here, so that the view's own focus
// and selection events name the right row.
class RowCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    RowCell(QAbstractItemView *view, int row, int column)
        : m_view(view)
        , m_row(row)
        , m_column(column)
    {
    }

    const QAbstractItemView *view() const { return m_view.data(); }
    int row() const { return m_row; }
    int column() const { return m_column; }

    bool isValid() const override
    {
        if (!m_view || !m_view->model())
            return false;
        const QAbstractItemModel *model = m_view->model();
        if (m_column < 0 || m_column >= model->columnCount())
            return false;
        return m_row < 0 ? header() != nullptr : m_row < model->rowCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override { }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        if (m_row < 0)
            return m_view->model()->headerData(m_column, Qt::Horizontal).toString();
        return index().data(Qt::DisplayRole).toString();
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        if (m_row < 0) {
            const QHeaderView *h = header();
            if (h->isHidden())
                return {};
            const QRect section(h->sectionViewportPosition(m_column), 0, h->sectionSize(m_column),
                                h->height());
            return QRect(h->viewport()->mapToGlobal(section.topLeft()), section.size());
        }
        const QRect shown = visiblePart();
        return shown.isEmpty() ? QRect()
                               : QRect(m_view->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }

    QAccessible::Role role() const override
    {
        if (m_row < 0)
            return QAccessible::ColumnHeader;
        return m_view && m_view->model() && m_view->model()->columnCount() > 1 ? QAccessible::Cell
                                                                               : QAccessible::ListItem;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        if (m_row < 0) {
            state.invisible = header()->isHidden();
            return state;
        }
        const QModelIndex current = m_view->currentIndex();
        state.selectable = m_view->selectionMode() != QAbstractItemView::NoSelection;
        state.selected = isSelected();
        state.focusable = true;
        state.focused = m_view->hasFocus() && current.row() == m_row
            && (current.column() == m_column || m_view->selectionBehavior() == QAbstractItemView::SelectRows);
        state.invisible = !m_view->isVisible();
        state.offscreen = state.invisible || visiblePart().isEmpty();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && m_row >= 0)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return m_row >= 0 && isValid() && m_view->selectionModel()
            && m_view->selectionModel()->isSelected(index());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, m_column); }
    const QHeaderView *header() const
    {
        const auto *tree = qobject_cast<const QTreeView *>(m_view.data());
        return tree ? tree->header() : nullptr;
    }
    // The part of the cell inside the viewport, in viewport coordinates.
    QRect visiblePart() const { return m_view->visualRect(index()).intersected(m_view->viewport()->rect()); }

    QPointer<QAbstractItemView> m_view;
    int m_row;
    int m_column;
};

class RowsAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit RowsAccessible(QAbstractItemView *view)
        : QAccessibleWidget(view, QAccessible::List)
    {
        // Rows that move or go leave their interfaces naming other lines.
        if (QAbstractItemModel *model = view->model()) {
            const auto drop = [this] { dropChildren(); };
            m_connections = {
                QObject::connect(model, &QAbstractItemModel::modelReset, drop),
                QObject::connect(model, &QAbstractItemModel::layoutChanged, drop),
                QObject::connect(model, &QAbstractItemModel::rowsInserted, drop),
                QObject::connect(model, &QAbstractItemModel::rowsRemoved, drop),
                QObject::connect(model, &QAbstractItemModel::columnsInserted, drop),
                QObject::connect(model, &QAbstractItemModel::columnsRemoved, drop),
            };
        }
    }

    ~RowsAccessible() override
    {
        for (const QMetaObject::Connection &connection : m_connections)
            QObject::disconnect(connection);
        dropChildren();
    }

    RowsAccessible(const RowsAccessible &) = delete;
    RowsAccessible &operator=(const RowsAccessible &) = delete;

    QAccessible::Role role() const override
    {
        return columnCount() > 1 ? QAccessible::Table : QAccessible::List;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const QAbstractItemView::SelectionMode mode = view()->selectionMode();
        state.multiSelectable = mode == QAbstractItemView::MultiSelection;
        state.extSelectable
            = mode == QAbstractItemView::ExtendedSelection || mode == QAbstractItemView::ContiguousSelection;
        return state;
    }

    int childCount() const override
    {
        return clampToInt((qint64(rowCount()) + headerRows()) * columnCount());
    }

    QAccessibleInterface *child(int index) const override
    {
        const int columns = columnCount();
        if (index < 0 || index >= childCount() || columns == 0)
            return nullptr;
        return cell(index / columns - headerRows(), index % columns);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *cell = dynamic_cast<const RowCell *>(child);
        if (!cell || cell->view() != view() || !cell->isValid())
            return -1;
        return childIndex(cell->row(), cell->column());
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QWidget *viewport = view()->viewport();
        const QPoint at = viewport->mapFromGlobal(QPoint(x, y));
        if (!viewport->rect().contains(at))
            return nullptr;
        const QModelIndex index = view()->indexAt(at);
        return index.isValid() ? cell(index.row(), index.column()) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        const QModelIndex current = view()->currentIndex();
        return current.isValid() ? cell(current.row(), current.column()) : nullptr;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QString columnDescription(int column) const override
    {
        const QAbstractItemModel *model = view()->model();
        return model ? model->headerData(column, Qt::Horizontal).toString() : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return view()->model() ? view()->model()->columnCount() : 0; }
    int rowCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }

    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return cell(row, column);
    }

    // The views select whole rows.
    int selectedRowCount() const override
    {
        qint64 rows = 0;
        for (const auto &[top, bottom] : selectedRuns())
            rows += bottom - top + 1;
        return clampToInt(rows);
    }
    int selectedCellCount() const override { return clampToInt(qint64(selectedRowCount()) * columnCount()); }
    int selectedColumnCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    QList<int> selectedRows() const override
    {
        QList<int> rows;
        for (const auto &[top, bottom] : selectedRuns()) {
            for (int row = top; row <= bottom && rows.size() < MaxListedRows; ++row)
                rows << row;
        }
        return rows;
    }

    QList<QAccessibleInterface *> selectedCells() const override
    {
        const QList<int> rows = selectedRows();
        const int columns = columnCount();
        // Made before any of them is handed out, so none goes while the list is built.
        reserveChildren(std::size_t(rows.size()) * std::size_t(columns));
        QList<QAccessibleInterface *> cells;
        for (const int row : rows) {
            for (int column = 0; column < columns; ++column)
                cells << cell(row, column);
        }
        return cells;
    }

    bool isRowSelected(int row) const override
    {
        const QItemSelectionModel *selection = view()->selectionModel();
        return row >= 0 && row < rowCount() && selection
            && selection->isSelected(view()->model()->index(row, 0));
    }

    bool selectRow(int row) override { return changeRow(row, QItemSelectionModel::Select); }
    bool unselectRow(int row) override { return changeRow(row, QItemSelectionModel::Deselect); }

    void modelChange(QAccessibleTableModelChangeEvent *) override { dropChildren(); }

private:
    QAbstractItemView *view() const { return static_cast<QAbstractItemView *>(widget()); }
    int headerRows() const { return qobject_cast<const QTreeView *>(view()) ? 1 : 0; }
    int childIndex(int row, int column) const
    {
        return clampToInt((qint64(row) + headerRows()) * columnCount() + column);
    }

    QAccessibleInterface *cell(int row, int column) const
    {
        const int index = childIndex(row, column);
        if (const auto found = m_children.find(index); found != m_children.end()) {
            if (QAccessibleInterface *kept = QAccessible::accessibleInterface(found->second))
                return kept;
            m_children.erase(found);
        }
        reserveChildren(1);
        auto *made = new RowCell(view(), row, column);
        m_children.emplace(index, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    void reserveChildren(std::size_t more) const
    {
        if (m_children.size() + more > MaxKeptChildren)
            dropChildren();
    }

    void dropChildren() const
    {
        const auto children = std::exchange(m_children, {});
        for (const auto &[index, id] : children)
            QAccessible::deleteAccessibleInterface(id);
    }

    // The selected rows as runs of first and last row, in order, none overlapping.
    std::vector<std::pair<int, int>> selectedRuns() const
    {
        std::vector<std::pair<int, int>> runs;
        const QItemSelectionModel *selection = view()->selectionModel();
        if (!selection)
            return runs;
        const int rows = rowCount();
        for (const QItemSelectionRange &range : selection->selection()) {
            if (range.isValid() && range.model() == view()->model() && range.top() < rows)
                runs.emplace_back(std::max(range.top(), 0), std::min(range.bottom(), rows - 1));
        }
        std::sort(runs.begin(), runs.end());
        std::vector<std::pair<int, int>> merged;
        for (const auto &run : runs) {
            if (!merged.empty() && run.first <= merged.back().second + 1)
                merged.back().second = std::max(merged.back().second, run.second);
            else
                merged.push_back(run);
        }
        return merged;
    }

    bool changeRow(int row, QItemSelectionModel::SelectionFlag change)
    {
        QItemSelectionModel *selection = view()->selectionModel();
        if (row < 0 || row >= rowCount() || !selection)
            return false;
        selection->select(view()->model()->index(row, 0), change | QItemSelectionModel::Rows);
        return true;
    }

    std::vector<QMetaObject::Connection> m_connections;
    // Child index to the interface made for it.
    mutable std::unordered_map<int, QAccessible::Id> m_children;
};

QAccessibleInterface *rowsFactory(const QString &, QObject *object)
{
    auto *view = qobject_cast<QAbstractItemView *>(object);
    if (view && view->property(RowsProperty).toBool())
        return new RowsAccessible(view);
    return nullptr;
}

} // namespace

void exposeRowsToAccessibility(QAbstractItemView *view)
{
    static const bool installed = [] {
        QAccessible::installFactory(rowsFactory);
        return true;
    }();
    Q_UNUSED(installed);
    view->setProperty(RowsProperty, true);
}
