#include "lists/listpane.h"

#include "lists/linelist.h"
#include "lists/linelistmodel.h"

#include <QAbstractItemModelTester>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <set>

namespace {

// Turns the model tester's warnings into test failures.
class WarningsAreFailures
{
public:
    WarningsAreFailures() { previous = qInstallMessageHandler(handler); }
    ~WarningsAreFailures() { qInstallMessageHandler(previous); }

private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            ADD_FAILURE() << message.toStdString();
    }
    static inline QtMessageHandler previous = nullptr;
};

LineList listOf(int lines)
{
    LineList list("en_US");
    for (int i = 0; i < lines; ++i)
        list.append(QString::number(i));
    return list;
}

std::set<int> selectedRows(const ListPane &pane)
{
    std::set<int> rows;
    for (const QModelIndex &index : pane.selectionModel()->selectedIndexes())
        rows.insert(index.row());
    return rows;
}

TEST(ListPaneTest, ModelKeepsItsContractWhileTheListChanges)
{
    WarningsAreFailures warnings;
    LineList list = listOf(3);
    ListPane pane(&list);
    QAbstractItemModelTester tester(pane.lineModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);

    pane.setRowCount(list.count());
    EXPECT_EQ(pane.model()->index(2, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(pane.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Items"));
    list.append(QStringLiteral("3"));
    pane.setRowCount(list.count());
    EXPECT_EQ(pane.rowCount(), 4);
    // More rows than lines: the pane never shows rows the list lacks.
    pane.setRowCount(10);
    EXPECT_EQ(pane.rowCount(), 4);
    list.clear();
    pane.setRowCount(0);
    EXPECT_EQ(pane.rowCount(), 0);
    EXPECT_FALSE(pane.model()->flags(pane.model()->index(0, 0)) & Qt::ItemIsEditable);
}

TEST(ListPaneTest, TenMillionRowsScrollByKeyboard)
{
    constexpr int Rows = 10'000'000;
    LineList list("en_US");
    for (int i = 0; i < Rows; ++i)
        list.append(QStringView());
    ListPane pane(&list);
    pane.resize(200, 300);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    pane.setRowCount(list.count());
    pane.setFocus();

    auto currentRowIsShown = [&] {
        const QRect rect = pane.visualRect(pane.currentIndex());
        return pane.viewport()->rect().contains(rect) && pane.indexAt(rect.center()) == pane.currentIndex();
    };
    QTest::keyClick(&pane, Qt::Key_End);
    EXPECT_EQ(pane.currentIndex().row(), Rows - 1);
    EXPECT_TRUE(currentRowIsShown());
    EXPECT_EQ(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
    EXPECT_FALSE(pane.indexAt(pane.visualRect(pane.currentIndex()).center() + QPoint(0, 200)).isValid());

    QTest::keyClick(&pane, Qt::Key_PageUp);
    EXPECT_LT(pane.currentIndex().row(), Rows - 1);
    EXPECT_TRUE(currentRowIsShown());

    QTest::keyClick(&pane, Qt::Key_Home);
    EXPECT_EQ(pane.currentIndex().row(), 0);
    EXPECT_EQ(pane.verticalScrollBar()->value(), 0);
    QTest::keyClick(&pane, Qt::Key_Down);
    EXPECT_EQ(pane.currentIndex().row(), 1);

    QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(pane.selectionModel()->selection().size(), 1);
    EXPECT_TRUE(pane.selectionModel()->isSelected(pane.model()->index(Rows - 1, 0)));
}

TEST(ListPaneTest, ClicksSelectWholeRowsSeveralAtOnce)
{
    LineList list = listOf(20);
    ListPane pane(&list);
    pane.resize(200, 300);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    pane.setRowCount(list.count());
    auto rowCentre = [&](int row) { return pane.visualRect(pane.model()->index(row, 0)).center(); };

    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, rowCentre(2));
    EXPECT_EQ(selectedRows(pane), std::set<int>({2}));
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(5));
    EXPECT_EQ(selectedRows(pane), std::set<int>({2, 3, 4, 5}));
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(8));
    EXPECT_EQ(selectedRows(pane), std::set<int>({2, 3, 4, 5, 8}));
    // Below the last row there is nothing to select.
    pane.setRowCount(3);
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, rowCentre(2) + QPoint(0, 100));
    EXPECT_TRUE(selectedRows(pane).empty());
    EXPECT_EQ(pane.editTriggers(), QAbstractItemView::NoEditTriggers);
}

// Pixels of `area` of the pane's rows that are not its base colour.
int inkIn(ListPane &pane, const QRect &area)
{
    const QImage image = pane.viewport()->grab().toImage();
    const QRgb base = pane.palette().color(QPalette::Base).rgb();
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ink += image.pixel(x, y) != base ? 1 : 0;
    }
    return ink;
}

TEST(ListPaneTest, AnEmptyPaneSaysHowToFillIt)
{
    LineList list("en_US");
    ListPane pane(&list);
    pane.resize(240, 200);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    const QRect view = pane.viewport()->rect();
    const QRect middle(0, view.height() / 3, view.width(), view.height() / 3);
    EXPECT_EQ(inkIn(pane, middle), 0);
    pane.setPlaceholderText(QStringLiteral("Drop files here, or use Load... or Paste"));
    EXPECT_GT(inkIn(pane, middle), 0);
    // Gone once the pane has rows.
    list.append(u"a");
    pane.setRowCount(list.count());
    EXPECT_EQ(inkIn(pane, middle), 0);
}

TEST(ListPaneTest, APaneStandsOutWhileFilesAreDraggedOverIt)
{
    LineList list("en_US");
    ListPane pane(&list);
    pane.resize(240, 200);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    QWidget *viewport = pane.viewport();
    const QPoint at = viewport->rect().center();
    const QPoint edge(1, at.y());
    const QColor highlight = pane.palette().color(QPalette::Highlight);
    const auto colourAt = [&](const QPoint &point) { return viewport->grab().toImage().pixelColor(point); };
    const auto enter = [&](QMimeData &data) {
        QDragEnterEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    };

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    enter(text);
    EXPECT_FALSE(pane.isDropTarget());
    EXPECT_NE(colourAt(edge), highlight);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/list.txt"))});
    enter(files);
    EXPECT_TRUE(pane.isDropTarget());
    EXPECT_EQ(colourAt(edge), highlight);
    EXPECT_NE(colourAt(at), pane.palette().color(QPalette::Base));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(viewport, &leave);
    EXPECT_FALSE(pane.isDropTarget());
    EXPECT_EQ(colourAt(at), pane.palette().color(QPalette::Base));

    // Dropped, it is back to normal too.
    enter(files);
    ASSERT_TRUE(pane.isDropTarget());
    QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_FALSE(pane.isDropTarget());
    EXPECT_NE(colourAt(edge), highlight);
}

} // namespace
