// What a screen reader reads of the windows, through the interfaces Qt hands
// to its accessibility bridge.

#include "app/appform.h"
#include "compare/formcompare.h"
#include "lists/linelist.h"
#include "lists/listpane.h"
#include "platform/programfolder.h"
#include "widgets/fakedialogs.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Every interface under root, depth first; the rows of lists and tables
// are left out, as a reader leaves them to the table interface.
void forEachInTree(QAccessibleInterface *root, const std::function<void(QAccessibleInterface *)> &visit)
{
    visit(root);
    if (root->tableInterface())
        return;
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface *child = root->child(i))
            forEachInTree(child, visit);
    }
}

QAccessibleInterface *findInTree(QAccessibleInterface *root, QAccessible::Role role, const QString &name)
{
    QAccessibleInterface *found = nullptr;
    forEachInTree(root, [&](QAccessibleInterface *iface) {
        if (!found && iface->role() == role && iface->text(QAccessible::Name) == name)
            found = iface;
    });
    return found;
}

class AccessibilityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    void fill(LineList &list, const QStringList &lines)
    {
        list.clear();
        for (const QString &line : lines)
            list.append(line);
        form.refreshList1();
        form.refreshList2();
    }

    TCompareForm *compare()
    {
        TCompareForm *before = CompareForm;
        QTest::mouseClick(form.ButtonCompare, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return CompareForm != before && !form.comparing(); }, 10000));
        return CompareForm;
    }

    struct DefaultSettings
    {
        DefaultSettings() { QFile::remove(QDir(programFolder()).filePath(u"settings.ini"_s)); }
    } defaults;
    FakeDialogs dialogs;
    TAppForm form;
};

TEST_F(AccessibilityTest, EachPaneIsANamedListWhoseRowsAreRead)
{
    QStringList many;
    for (int i = 0; i < 500; ++i)
        many << u"line %1"_s.arg(i);
    fill(form.List1, many);
    fill(form.List2, {u"x"_s, u"y"_s});

    struct Side
    {
        ListPane *pane;
        QString name;
        QStringList lines;
    };
    for (const Side &side :
         {Side {form.MemoLeft, u"List #1"_s, many}, Side {form.MemoRight, u"List #2"_s, {u"x"_s, u"y"_s}}}) {
        SCOPED_TRACE(side.name.toStdString());
        QAccessibleInterface *list = findInTree(accessible(&form), QAccessible::List, side.name);
        ASSERT_NE(list, nullptr) << "not in the window's tree";
        EXPECT_EQ(list, accessible(side.pane));
        ASSERT_NE(list->tableInterface(), nullptr);
        EXPECT_EQ(list->tableInterface()->rowCount(), side.lines.size());
        EXPECT_EQ(list->tableInterface()->columnCount(), 1);
        EXPECT_EQ(list->childCount(), side.lines.size());
        EXPECT_TRUE(list->state().extSelectable);
        for (const int row : {0, 1, int(side.lines.size()) - 1}) {
            QAccessibleInterface *item = list->child(row);
            ASSERT_NE(item, nullptr) << row;
            EXPECT_EQ(item->role(), QAccessible::ListItem);
            EXPECT_EQ(item->text(QAccessible::Name), side.lines[row]);
            EXPECT_EQ(item->parent(), list);
            EXPECT_EQ(list->indexOfChild(item), row);
            EXPECT_EQ(list->tableInterface()->cellAt(row, 0), item);
        }
        EXPECT_EQ(list->child(int(side.lines.size())), nullptr);
    }

    // The rows in view are on screen, the rest are not.
    QAccessibleInterface *list = accessible(form.MemoLeft);
    const QAccessibleInterface *first = list->child(0);
    EXPECT_FALSE(first->state().offscreen);
    EXPECT_TRUE(form.MemoLeft->viewport()->rect().contains(
        form.MemoLeft->viewport()->mapFromGlobal(first->rect().center())));
    EXPECT_TRUE(list->child(499)->state().offscreen);
    EXPECT_EQ(list->childAt(first->rect().center().x(), first->rect().center().y()), first);
}

TEST_F(AccessibilityTest, TheFocusedRowAndTheSelectionAreRead)
{
    fill(form.List1, {u"a"_s, u"b"_s, u"c"_s, u"d"_s});
    form.MemoLeft->setFocus();
    form.MemoLeft->setCurrentIndex(form.MemoLeft->model()->index(0, 0));
    QTest::keyClick(form.MemoLeft, Qt::Key_Down);
    QTest::keyClick(form.MemoLeft, Qt::Key_Down, Qt::ShiftModifier);

    QAccessibleInterface *list = accessible(form.MemoLeft);
    QAccessibleInterface *focused = list->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->text(QAccessible::Name), u"c"_s);
    EXPECT_TRUE(focused->state().focused);
    EXPECT_FALSE(list->child(0)->state().focused);

    QAccessibleTableInterface *table = list->tableInterface();
    EXPECT_EQ(table->selectedRowCount(), 2);
    EXPECT_EQ(table->selectedRows(), QList<int>({1, 2}));
    EXPECT_EQ(table->selectedCellCount(), 2);
    EXPECT_TRUE(table->isRowSelected(1));
    EXPECT_FALSE(table->isRowSelected(0));
    EXPECT_TRUE(list->child(2)->state().selected);
    EXPECT_FALSE(list->child(3)->state().selected);

    // A reader can select too; the pane's own selection is the one changed.
    EXPECT_TRUE(table->selectRow(3));
    EXPECT_EQ(form.MemoLeft->selectedRows(), std::vector<bool>({false, true, true, true}));
    EXPECT_TRUE(table->unselectRow(1));
    EXPECT_EQ(table->selectedRows(), QList<int>({2, 3}));
}

