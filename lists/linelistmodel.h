#pragma once

#include <QAbstractTableModel>

class LineList;

// A virtual view of a list: row i shows line i; nothing is stored per row. The
// row count is what the last setRowCount() said, so whoever changes the list
// sets it, once, after the change; it never exceeds the list's count.
class LineListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit LineListModel(const LineList *list, QObject *parent = nullptr);

    void setRowCount(qsizetype rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const LineList *m_list;
    qsizetype m_rows = 0;
};
