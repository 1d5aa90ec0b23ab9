#include "app/appform.h"

#include "about/versioninfo.h"
#include "lists/formatcount.h"
#include "lists/linelistmodel.h"
#include "lists/listpane.h"
#include "lists/textloader.h"
#include "platform/buildinfo.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"
#include "widgets/opentextfiledialog.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using testsupport::linesOf;

QStringList rowsOf(const ListPane *pane)
{
    QStringList rows;
    for (int i = 0; i < pane->model()->rowCount(); ++i)
        rows << pane->model()->index(i, 0).data().toString();
    return rows;
}

QString total(qsizetype count)
{
    return QStringLiteral("Total: ") + FormatCount(count);
}

QRect geometryIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

class AppFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // One side of the window: what a load through the dialog touches.
    struct Side
    {
        QPushButton *load;
        QAction *menuItem;
        LineList &list;
        ListPane *pane;
        QLabel *total;
    };
    Side side1() { return {form.Button1, form.LoadList11, form.List1, form.MemoLeft, form.Label3}; }
    Side side2() { return {form.Button2, form.LoadList21, form.List2, form.MemoRight, form.Label4}; }

    // Clicks the side's Load button with the dialog answering fileName.
    void
    loadThroughButton(const Side &side, const QString &fileName, int encodingIndex = DefaultEncodingIndex)
    {
        dialogs.answerOpen(fileName, encodingIndex);
        QTest::mouseClick(side.load, Qt::LeftButton);
        waitForDialogAnswered();
    }

    void waitForDialogAnswered()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingOpenAnswers() == 0; }));
        // The handler has returned by now; let anything it posted run.
        QCoreApplication::processEvents();
    }

    bool splitIsEven() const
    {
        // Qt widens a thin handle's grab area over its neighbours; the bar is its contents.
        const QSplitterHandle *handle = form.Splitter1->handle(1);
        const QRect bar = handle->contentsRect().translated(handle->pos());
        return std::abs(form.Panel1->width() - form.Panel2->width()) <= 1
            && bar.left() == form.Panel1->geometry().right() + 1 && bar.width() == 3
            && form.Panel2->x() == bar.right() + 1
            && form.Panel2->geometry().right() == form.Splitter1->width() - 1;
    }

    bool topButtonsFollowTheirBands() const
    {
        auto follows = [](const QWidget *band, const QWidget *load, const QWidget *paste) {
            const int loadWidth = (band->width() - 6) / 2;
            return band->width() > 0 && load->geometry() == QRect(2, 3, loadWidth, 38)
                && paste->geometry() == QRect(2 + loadWidth + 2, 3, band->width() - loadWidth - 6, 38);
        };
        return form.Panel9->width() == form.Panel1->width() && form.Panel10->width() == form.Panel2->width()
            && follows(form.Panel9, form.Button1, form.Button7)
            && follows(form.Panel10, form.Button2, form.Button8);
    }

    testsupport::TempDir dir;
    FakeDialogs dialogs;
    TAppForm form;
};

