#include "lists/linelistmodel.h"

#include "lists/linelist.h"

#include <algorithm>
#include <limits>

LineListModel::LineListModel(const LineList *list, QObject *parent)
    : QAbstractTableModel(parent)
    , m_list(list)
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
    return int(std::min(m_rows, m_list->count()));
}

int LineListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return m_list->lineAt(index.row());
}

QVariant LineListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return QStringLiteral("Items");
    return {};
}
