#include "app/appform.h"
#include "compare/formcompare.h"
#include "lists/formatcount.h"
#include "lists/listpane.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"
#include "widgets/savetextfiledialog.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

namespace {

using testsupport::linesOf;
using testsupport::readAll;
using testsupport::ScopedEnv;

QString total(qsizetype count)
{
    return QStringLiteral("Total: ") + FormatCount(count);
}

QStringList rowsOf(const ListPane *pane)
{
    QStringList rows;
    for (int i = 0; i < pane->model()->rowCount(); ++i)
        rows << pane->model()->index(i, 0).data().toString();
    return rows;
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

class PaneCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.resize(600, 700);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // What the commands of one pane touch.
    struct Side
    {
        LineList &list;
        ListPane *pane;
        QLabel *total;
        QAction *clear, *cut, *copy, *paste, *del, *selectAll;
        QPushButton *pasteButton;
        QPushButton *removeDuplicates;
        QToolButton *save;
        LineList &other;
    };
    Side side1()
    {
        return {form.List1,   form.MemoLeft, form.Label3,  form.Clear2,     form.Cut1,
                form.Copy1,   form.Paste1,   form.Delete1, form.SelectAll1, form.Button7,
                form.Button4, form.Button3,  form.List2};
    }
    Side side2()
    {
        return {form.List2,     form.MemoRight, form.Label4,  form.MenuItem1, form.MenuItem3,
                form.MenuItem4, form.Paste2,    form.Delete2, form.MenuItem8, form.Button8,
                form.Button5,   form.Button6,   form.List1};
    }

    void fill(const Side &side, const QStringList &lines, bool sorted = false)
    {
        side.list.clear();
        side.list.setSorted(false);
        for (const QString &line : lines)
            side.list.append(line);
        side.list.setSorted(sorted);
        form.refreshList1();
        form.refreshList2();
    }

    // Ctrl-clicks each row, as a user picks rows one by one.
    void select(const Side &side, const std::vector<int> &rows)
    {
        side.pane->clearSelection();
        for (int row : rows) {
            const QRect rect = side.pane->visualRect(side.pane->model()->index(row, 0));
            QTest::mouseClick(side.pane->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
        }
    }

    static void settle()
    {
        // Queued handlers run now.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    void expectShown(const Side &side, const QStringList &lines)
    {
        EXPECT_EQ(linesOf(side.list), lines);
        EXPECT_EQ(rowsOf(side.pane), lines);
        EXPECT_EQ(side.total->text(), total(lines.size()));
    }

    testsupport::TempDir dir;
    FakeDialogs dialogs;
    TAppForm form;
};

enum class Command
{
    Clear,
    Copy,
    Cut,
    Delete,
    DeleteKey,
    ShiftDeleteKey,
    CtrlDeleteKey,
    Paste,
    PasteButton,
    SelectAllCopy,
    RemoveDuplicates,
};

TEST_F(PaneCommandsTest, CommandsChangeTheListPaneAndClipboard)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        bool sorted;
        std::vector<int> selected;
        Command command;
        QString clipboardBefore;
        QStringList after;
        QString clipboardAfter;
        bool sortedAfter;
        bool trim = false;
        bool sortWhenLoading = false;
        bool caseSensitive = false;
    };
    const QString abcd[]
        = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    const QStringList xyz {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};
    const QStringList xz {QStringLiteral("x"), QStringLiteral("z")};
    const QStringList bABa {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("B"),
                            QStringLiteral("a")};
    const QString old = QStringLiteral("old");
    const Case cases[] = {
        {"copy b and d",
         {abcd[0], abcd[1], abcd[2], abcd[3]},
         false,
         {1, 3},
         Command::Copy,
         old,
         {abcd[0], abcd[1], abcd[2], abcd[3]},
         QStringLiteral("b\r\nd\r\n"),
         false},
        {"copy a single empty line",
         {QString()},
         false,
         {0},
         Command::Copy,
         old,
         {QString()},
         QStringLiteral("\r\n"),
         false},
        {"copy with nothing selected", xyz, false, {}, Command::Copy, old, xyz, old, false},
        {"select all then copy",
         xyz,
         false,
         {},
         Command::SelectAllCopy,
         old,
         xyz,
         QStringLiteral("x\r\ny\r\nz\r\n"),
         false},
        {"delete in a sorted list with repeats",
         {abcd[0], abcd[0], abcd[1], abcd[2]},
         true,
         {2},
         Command::Delete,
         old,
         {abcd[0], abcd[0], abcd[2]},
         old,
         true},
        {"Delete key", xyz, false, {1}, Command::DeleteKey, old, xz, old, false},
        {"Shift+Delete", xyz, false, {1}, Command::ShiftDeleteKey, old, xz, old, false},
        {"Ctrl+Delete", xyz, false, {1}, Command::CtrlDeleteKey, old, xz, old, false},
        {"delete with nothing selected", xyz, false, {}, Command::Delete, old, xyz, old, false},
        {"cut rows 1 and 3",
         xyz,
         false,
         {0, 2},
         Command::Cut,
         old,
         {QStringLiteral("y")},
         QStringLiteral("x\r\nz\r\n"),
         false},
        {"cut with nothing selected", xyz, false, {}, Command::Cut, old, xyz, old, false},
        {"paste trimmed",
         {QStringLiteral("q")},
         false,
         {},
         Command::Paste,
         QStringLiteral(" a \r\n\r\n"),
         {QStringLiteral("q"), QStringLiteral("a")},
         QStringLiteral(" a \r\n\r\n"),
         false,
         true},
        {"paste untrimmed",
         {QStringLiteral("q")},
         false,
         {},
         Command::Paste,
         QStringLiteral(" a \r\n\r\n"),
         {QStringLiteral("q"), QStringLiteral(" a "), QString()},
         QStringLiteral(" a \r\n\r\n"),
         false},
        {"paste into a sorted list, sorting off",
         {abcd[0], abcd[2]},
         true,
         {},
         Command::Paste,
         QStringLiteral("b"),
         {abcd[0], abcd[2], abcd[1]},
         QStringLiteral("b"),
         false},
        {"paste button, sorting on",
         {abcd[1]},
         false,
         {},
         Command::PasteButton,
         QStringLiteral("c\na\rb"),
         {abcd[0], abcd[1], abcd[1], abcd[2]},
         QStringLiteral("c\na\rb"),
         true,
         false,
         true},
        {"remove duplicates, case ignored",
         bABa,
         false,
         {},
         Command::RemoveDuplicates,
         old,
         {abcd[0], abcd[1]},
         old,
         true},
        {"remove duplicates, case heeded",
         bABa,
         false,
         {},
         Command::RemoveDuplicates,
         old,
         {abcd[0], abcd[1], QStringLiteral("B")},
         old,
         true,
         false,
         false,
         true},
        {"clear keeps the sorted flag", xyz, true, {0}, Command::Clear, old, {}, old, true},
    };
    for (const Case &c : cases) {
        for (const Side &side : {side1(), side2()}) {
            SCOPED_TRACE(std::string(c.name) + " in " + side.pane->objectName().toStdString());
            form.IgnoreWhitespace1->setChecked(c.trim);
            form.SortWhenLoading1->setChecked(c.sortWhenLoading);
            form.CaseSensitive1->setChecked(c.caseSensitive);
            fill(side, c.lines, c.sorted);
            side.other.clear();
            side.other.append(u"other");
            form.refreshList1();
            form.refreshList2();
            QGuiApplication::clipboard()->setText(c.clipboardBefore);
            select(side, c.selected);
            ASSERT_EQ(side.pane->selectedRows(), [&] {
                std::vector<bool> rows(size_t(c.lines.size()), false);
                for (int row : c.selected)
                    rows[size_t(row)] = true;
                return rows;
            }());

            switch (c.command) {
            case Command::Clear:
                side.clear->trigger();
                break;
            case Command::Copy:
                side.copy->trigger();
                break;
            case Command::Cut:
                side.cut->trigger();
                break;
            case Command::Delete:
                side.del->trigger();
                break;
            case Command::DeleteKey:
                QTest::keyClick(side.pane, Qt::Key_Delete);
                break;
            case Command::ShiftDeleteKey:
                QTest::keyClick(side.pane, Qt::Key_Delete, Qt::ShiftModifier);
                break;
            case Command::CtrlDeleteKey:
                QTest::keyClick(side.pane, Qt::Key_Delete, Qt::ControlModifier);
                break;
            case Command::Paste:
                side.paste->trigger();
                break;
            case Command::PasteButton:
                QTest::mouseClick(side.pasteButton, Qt::LeftButton);
                break;
            case Command::SelectAllCopy:
                side.selectAll->trigger();
                settle();
                EXPECT_EQ(side.pane->selectionModel()->selectedRows().size(), c.lines.size());
                side.copy->trigger();
                break;
            case Command::RemoveDuplicates:
                QTest::mouseClick(side.removeDuplicates, Qt::LeftButton);
                break;
            }
            settle();

            expectShown(side, c.after);
            EXPECT_EQ(clipboardText(), c.clipboardAfter);
            EXPECT_EQ(side.list.sorted(), c.sortedAfter);
            if (c.command == Command::RemoveDuplicates) {
                EXPECT_EQ(side.list.matching().caseSensitive, c.caseSensitive);
            }
            if (c.after.size() != c.lines.size()) {
                EXPECT_TRUE(side.pane->selectedRows() == std::vector<bool>(size_t(c.after.size()), false));
            }
            EXPECT_EQ(linesOf(side.other), QStringList {QStringLiteral("other")});
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        }
    }
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(PaneCommandsTest, CopiedLinesPasteBackIntoAnEmptyList)
{
    form.SortWhenLoading1->setChecked(false);
    fill(side1(), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    select(side1(), {1, 3});
    form.Copy1->trigger();
    settle();
    form.Paste2->trigger();
    settle();
    expectShown(side2(), {QStringLiteral("b"), QStringLiteral("d")});
}

TEST_F(PaneCommandsTest, SaveWritesTheListAsUtf8WithoutMark)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty list", {}, QByteArray()},
        {"a and b", {QStringLiteral("a"), QStringLiteral("b")}, QByteArray("a\r\nb\r\n")},
        {"empty line and accents", {QString(), QStringLiteral("\u00E9")}, QByteArray("\r\n\xC3\xA9\r\n")},
    };
    for (const Case &c : cases) {
        for (const Side &side : {side1(), side2()}) {
            SCOPED_TRACE(std::string(c.name) + " in " + side.pane->objectName().toStdString());
            fill(side, c.lines);
            const QString path = dir.file(QStringLiteral("saved.txt"));
            dialogs.answerSave(path);
            QTest::mouseClick(side.save, Qt::LeftButton);
            settle();
            EXPECT_EQ(dialogs.pendingSaveAnswers(), 0);
            EXPECT_EQ(dialogs.lastSaveDialog, form.SaveDialog1);
            EXPECT_EQ(readAll(path), c.bytes);
            EXPECT_EQ(linesOf(side.list), c.lines);
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        }
    }

    // Cancelled: nothing is written.
    dialogs.cancelSave();
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    settle();
    EXPECT_EQ(dialogs.pendingSaveAnswers(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("saved.txt")});
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(PaneCommandsTest, FailedSaveNamesTheFileAndChangesNothing)
{
    const QString existing = dir.write(QStringLiteral("keep.txt"), "kept\r\n");
    const QString folder = dir.file(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString &path : {dir.file(QStringLiteral("missing/out.txt")), folder}) {
        SCOPED_TRACE(path.toStdString());
        dialogs.errorBoxes.clear();
        fill(side1(), {QStringLiteral("b"), QStringLiteral("a")});
        dialogs.answerSave(path);
        QTest::mouseClick(form.Button3, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
        EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QDir::toNativeSeparators(path)))
            << dialogs.errorBoxes[0].text.toStdString();
        EXPECT_EQ(linesOf(form.List1), (QStringList {QStringLiteral("b"), QStringLiteral("a")}));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // Writing fails half-way, as on a full disk: the file keeps its old content.
    dialogs.errorBoxes.clear();
    side1().list.clear();
    for (int i = 0; i < 100000; ++i)
        side1().list.append(u"a line that will not fit");
    form.refreshList1();
    bool reported = false;
    {
        const testsupport::FileSizeLimit limit(rlim_t {64} * 1024);
        dialogs.answerSave(existing);
        QTest::mouseClick(form.Button3, Qt::LeftButton);
        reported = QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); });
    }
    ASSERT_TRUE(reported);
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QDir::toNativeSeparators(existing)))
        << dialogs.errorBoxes[0].text.toStdString();
    EXPECT_EQ(form.List1.count(), 100000);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(readAll(existing), QByteArray("kept\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("keep.txt")});
}

TEST_F(PaneCommandsTest, SaveDialogConfiguration)
{
    const SaveTextFileDialog *dialog = form.SaveDialog1;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("SaveDialog1"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList {QStringLiteral("TXT File (*.txt)"), QStringLiteral("Any File (*)")}));
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
    EXPECT_TRUE(dialog->isSizeGripEnabled());
    EXPECT_EQ(dialog->findChild<QWidget *>(QStringLiteral("EncodingComboBox")), nullptr);
}

