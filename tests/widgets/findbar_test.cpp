#include "widgets/findbar.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A window holding an open bar, active, with focus in the bar's text.
struct Window
{
    Window()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(elsewhere);
        layout->addWidget(bar);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        bar->open();
    }
    QLineEdit *edit() const { return bar->findChild<QLineEdit *>(QStringLiteral("FindEdit")); }

    QWidget window;
    QLineEdit *elsewhere = new QLineEdit(&window); // for focus out of the bar
    FindBar *bar = new FindBar(&window);
};

TEST(FindBar, HiddenUntilOpenedWhichFocusesAndSelectsTheText)
{
    FindBar alone;
    EXPECT_TRUE(alone.isHidden());

    Window w;
    QLineEdit *edit = w.edit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->placeholderText(), QStringLiteral("Find"));
    EXPECT_TRUE(w.bar->isVisible());
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("abc"));
    w.elsewhere->setFocus();
    ASSERT_FALSE(edit->hasFocus());
    w.bar->open();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), QStringLiteral("abc"));
    QTest::keyClicks(edit, QStringLiteral("x")); // typing replaces it
    EXPECT_EQ(w.bar->text(), QStringLiteral("x"));
}

TEST(FindBar, TypingReportsEachEditButNotTextSetByCode)
{
    Window w;
    QSignalSpy changed(w.bar, &FindBar::searchChanged);
    QTest::keyClicks(w.edit(), QStringLiteral("ab"));
    QTest::keyClick(w.edit(), Qt::Key_Backspace);
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("a"));
    EXPECT_EQ(changed.at(1).at(0).toString(), QStringLiteral("ab"));
    EXPECT_EQ(changed.at(2).at(0).toString(), QStringLiteral("a"));
    w.edit()->setText(QStringLiteral("set"));
    EXPECT_EQ(changed.count(), 3);
}

TEST(FindBar, EnterAndF3AskForTheNextShiftForThePrevious)
{
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int next;
        int previous;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, 1, 0},    {Qt::Key_Enter, Qt::KeypadModifier, 1, 0},
        {Qt::Key_F3, Qt::NoModifier, 1, 0},        {Qt::Key_F3, Qt::ShiftModifier, 0, 1},
        {Qt::Key_Return, Qt::ShiftModifier, 0, 1}, {Qt::Key_F3, Qt::ControlModifier, 0, 0},
        {Qt::Key_A, Qt::NoModifier, 0, 0},
    };
    Window w;
    QTest::keyClicks(w.edit(), QStringLiteral("x"));
    for (const auto &c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        QSignalSpy next(w.bar, &FindBar::nextRequested);
        QSignalSpy previous(w.bar, &FindBar::previousRequested);
        QTest::keyClick(w.edit(), c.key, c.modifiers);
        EXPECT_EQ(next.count(), c.next);
        EXPECT_EQ(previous.count(), c.previous);
        EXPECT_TRUE(w.bar->isVisible());
    }
}

TEST(FindBar, EscapeOrTheCloseButtonHidesTheBar)
{
    Window w;
    // The window's own Escape waits while focus is in the bar.
    int windowEscapes = 0;
    auto *shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), &w.window);
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++windowEscapes; });
    QObject::connect(shortcut, &QShortcut::activatedAmbiguously, [&] { ++windowEscapes; });

    QSignalSpy closed(w.bar, &FindBar::closed);
    QTest::keyClick(w.edit(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(w.bar->isHidden());
    EXPECT_EQ(windowEscapes, 0);

    w.bar->open();
    auto *button = w.bar->findChild<QToolButton *>(QStringLiteral("FindClose"));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(closed.count(), 2);
    EXPECT_TRUE(w.bar->isHidden());
}

TEST(FindBar, EnterStaysInTheBarInADialog)
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *bar = new FindBar(&dialog);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(bar);
    layout->addWidget(ok);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    bar->open();
    QSignalSpy next(bar, &FindBar::nextRequested);
    QTest::keyClick(bar->findChild<QLineEdit *>(), Qt::Key_Return);
    EXPECT_EQ(next.count(), 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
}

TEST(FindBar, NotFoundShowsInTheStatus)
{
    FindBar bar;
    auto *status = bar.findChild<QLabel *>(QStringLiteral("FindStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().isEmpty());
    bar.setNotFound(true);
    EXPECT_EQ(status->text(), QStringLiteral("not found"));
    bar.setNotFound(false);
    EXPECT_TRUE(status->text().isEmpty());
}

} // namespace
