#include "lists/linelistmodel.h"

#include "lists/linelist.h"
#include "platform/languagetable.h"

#include <algorithm>
#include <limits>

LineListModel::LineListModel(const LineList *list, QObject *parent)
    : LineListModel(std::vector<const LineList *> {list}, {TranslateText(QStringLiteral("Items"))}, parent)
{
}

LineListModel::LineListModel(std::vector<const LineList *> columns, QStringList headers, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns))
    , m_headers(std::move(headers))
{
}

void LineListModel::setRowCount(qsizetype rows)
{
    beginResetModel();
    m_rows = std::clamp<qsizetype>(rows, 0, std::numeric_limits<int>::max());
    endResetModel();
}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    qsizetype rows = m_rows;
    for (const LineList *column : m_columns)
        rows = std::min(rows, column->count());
    return int(rows);
}

int LineListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()
        || index.column() >= columnCount())
        return {};
    return m_columns[size_t(index.column())]->lineAt(index.row());
}

QVariant LineListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0
        && section < m_headers.size())
        return m_headers[section];
    return {};
}

std::vector<bool> selectedRowFlags(const QItemSelection &selection, qsizetype rows)
{
    std::vector<bool> selected(size_t(rows), false);
    for (const QItemSelectionRange &range : selection) {
        const qsizetype end = std::min<qsizetype>(range.bottom() + 1, rows);
        for (qsizetype row = range.top(); row < end; ++row)
            selected[size_t(row)] = true;
    }
    return selected;
}