// Results of one run; the command, when given, runs on the GUI thread after
// the run has taken its snapshots and before it hands back its first set.
std::map<ResultSet, QStringList> runComparison(TAppForm &form, const std::function<void()> &duringRun)
{
    struct AfterSnapshot : QObject
    {
        TAppForm *form;
        std::function<void()> command;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            // The results window is made in the run's first hand-off, under the busy pointer.
            if (command && watched == form && event->type() == QEvent::ChildAdded
                && QGuiApplication::overrideCursor() != nullptr
                && static_cast<QChildEvent *>(event)->child()->isWidgetType()) {
                QMetaObject::invokeMethod(form, std::exchange(command, {}), Qt::QueuedConnection);
            }
            return false;
        }
    } filter;
    filter.form = &form;
    filter.command = duringRun;
    form.installEventFilter(&filter);
    // A window closed earlier goes now, so a new one cannot take its address.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TCompareForm *before = CompareForm;
    form.ButtonCompare->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return CompareForm != before && !form.comparing(); }, 10000));
    form.removeEventFilter(&filter);
    EXPECT_FALSE(filter.command) << "the command did not run during the run";
    std::map<ResultSet, QStringList> sets;
    if (CompareForm != before) {
        for (ResultSet set : {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2, ResultSet::Union})
            sets[set] = linesOf(CompareForm->list(set));
        CompareForm->close();
    }
    return sets;
}