TEST_F(AccessibilityTest, RowsAreNotKeptAfterTheListChangesNorPiledUp)
{
    QStringList lines;
    for (int i = 0; i < 20000; ++i)
        lines << QString::number(i);
    fill(form.List1, lines);
    QAccessibleInterface *list = accessible(form.MemoLeft);

    // A reader that walks every row leaves only a bounded number alive.
    std::vector<QAccessible::Id> ids;
    for (int row = 0; row < 20000; ++row) {
        QAccessibleInterface *item = list->child(row);
        ASSERT_EQ(item->text(QAccessible::Name), lines[row]);
        ids.push_back(QAccessible::uniqueId(item));
    }
    int alive = 0;
    for (const QAccessible::Id id : ids)
        alive += QAccessible::accessibleInterface(id) != nullptr;
    EXPECT_GT(alive, 0);
    EXPECT_LE(alive, 4096);

    // Row 5 of the old list is not row 5 of the new one.
    const QAccessible::Id before = QAccessible::uniqueId(list->child(5));
    fill(form.List1, {u"new"_s});
    EXPECT_EQ(QAccessible::accessibleInterface(before), nullptr);
    EXPECT_EQ(list->childCount(), 1);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), u"new"_s);
}

TEST_F(AccessibilityTest, EveryButtonHasAName)
{
    EXPECT_EQ(accessible(form.Button3)->text(QAccessible::Name), u"Save List #1"_s);
    EXPECT_EQ(accessible(form.Button6)->text(QAccessible::Name), u"Save List #2"_s);
    int buttons = 0;
    forEachInTree(accessible(&form), [&](QAccessibleInterface *iface) {
        if (iface->role() != QAccessible::Button)
            return;
        ++buttons;
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty())
            << (iface->object() ? iface->object()->objectName().toStdString() : std::string());
    });
    // Load and Paste twice, the two Save buttons, Remove Duplicates twice, COMPARE.
    EXPECT_GE(buttons, 9);
}

TEST_F(AccessibilityTest, TheResultsWindowIsAWindowOfListsNamedAfterTheirTabs)
{
    fill(form.List1, {u"b"_s, u"A"_s, u"c"_s});
    fill(form.List2, {u"a"_s, u"d"_s});
    TCompareForm *results = compare();
    ASSERT_NE(results, nullptr);
    QAccessibleInterface *window = accessible(results);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), u"Compare Results"_s);

    // Without the union its tab is not there to be told.
    QStringList tabs;
    forEachInTree(window, [&](QAccessibleInterface *iface) {
        if (iface->role() == QAccessible::PageTab)
            tabs << iface->text(QAccessible::Name);
    });
    EXPECT_EQ(tabs,
              QStringList({u"Intersection"_s, u"Only #1"_s, u"Only #2"_s, u"In One List Only"_s,
                           u"Written Differently"_s}));

    QTabWidget *pages = results->PageControl1;
    const QStringList expectedFirstRows = {u"A"_s, u"b"_s, u"d"_s, u"b"_s, u"A"_s};
    for (int i = 0; i < pages->count(); ++i) {
        SCOPED_TRACE(pages->tabText(i).toStdString());
        QTreeView *view = pages->widget(i)->findChild<QTreeView *>();
        ASSERT_NE(view, nullptr);
        QAccessibleInterface *list = accessible(view);
        EXPECT_EQ(list->text(QAccessible::Name), pages->tabText(i));
        ASSERT_NE(list->tableInterface(), nullptr);
        EXPECT_EQ(list->tableInterface()->rowCount(), view->model()->rowCount());
        EXPECT_EQ(list->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), expectedFirstRows[i]);
    }
    QAccessibleInterface *only1 = accessible(results->ListViewOnly1);
    EXPECT_EQ(only1->role(), QAccessible::List);
    EXPECT_EQ(only1->tableInterface()->cellAt(1, 0)->text(QAccessible::Name), u"c"_s);
    EXPECT_EQ(only1->tableInterface()->cellAt(1, 0)->role(), QAccessible::ListItem);
    // The pairs are a table of list #1's line beside list #2's.
    QAccessibleInterface *pairs = accessible(results->ListViewPairs);
    EXPECT_EQ(pairs->role(), QAccessible::Table);
    EXPECT_EQ(pairs->tableInterface()->columnCount(), 2);
    EXPECT_EQ(pairs->tableInterface()->columnDescription(1), u"List #2"_s);
    EXPECT_EQ(pairs->tableInterface()->cellAt(0, 1)->text(QAccessible::Name), u"a"_s);
    EXPECT_EQ(pairs->tableInterface()->cellAt(0, 1)->role(), QAccessible::Cell);
}

TEST_F(AccessibilityTest, TheResultListsNumberTheirRowsAsTheirViewsDo)
{
    fill(form.List1, {u"p"_s, u"q"_s, u"r"_s});
    fill(form.List2, {u"z"_s});
    TCompareForm *results = compare();
    ASSERT_NE(results, nullptr);
    results->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(results));
    results->PageControl1->setCurrentWidget(results->TabSheet2);
    QTreeView *view = results->ListViewOnly1;
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Down);

    QAccessibleInterface *list = accessible(view);
    EXPECT_EQ(list->focusChild()->text(QAccessible::Name), u"q"_s);
    EXPECT_TRUE(list->focusChild()->state().focused);
    // A tree view's focus and selection events count one row of header
    // cells before the rows (the real bus test follows such an event).
    EXPECT_EQ(list->childCount(), 4);
    EXPECT_EQ(list->child(0)->role(), QAccessible::ColumnHeader);
    EXPECT_TRUE(list->child(0)->state().invisible);
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), u"q"_s);
    EXPECT_EQ(list->indexOfChild(list->focusChild()), 2);
    results->close();
}

} // namespace