TEST_F(AppFormTest, StartsWithTheVersionRecordAndEmptyLists)
{
    EXPECT_EQ(AppForm, &form);
    EXPECT_EQ(AppCompanyName, QStringLiteral("TANDREL"));
    EXPECT_EQ(AppProductName, QStringLiteral("Pairsight"));
    EXPECT_EQ(AppVersion, QStringLiteral("1.7"));
    EXPECT_EQ(AppTitle, QStringLiteral("TANDREL - Pairsight"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("TANDREL - Pairsight"));

    for (const Side &side : {side1(), side2()}) {
        EXPECT_TRUE(side.list.isEmpty());
        EXPECT_EQ(side.pane->rowCount(), 0);
        EXPECT_EQ(side.total->text(), QStringLiteral("Total: 0"));
    }
    EXPECT_EQ(form.Label1->text(), QStringLiteral("List #1"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("List #2"));
    EXPECT_EQ(form.MemoLeft->contextMenu(), form.PopupMenu1);
    EXPECT_EQ(form.MemoRight->contextMenu(), form.PopupMenu2);
    EXPECT_EQ(form.MemoLeft->font().pointSize(), 10);
    EXPECT_EQ(form.MemoLeft->font().family(), form.font().family());
    // After the top band, before the total band.
    EXPECT_EQ(form.Button7->nextInFocusChain(), form.MemoLeft);
    EXPECT_EQ(form.Button8->nextInFocusChain(), form.MemoRight);

    EXPECT_TRUE(form.TimerChecker->isActive());
    EXPECT_EQ(form.TimerChecker->interval(), 1000);
    EXPECT_FALSE(form.TimerPercentage->isActive());
    EXPECT_EQ(form.TimerPercentage->interval(), 1000);

    // The client area (without the menu bar) is the design's.
    EXPECT_EQ(form.centralWidget()->width(), 478);
    EXPECT_EQ(form.centralWidget()->height() + form.StatusBar1->height(), 503);
    EXPECT_EQ(form.font().pointSize(), 8);
    EXPECT_EQ(form.ButtonCompare->font().pointSize(), 12);
}

TEST_F(AppFormTest, EveryComponentHasItsName)
{
    const char *const widgets[] = {"StatusBar1",
                                   "Panel3",
                                   "ButtonCompare",
                                   "Panel4",
                                   "Panel1",
                                   "Splitter1",
                                   "Panel2",
                                   "Panel9",
                                   "Panel10",
                                   "Button1",
                                   "Button2",
                                   "Button7",
                                   "Button8",
                                   "Panel7",
                                   "Panel8",
                                   "Label1",
                                   "Label2",
                                   "MemoLeft",
                                   "MemoRight",
                                   "Panel5",
                                   "Panel6",
                                   "Label3",
                                   "Label4",
                                   "Button3",
                                   "Button6",
                                   "Button4",
                                   "Button5",
                                   "MainMenu1",
                                   "PopupMenu1",
                                   "PopupMenu2",
                                   "OpenTextFileDialog1"};
    for (const char *name : widgets)
        EXPECT_NE(form.findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
    for (const char *name : {"TimerChecker", "TimerPercentage"})
        EXPECT_NE(form.findChild<QTimer *>(QString::fromLatin1(name)), nullptr) << name;

    EXPECT_EQ(form.Button1->text(), QStringLiteral("Load..."));
    EXPECT_EQ(form.Button7->text(), QStringLiteral("Paste"));
    EXPECT_EQ(form.Button4->text(), QStringLiteral("Remove Duplicates"));
    EXPECT_EQ(form.Button5->text(), QStringLiteral("Remove Duplicates"));
    EXPECT_EQ(form.ButtonCompare->text(), QStringLiteral("COMPARE"));
    EXPECT_EQ(form.Button3->toolTip(), QStringLiteral("Save List #1"));
    EXPECT_EQ(form.Button6->toolTip(), QStringLiteral("Save List #2"));
    const QAbstractButton *const withIcons[]
        = {form.Button1, form.Button2, form.Button7, form.Button8, form.Button3, form.Button6};
    for (const QAbstractButton *button : withIcons)
        EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
}

TEST_F(AppFormTest, MenuItems)
{
    struct Item
    {
        const char *name;
        const char *caption; // nullptr for a separator
        bool checkable = false;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        bool icon = false;
    };
    const Item items[] = {
        {"Clear1", "C&lear", false, false, true, true, true},
        {"LoadList11", "Load List #&1...", false, false, true, true, true},
        {"LoadList21", "Load List #&2...", false, false, true, true, true},
        {"N2", nullptr},
        {"Compare1", "&Compare"},
        {"N1", nullptr},
        {"Exit1", "E&xit", false, false, true, true, true},
        {"CalculateUnionofLists1", "Calculate &Union of Lists", true, false},
        {"CaseSensitive1", "Case &Sensitive", true, false},
        {"IgnoreAccents1", "Ignore &Accents", true, false},
        {"IgnorePunctuation1", "Ignore &Punctuation and Spaces", true, false},
        {"CompareBy1", "Compare &By..."},
        {"N4", nullptr},
        {"IgnoreWhitespace1", "Ignore &Whitespace When Loading", true, false},
        {"SortWhenLoading1", "S&ort When Loading", true, true},
        {"N7", nullptr},
        {"ResettoDefaults1", "&Reset to Defaults"},
        {"Help2", "Online &Help", false, false, true, true, true},
        {"N3", nullptr},
        {"UpdateNotifications1", "&Update Notifications", true, true, false},
        {"UpdateNotificationsBar", nullptr, false, false, true, false},
        {"Language1", "&Language...", false, false, true, true, true},
        {"SendFeedback1", "Send &Feedback...", false, false, true, true, true},
        {"About1", "&About...", false, false, true, true, true},
        {"Clear2", "C&lear", false, false, true, true, true},
        {"N5", nullptr},
        {"Cut1", "Cu&t", false, false, true, true, true},
        {"Copy1", "&Copy", false, false, true, true, true},
        {"Paste1", "&Paste", false, false, true, true, true},
        {"Delete1", "&Delete", false, false, true, true, true},
        {"N6", nullptr},
        {"SelectAll1", "Select &All"},
        {"MenuItem1", "C&lear", false, false, true, true, true},
        {"MenuItem2", nullptr},
        {"MenuItem3", "Cu&t", false, false, true, true, true},
        {"MenuItem4", "&Copy", false, false, true, true, true},
        {"Paste2", "&Paste", false, false, true, true, true},
        {"Delete2", "&Delete", false, false, true, true, true},
        {"MenuItem7", nullptr},
        {"MenuItem8", "Select &All"},
    };
    for (const Item &item : items) {
        SCOPED_TRACE(item.name);
        const QAction *action = form.findChild<QAction *>(QString::fromLatin1(item.name));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->isSeparator(), item.caption == nullptr);
        if (item.caption) {
            EXPECT_EQ(action->text(), QString::fromLatin1(item.caption));
        }
        EXPECT_EQ(action->isCheckable(), item.checkable);
        EXPECT_EQ(action->isChecked(), item.checked);
        // Qt disables hidden actions.
        EXPECT_EQ(action->isEnabled(), item.enabled && item.visible);
        EXPECT_EQ(action->isVisible(), item.visible);
        EXPECT_EQ(!action->icon().isNull(), item.icon);
    }
    EXPECT_EQ(form.Help2->shortcut(), QKeySequence(Qt::Key_F1));

    // Menus in their order on the bar, each with its items in order.
    QStringList bar;
    for (const QAction *menu : form.MainMenu1->actions())
        bar << menu->text();
    EXPECT_EQ(bar,
              QStringList({QStringLiteral("&File"), QStringLiteral("&Settings"), QStringLiteral("&Help")}));
    QStringList file;
    for (const QAction *action : form.File1->actions())
        file << action->objectName();
    EXPECT_EQ(file,
              QStringList({QStringLiteral("Clear1"), QStringLiteral("LoadList11"),
                           QStringLiteral("LoadList21"), QStringLiteral("N2"), QStringLiteral("Compare1"),
                           QStringLiteral("N1"), QStringLiteral("Exit1")}));
}

TEST_F(AppFormTest, ResizeSplitsEvenlyAndLaysOutTheBands)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return splitIsEven() && topButtonsFollowTheirBands(); }));
    for (const int width : {600, 901, 478}) {
        SCOPED_TRACE(width);
        form.resize(width, 640);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return form.centralWidget()->width() == width && splitIsEven() && topButtonsFollowTheirBands();
        })) << form.Panel1->width()
            << " " << form.Panel2->width() << " " << form.Button1->width();

        // From the bottom up: status bar, COMPARE band, separator, pane groups.
        const QRect status = geometryIn(form.StatusBar1, &form);
        const QRect compareBand = geometryIn(form.Panel3, &form);
        const QRect separator = geometryIn(form.Panel4, &form);
        const QRect groups = geometryIn(form.Splitter1, &form);
        EXPECT_EQ(status.height(), 19);
        EXPECT_EQ(status.top(), compareBand.bottom() + 1);
        EXPECT_EQ(compareBand.height(), 60);
        EXPECT_EQ(form.ButtonCompare->geometry(), QRect(2, 0, width - 4, 58));
        EXPECT_EQ(separator.height(), 2);
        EXPECT_EQ(compareBand.top(), separator.bottom() + 1 + 2);
        EXPECT_EQ(separator.top(), groups.bottom() + 1 + 3);

        // Inside a group: top band, label band, pane with margins, total band, Remove Duplicates.
        EXPECT_EQ(form.Panel9->height(), 41);
        EXPECT_EQ(form.Panel7->height(), 26);
        EXPECT_EQ(form.Panel5->height(), 26);
        const QRect pane = geometryIn(form.MemoLeft, form.Panel1);
        EXPECT_EQ(pane.left(), 3);
        EXPECT_EQ(pane.right(), form.Panel1->width() - 4);
        EXPECT_EQ(pane.top(), 41 + 26 + 3);
        EXPECT_EQ(geometryIn(form.Panel5, form.Panel1).top(), pane.bottom() + 1 + 3);
        EXPECT_EQ(form.Button3->size(), QSize(26, 26));
        EXPECT_EQ(geometryIn(form.Button3, form.Panel5).right(), form.Panel5->width() - 1);
        const QRect removeDuplicates = geometryIn(form.Button4, form.Panel1);
        EXPECT_EQ(removeDuplicates, QRect(2, form.Panel1->height() - 25, form.Panel1->width() - 4, 25));
    }
}