TEST_F(PaneCommandsTest, CommandsDuringARunLeaveItsResultAlone)
{
    form.CalculateUnionofLists1->setChecked(true);
    form.SortWhenLoading1->setChecked(false);
    auto reset = [&] {
        fill(side1(), {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("x")});
        fill(side2(), {QStringLiteral("a"), QStringLiteral("y")});
    };
    reset();
    const auto untouched = runComparison(form, {});
    ASSERT_EQ(untouched.at(ResultSet::Intersection), QStringList {QStringLiteral("a")});

    reset();
    bool ran = false;
    const auto edited = runComparison(form, [&] {
        EXPECT_TRUE(form.comparing());
        // Nothing is disabled for the run.
        const QAction *const commands[]
            = {form.Clear2,    form.Cut1,      form.Copy1,     form.Paste1, form.Delete1, form.SelectAll1,
               form.MenuItem1, form.MenuItem3, form.MenuItem4, form.Paste2, form.Delete2, form.MenuItem8};
        for (const QAction *command : commands)
            EXPECT_TRUE(command->isEnabled()) << command->objectName().toStdString();
        const QWidget *const widgets[] = {form.Button3, form.Button4, form.Button5,  form.Button6,
                                          form.Button7, form.Button8, form.MemoLeft, form.MemoRight};
        for (const QWidget *widget : widgets)
            EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
        select(side1(), {1});
        form.Delete1Click();
        form.Button4Click();
        QGuiApplication::clipboard()->setText(QStringLiteral("b\r\nnew\r\n"));
        form.Paste2Click();
        select(side2(), {0});
        form.MenuItem3Click();
        form.MenuItem1Click();
        ran = true;
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(edited, untouched);
    // The edits themselves stand.
    EXPECT_EQ(linesOf(form.List1), (QStringList {QStringLiteral("b"), QStringLiteral("x")}));
    EXPECT_TRUE(form.List2.isEmpty());
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

class FileDropTest : public PaneCommandsTest
{
protected:
    // A drop of local files, at the centre of `target`, through the
    // application's routing of drag events; whether it was taken.
    static bool drop(QWidget *target, const QList<QUrl> &urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        settle();
        return dropped.isAccepted();
    }
    static bool dropFiles(QWidget *target, const QStringList &files)
    {
        QList<QUrl> urls;
        for (const QString &file : files)
            urls << QUrl::fromLocalFile(file);
        return drop(target, urls);
    }
};

TEST_F(FileDropTest, DroppedFilesAppendInOrderToThatPanesListOnly)
{
    const QString first = dir.write(QStringLiteral("first.txt"), "c\r\n a \r\n");
    const QString second = dir.write(QStringLiteral("second.txt"), "b\n\n");
    struct Case
    {
        const char *name;
        bool sort;
        bool trim;
        QStringList after;
    };
    const Case cases[] = {
        {"in order",
         false,
         false,
         {QStringLiteral("old"), QStringLiteral("c"), QStringLiteral(" a "), QStringLiteral("b"), QString()}},
        {"sorted as a whole",
         true,
         false,
         {QString(), QStringLiteral(" a "), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("old")}},
        {"trimmed",
         false,
         true,
         {QStringLiteral("old"), QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")}},
    };
    for (const Case &c : cases) {
        for (const Side &side : {side1(), side2()}) {
            SCOPED_TRACE(std::string(c.name) + " on " + side.pane->objectName().toStdString());
            form.SortWhenLoading1->setChecked(c.sort);
            form.IgnoreWhitespace1->setChecked(c.trim);
            fill(side1(), {QStringLiteral("old")});
            fill(side2(), {QStringLiteral("old")});
            EXPECT_TRUE(dropFiles(side.pane->viewport(), {first, second}));
            expectShown(side, c.after);
            EXPECT_EQ(side.list.sorted(), c.sort);
            EXPECT_EQ(linesOf(side.other), QStringList {QStringLiteral("old")});
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        }
    }
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(FileDropTest, EachFileDecodesAsUtf8FirstThenAsAnsi)
{
    ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
    form.SortWhenLoading1->setChecked(false);
    const QByteArray latin1 = testsupport::latin1Lines(600,
                                                       "Stra\xDF"
                                                       "e");
    const int lines = int(latin1.count("\r\n"));
    ASSERT_GT(latin1.indexOf('\xDF'), 4096);
    const QString latin1File = dir.write(QStringLiteral("latin1.txt"), latin1);
    // UTF-16 little-endian with its mark: "Ж", "x".
    const QString utf16File
        = dir.write(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE\x16\x04\r\0\n\0x\0", 10));

    fill(side1(), {});
    EXPECT_TRUE(dropFiles(form.MemoLeft->viewport(), {latin1File, utf16File}));
    const QStringList loaded = linesOf(form.List1);
    ASSERT_EQ(loaded.size(), lines + 2);
    EXPECT_EQ(loaded.count(QStringLiteral("line 0")), 1);
    EXPECT_EQ(loaded.at(600), QStringLiteral("line 600 Stra\u00DFe"));
    EXPECT_EQ(loaded.mid(lines), (QStringList {QStringLiteral("\u0416"), QStringLiteral("x")}));
    EXPECT_EQ(form.Label3->text(), total(lines + 2));
    EXPECT_TRUE(dialogs.errorBoxes.empty());
    EXPECT_EQ(form.StatusBar1->currentMessage(), QString());

    // The ANSI load of a drop says what it replaced.
    ScopedEnv greek("LC_ALL", "el_GR.UTF-8");
    const QString greekFile = dir.write(QStringLiteral("greek.txt"), "\xE1\xD2\r\n");
    EXPECT_TRUE(dropFiles(form.MemoLeft->viewport(), {greekFile, utf16File}));
    EXPECT_EQ(
        form.StatusBar1->currentMessage(),
        QStringLiteral("greek.txt: 1 byte that has no character in windows-1253 was replaced by U+FFFD"));
}

TEST_F(FileDropTest, AnItemThatCannotBeOpenedStopsTheRest)
{
    const QString file = dir.write(QStringLiteral("file.txt"), "f\n");
    const QString folder = dir.file(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString missing = dir.file(QStringLiteral("missing.txt"));
    struct Case
    {
        const char *name;
        QStringList items;
        QString failing;
        QStringList after;
    };
    const Case cases[] = {
        {"folder before the file", {folder, file}, folder, {QStringLiteral("old")}},
        {"folder after the file", {file, folder}, folder, {QStringLiteral("old"), QStringLiteral("f")}},
        {"missing file between two",
         {file, missing, file},
         missing,
         {QStringLiteral("old"), QStringLiteral("f")}},
    };
    form.SortWhenLoading1->setChecked(false);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.errorBoxes.clear();
        fill(side2(), {QStringLiteral("old")});
        dropFiles(form.MemoRight->viewport(), c.items);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
        ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
        EXPECT_EQ(dialogs.errorBoxes[0].title, QStringLiteral("Pairsight"));
        EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QDir::toNativeSeparators(c.failing)))
            << dialogs.errorBoxes[0].text.toStdString();
        expectShown(side2(), c.after);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(FileDropTest, ALoadThatRunsOutOfMemorySaysSoAndTheListKeepsItsLines)
{
    // Any list takes a few megabytes while it loads; no block of 4 MiB can be
    // had, and the big file's text needs one of 10 MB.
    constexpr std::size_t Limit = std::size_t {4} << 20;
    QByteArray bigText;
    for (int i = 0; bigText.size() < 5'000'000; ++i)
        bigText += "big " + QByteArray::number(i).rightJustified(6, '0') + ' ' + QByteArray(90, 'x') + '\n';
    const QString big = dir.write(QStringLiteral("big.txt"), bigText);
    const QString small = dir.write(QStringLiteral("small.txt"), "small\n");
    const QString advice = QStringLiteral("The lists do not fit in memory.\nFor lists this large, use "
                                          "pairsight-compare --memory, which compares them on disk.");
    const QString bigTooLarge = QStringLiteral("The file \"%1\" is too large for the memory available.\n")
                                    .arg(QDir::toNativeSeparators(big))
        + advice;
    const QStringList old {QStringLiteral("line 1"), QStringLiteral("line 2"), QStringLiteral("line 3")};

    enum class Source
    {
        LoadButton,
        Drop,
        Paste,
    };
    struct Case
    {
        const char *name;
        Source source;
        QStringList after;
        QString message;
    };
    const Case cases[] = {
        {"Load... keeps the lines it would have replaced", Source::LoadButton, old, bigTooLarge},
        {"a drop keeps the files before the one too large", Source::Drop,
         old + QStringList {QStringLiteral("small")}, bigTooLarge},
        {"paste", Source::Paste, old, advice},
    };
    form.SortWhenLoading1->setChecked(true);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.errorBoxes.clear();
        fill(side1(), old, true);
        {
            const testsupport::LargeBlockLimit limit(Limit);
            switch (c.source) {
            case Source::LoadButton:
                dialogs.answerOpen(big);
                QTest::mouseClick(form.Button1, Qt::LeftButton);
                break;
            case Source::Drop:
                dropFiles(form.MemoLeft->viewport(), {small, big});
                break;
            case Source::Paste:
                QGuiApplication::clipboard()->setText(QString::fromLatin1(bigText));
                form.Paste1->trigger();
                break;
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
        }
        ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
        EXPECT_EQ(dialogs.errorBoxes[0].title, QStringLiteral("Pairsight"));
        EXPECT_EQ(dialogs.errorBoxes[0].text, c.message);
        expectShown(side1(), c.after);
        EXPECT_TRUE(form.List1.sorted());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }

    // With the memory back, the same file loads.
    dialogs.errorBoxes.clear();
    dialogs.answerOpen(big);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.List1.count() == bigText.count('\n'); }));
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(FileDropTest, OnlyThePanesTakeLocalFiles)
{
    const QString file = dir.write(QStringLiteral("file.txt"), "f\n");
    fill(side1(), {});
    fill(side2(), {});
    QWidget *const others[]
        = {form.Button1, form.Button2, form.Button7,       form.Label1,     form.Label3,         form.Label4,
           form.Button3, form.Button5, form.ButtonCompare, form.StatusBar1, form.centralWidget()};
    for (QWidget *widget : others) {
        SCOPED_TRACE(widget->objectName().toStdString());
        EXPECT_FALSE(dropFiles(widget, {file}));
    }
    // Not a local file: refused by the panes too.
    EXPECT_FALSE(drop(form.MemoLeft->viewport(), {QUrl(QStringLiteral("http://127.0.0.1/list.txt"))}));
    EXPECT_FALSE(drop(form.MemoLeft->viewport(),
                      {QUrl::fromLocalFile(file), QUrl(QStringLiteral("http://127.0.0.1/x"))}));
    EXPECT_TRUE(form.List1.isEmpty());
    EXPECT_TRUE(form.List2.isEmpty());
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(FileDropTest, LongPathsAreTakenWhole)
{
    QString folder = dir.path();
    while (folder.size() < 300)
        folder += QStringLiteral("/a-folder-name-of-some-length");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/list.txt");
    testsupport::writeAll(file, "deep\n");
    fill(side1(), {});
    EXPECT_TRUE(dropFiles(form.MemoLeft->viewport(), {file}));
    expectShown(side1(), {QStringLiteral("deep")});
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

} // namespace
