// The main window from the keyboard alone: access keys, shortcuts and the
// panes' context menus, through real key events on the real window.

#include "app/appform.h"
#include "lists/listpane.h"
#include "platform/programfolder.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using testsupport::linesOf;

class KeyboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    // Lets the queued handlers of what the keys started run.
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingOpenAnswers() == 0; }));
        QCoreApplication::processEvents();
    }

    void waitForMenuClosed(const QMenu *menu)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }));
        // The offscreen platform leaves the closed popup active; a window
        // system gives the activation back to the window.
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    struct DefaultSettings
    {
        DefaultSettings() { QFile::remove(QDir(programFolder()).filePath(u"settings.ini"_s)); }
    } defaults;
    testsupport::TempDir dir;
    FakeDialogs dialogs;
    TAppForm form;
};

TEST_F(KeyboardTest, EveryMenuAndItemHasItsOwnAccessKey)
{
    // The letter after '&', lower case; none when there is no '&'.
    const auto accessKey = [](const QString &text) {
        const qsizetype amp = text.indexOf(u'&');
        return amp >= 0 && amp + 1 < text.size() ? text.at(amp + 1).toLower() : QChar();
    };
    QList<QChar> barKeys;
    for (const QAction *menu : form.MainMenu1->actions()) {
        barKeys << accessKey(menu->text());
        EXPECT_FALSE(barKeys.constLast().isNull()) << menu->text().toStdString();
    }
    EXPECT_EQ(QSet<QChar>(barKeys.begin(), barKeys.end()).size(), barKeys.size());

    for (const QMenu *menu : {form.File1, form.Settings1, form.Help1, form.PopupMenu1, form.PopupMenu2}) {
        SCOPED_TRACE(menu->objectName().toStdString());
        QSet<QChar> keys;
        for (const QAction *item : menu->actions()) {
            if (item->isSeparator())
                continue;
            const QChar key = accessKey(item->text());
            EXPECT_FALSE(key.isNull()) << item->text().toStdString();
            EXPECT_FALSE(keys.contains(key)) << item->text().toStdString();
            keys.insert(key);
        }
    }
}

TEST_F(KeyboardTest, AltAndTheAccessKeysOpenAMenuAndChooseAnItem)
{
    const QString file = dir.write(u"two.txt"_s, "b\na\n");
    dialogs.answerOpen(file);
    QTest::keyClick(form.MemoLeft, Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.File1->isVisible(); }));
    QTest::keyClick(form.File1, Qt::Key_2);
    waitForMenuClosed(form.File1);
    settle();
    EXPECT_EQ(linesOf(form.List2), QStringList({u"a"_s, u"b"_s}));
    EXPECT_TRUE(form.List1.isEmpty());

    // A check item of Settings flips from the keyboard.
    QTest::keyClick(form.MemoLeft, Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Settings1->isVisible(); }));
    QTest::keyClick(form.Settings1, Qt::Key_U);
    waitForMenuClosed(form.Settings1);
    EXPECT_TRUE(form.CalculateUnionofLists1->isChecked());
}

TEST_F(KeyboardTest, ShortcutsLoadCompareAndExitAndTheMenusShowThem)
{
    EXPECT_EQ(form.LoadList11->shortcut(), QKeySequence(u"Ctrl+O"_s));
    EXPECT_EQ(form.LoadList21->shortcut(), QKeySequence(u"Ctrl+Shift+O"_s));
    EXPECT_EQ(form.Compare1->shortcut(), QKeySequence(u"Ctrl+Return"_s));
    EXPECT_EQ(form.Exit1->shortcut(), QKeySequence(u"Ctrl+Q"_s));
    EXPECT_EQ(form.Paste1->shortcut(), QKeySequence(u"Ctrl+V"_s));

    const QString file = dir.write(u"list.txt"_s, "x\n");
    dialogs.answerOpen(file);
    QTest::keySequence(&form, QKeySequence(u"Ctrl+O"_s));
    settle();
    EXPECT_EQ(linesOf(form.List1), QStringList({u"x"_s}));
    EXPECT_TRUE(form.List2.isEmpty());
    dialogs.answerOpen(file);
    QTest::keyClick(form.MemoLeft, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_EQ(linesOf(form.List2), QStringList({u"x"_s}));

    // Each compare key presses COMPARE (with both lists empty it only beeps).
    form.Sifirla();
    QSignalSpy compares(form.ButtonCompare, &QPushButton::clicked);
    QTest::keyClick(form.MemoLeft, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(form.Button1, Qt::Key_F5);
    QTest::keyClick(&form, Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(compares.count(), 3);

    // Ctrl+Q is seen to trigger Exit; the test's own loop must not end.
    QObject::disconnect(form.Exit1, &QAction::triggered, &form, nullptr);
    QSignalSpy exits(form.Exit1, &QAction::triggered);
    QTest::keyClick(form.MemoRight, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(exits.count(), 1);
}

TEST_F(KeyboardTest, CtrlVPastesIntoThePaneThatHasTheFocus)
{
    QGuiApplication::clipboard()->setText(u"k\r\nj\r\n"_s);
    form.MemoRight->setFocus();
    QTest::keyClick(form.MemoRight, Qt::Key_V, Qt::ControlModifier);
    settle();
    EXPECT_EQ(linesOf(form.List2), QStringList({u"j"_s, u"k"_s}));
    EXPECT_TRUE(form.List1.isEmpty());

    form.MemoLeft->setFocus();
    QTest::keyClick(form.MemoLeft, Qt::Key_V, Qt::ControlModifier);
    settle();
    EXPECT_EQ(linesOf(form.List1), QStringList({u"j"_s, u"k"_s}));
    EXPECT_EQ(form.List2.count(), 2);

    // Elsewhere in the window Ctrl+V pastes into neither list.
    form.ButtonCompare->setFocus();
    QTest::keyClick(form.ButtonCompare, Qt::Key_V, Qt::ControlModifier);
    settle();
    EXPECT_EQ(form.List1.count() + form.List2.count(), 4);
}

TEST_F(KeyboardTest, ShiftF10OpensThePanesContextMenuUnderTheCurrentRow)
{
    QGuiApplication::clipboard()->setText(u"1\n2\n3\n"_s);
    struct Side
    {
        ListPane *pane;
        QMenu *menu;
    };
    for (const Side &side : {Side {form.MemoLeft, form.PopupMenu1}, Side {form.MemoRight, form.PopupMenu2}}) {
        ListPane *pane = side.pane;
        QMenu *menu = side.menu;
        SCOPED_TRACE(pane->objectName().toStdString());
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        settle();
        ASSERT_EQ(pane->rowCount(), 3);
        pane->setCurrentIndex(pane->model()->index(1, 0));

        QTest::keyClick(pane, Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        const QRect row = pane->visualRect(pane->currentIndex());
        EXPECT_EQ(menu->pos(), pane->viewport()->mapToGlobal(row.bottomLeft()));
        // Its access keys work: Select All.
        QTest::keyClick(menu, Qt::Key_A);
        waitForMenuClosed(menu);
        EXPECT_EQ(pane->selectedRows(), std::vector<bool>({true, true, true}));

        QTest::keyClick(pane, Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        QTest::keyClick(menu, Qt::Key_Escape);
        waitForMenuClosed(menu);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == pane; }));
    }
}

} // namespace