TEST_F(AppFormTest, ADraggedSplitterResizesTheLoadButtonsAndKeepsItsShareThroughResizes)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return splitIsEven() && topButtonsFollowTheirBands(); }));
    const int before = form.Panel1->width();
    QSplitterHandle *handle = form.Splitter1->handle(1);
    const QPoint grip(1, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(60, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(form.Panel1->width() - (before + 60)) <= 1; }))
        << form.Panel1->width();
    EXPECT_FALSE(splitIsEven());
    EXPECT_TRUE(topButtonsFollowTheirBands());

    // List #1 keeps its share of the width.
    const auto share
        = [&] { return double(form.Panel1->width()) / (form.Panel1->width() + form.Panel2->width()); };
    const double dragged = share();
    form.resize(form.width() + 200, form.height());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return form.centralWidget()->width() == form.width() && std::abs(share() - dragged) < 0.005
            && topButtonsFollowTheirBands();
    })) << share()
        << " " << dragged;
    EXPECT_FALSE(splitIsEven());
}

TEST_F(AppFormTest, EscPressesCompare)
{
    QSignalSpy clicks(form.ButtonCompare, &QPushButton::clicked);
    int expected = 0;
    for (QWidget *focus : {static_cast<QWidget *>(form.MemoLeft), static_cast<QWidget *>(form.Button2),
                           static_cast<QWidget *>(&form)}) {
        SCOPED_TRACE(focus->objectName().toStdString());
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_EQ(clicks.count(), ++expected);
    }
}

