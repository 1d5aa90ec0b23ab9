#pragma once

#include <QAbstractItemView>
#include <QStringList>

#include <vector>

class LineList;
class LineListModel;
class QMenu;
class QPainter;

// A virtual pane over a line list: one column, row i shows line i and is only
// asked for when it is drawn. All rows have one height and the view keeps
// nothing per row, so a list of millions scrolls as fast as a short one. It
// scrolls by whole rows. Screen readers read its rows (lists/rowsaccessible.h).
class ListPane : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit ListPane(const LineList *list, QWidget *parent = nullptr);

    LineListModel *lineModel() const { return m_model; }
    // The list has changed: show its first `rows` lines, drawn afresh.
    void setRowCount(qsizetype rows);
    int rowCount() const;

    // One flag per row, true where the row is selected; read from the
    // selection's ranges, so it costs one step per row however it was made.
    std::vector<bool> selectedRows() const;

    // Shown in the middle of the pane while it has no rows: what to do to fill it.
    void setPlaceholderText(const QString &text);
    const QString &placeholderText() const { return m_placeholderText; }
    // Whether local files are being dragged over the pane, which then stands out.
    bool isDropTarget() const { return m_dropTarget; }

    // Shown on a right click.
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }
    QMenu *contextMenu() const { return m_contextMenu; }

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void keyboardSearch(const QString &search) override;

Q_SIGNALS:
    // A key went down in the pane, before the pane's own handling of it.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // Local files were dropped on the pane, in the order the drop gave them.
    void filesDropped(const QStringList &fileNames);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Shift+F10.
    void openContextMenuFromKeyboard();
    int rowHeight() const;
    int firstRow() const;
    int fullyVisibleRows() const;
    // The row under viewport position y; may lie outside the list.
    qint64 rowAt(int y) const;
    // Top of the row in viewport coordinates, held within int.
    int rowTop(qint64 row) const;
    void setDropTarget(bool on);
    void paintRows(QPainter &painter, const QRect &area, int count);

    LineListModel *m_model;
    QMenu *m_contextMenu = nullptr;
    mutable int m_rowHeight = 0;
    QString m_placeholderText;
    bool m_dropTarget = false;
};

// The pane of list #1.
class TMemoLeft : public ListPane
{
    Q_OBJECT

public:
    using ListPane::ListPane;
};

// The pane of list #2.
class TMemoRight : public ListPane
{
    Q_OBJECT

public:
    using ListPane::ListPane;
};
