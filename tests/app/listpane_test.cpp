#include "lists/listpane.h"

#include "lists/linelist.h"
#include "lists/linelistmodel.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QTest>

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

} // namespace