TEST_F(AppFormTest, LoadThroughTheDialogReplacesTheList)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        int encodingIndex;
        bool ignoreWhitespace;
        bool sort;
        QStringList lines;
    };
    const Case cases[] = {
        {"sorted by default",
         "two\r\none\r\nthree\r\n",
         DefaultEncodingIndex,
         false,
         true,
         {QStringLiteral("one"), QStringLiteral("three"), QStringLiteral("two")}},
        {"file order without sorting",
         "two\r\none\r\nthree\r\n",
         DefaultEncodingIndex,
         false,
         false,
         {QStringLiteral("two"), QStringLiteral("one"), QStringLiteral("three")}},
        {"encoding chosen in the dialog",
         QByteArray("a\0b\0\n\0c\0", 8),
         2,
         false,
         false,
         {QStringLiteral("ab"), QStringLiteral("c")}},
        {"whitespace ignored",
         " x \t\n\n  \ny\n",
         DefaultEncodingIndex,
         true,
         false,
         {QStringLiteral("x"), QStringLiteral("y")}},
        {"whitespace kept", " x\n\n", DefaultEncodingIndex, false, false, {QStringLiteral(" x"), QString()}},
    };
    for (const Case &c : cases) {
        for (const Side &side : {side1(), side2()}) {
            SCOPED_TRACE(std::string(c.name) + " in " + side.pane->objectName().toStdString());
            form.IgnoreWhitespace1->setChecked(c.ignoreWhitespace);
            form.SortWhenLoading1->setChecked(c.sort);
            const QString file = dir.write(QStringLiteral("list.txt"), c.bytes);
            // Twice: "Load..." replaces what the list held.
            for (int round = 0; round < 2; ++round) {
                loadThroughButton(side, file, c.encodingIndex);
                EXPECT_EQ(linesOf(side.list), c.lines);
                EXPECT_EQ(rowsOf(side.pane), c.lines);
                EXPECT_EQ(side.total->text(), total(c.lines.size()));
            }
            EXPECT_EQ(side.list.sorted(), c.sort);
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        }
    }
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(AppFormTest, StatusBarSaysWhatALoadReplacedUntilTheNextLoadOrComparison)
{
    constexpr int Ascii = 1;
    const QString high = dir.write(QStringLiteral("high.txt"), "caf\xE9\r\n\x80\r\n");
    const QString clean = dir.write(QStringLiteral("clean.txt"), "plain\r\n");
    const QString note = QStringLiteral("high.txt: 2 bytes that are not ASCII were replaced by U+FFFD");
    loadThroughButton(side1(), high, Ascii);
    EXPECT_EQ(form.StatusBar1->currentMessage(), note);
    loadThroughButton(side2(), clean, Ascii);
    EXPECT_EQ(form.StatusBar1->currentMessage(), QString());

    loadThroughButton(side2(), high, Ascii);
    EXPECT_EQ(form.StatusBar1->currentMessage(), note);
    // The press is handled from the event loop; the run's progress takes the bar.
    QTest::mouseClick(form.ButtonCompare, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.StatusBar1->currentMessage() != note; }));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !form.comparing() && form.ButtonCompare->text() == QStringLiteral("COMPARE"); }, 10000));
    EXPECT_EQ(form.StatusBar1->currentMessage(), QString());
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(AppFormTest, LoadMenuItemsPressTheButtonsAndCancelChangesNothing)
{
    const QString file = dir.write(QStringLiteral("list.txt"), "a\nb\n");
    for (const Side &side : {side1(), side2()}) {
        SCOPED_TRACE(side.pane->objectName().toStdString());
        dialogs.answerOpen(file);
        side.menuItem->trigger();
        waitForDialogAnswered();
        EXPECT_EQ(linesOf(side.list), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        // One dialog for both lists, kept by the window so the folder and encoding carry over.
        EXPECT_EQ(dialogs.lastOpenDialog, form.OpenTextFileDialog1);

        dialogs.cancelOpen();
        side.menuItem->trigger();
        waitForDialogAnswered();
        EXPECT_EQ(linesOf(side.list), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        EXPECT_EQ(side.pane->rowCount(), 2);
        EXPECT_EQ(side.total->text(), QStringLiteral("Total: 2"));
    }
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(AppFormTest, FailedLoadShowsTheErrorAndThePaneShowsWhatTheListHolds)
{
    QByteArray longFile;
    for (int i = 0; i < 600; ++i)
        longFile += "line " + QByteArray::number(i) + '\n';
    ASSERT_GT(longFile.size(), 4096);
    longFile += "bad \xFF byte\n";

    struct Case
    {
        const char *name;
        QString file;
        QString boxText; // empty: it must name the file
        bool somethingLoaded;
    };
    const QString undecodable = dir.write(QStringLiteral("bad.txt"), longFile);
    const Case cases[] = {
        {"missing file", dir.file(QStringLiteral("missing.txt")), QString(), false},
        {"folder", dir.path(), QString(), false},
        {"undecodable after the first block", undecodable,
         noMappingMessage()
             + QStringLiteral(".\nFile \"%1\", line 601.").arg(QDir::toNativeSeparators(undecodable)),
         true},
    };
    const QString good = dir.write(QStringLiteral("good.txt"), "1\n2\n3\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.errorBoxes.clear();
        const Side side = side1();
        loadThroughButton(side, good);
        ASSERT_EQ(side.list.count(), 3);

        loadThroughButton(side, c.file);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
        ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
        EXPECT_EQ(dialogs.errorBoxes[0].title, QStringLiteral("Pairsight"));
        if (c.boxText.isEmpty()) {
            EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QDir::toNativeSeparators(c.file)))
                << dialogs.errorBoxes[0].text.toStdString();
        } else {
            EXPECT_EQ(dialogs.errorBoxes[0].text, c.boxText);
        }

        // The old lines are gone either way; the pane never shows more than the list.
        EXPECT_EQ(side.list.count() > 0, c.somethingLoaded);
        EXPECT_LT(side.list.count(), 600);
        EXPECT_EQ(side.pane->rowCount(), side.list.count());
        EXPECT_EQ(side.total->text(), total(side.list.count()));
        if (c.somethingLoaded) {
            EXPECT_EQ(rowsOf(side.pane).constFirst(), QStringLiteral("line 0"));
        }
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    // The window goes on working.
    loadThroughButton(side2(), good);
    EXPECT_EQ(form.List2.count(), 3);
}

TEST_F(AppFormTest, ClearEmptiesBothLists)
{
    const QString file = dir.write(QStringLiteral("list.txt"), "a\nb\n");
    loadThroughButton(side1(), file);
    loadThroughButton(side2(), file);
    form.Clear1->trigger();
    for (const Side &side : {side1(), side2()}) {
        EXPECT_TRUE(side.list.isEmpty());
        EXPECT_EQ(side.pane->rowCount(), 0);
        EXPECT_EQ(side.total->text(), QStringLiteral("Total: 0"));
    }
}

TEST_F(AppFormTest, OnlineHelpOpensTheProductsPage)
{
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.MemoLeft, Qt::Key_F1);
    ASSERT_EQ(dialogs.openedUrls.size(), 1);
    EXPECT_EQ(dialogs.openedUrls[0].toString(),
              QStringLiteral("http://" PAIRSIGHT_WEBSITE_HOST "/help/") + AppProductName.toLower() + u'/');
}

TEST_F(AppFormTest, CompareMenuItemPressesCompare)
{
    QSignalSpy clicks(form.ButtonCompare, &QPushButton::clicked);
    form.Compare1->trigger();
    EXPECT_EQ(clicks.count(), 1);
}

} // namespace
