#pragma once

#include <QAbstractTableModel>
#include <QItemSelection>

class LineList;

#include <QStringList>

#include <vector>

// A virtual view of a list: row i shows line i; nothing is stored per row. The
// row count is what the last setRowCount() said, so whoever changes the list
// sets it, once, after the change; it never exceeds the list's count.
class LineListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit LineListModel(const LineList *list, QObject *parent = nullptr);
    // Lists side by side, a column each, under the given headers: row i
    // shows line i of each.
    LineListModel(std::vector<const LineList *> columns, QStringList headers, QObject *parent = nullptr);

    void setRowCount(qsizetype rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<const LineList *> m_columns;
    QStringList m_headers;
    qsizetype m_rows = 0;
};

// One flag per row, true for the rows the selection holds; rows beyond
// `rows` are left out.
std::vector<bool> selectedRowFlags(const QItemSelection &selection, qsizetype rows);
