#include "app/appform.h"
#include "lists/formatcount.h"
#include "lists/listpane.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using testsupport::linesOf;

QDialog *progressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("ProgressDialog") && widget->isVisible())
            return qobject_cast<QDialog *>(widget);
    }
    return nullptr;
}

QStringList rowsOf(const ListPane *pane)
{
    QStringList rows;
    for (int i = 0; i < pane->model()->rowCount(); ++i)
        rows << pane->model()->index(i, 0).data().toString();
    return rows;
}

// About 4 MiB of lines, more than the loader reads at a time.
QByteArray manyLines()
{
    QByteArray text;
    for (int i = 0; text.size() < (4 << 20); ++i)
        text += "line " + QByteArray::number(i).rightJustified(7, '0') + '\n';
    return text;
}

class ListProgressTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.SortWhenLoading1->setChecked(true);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void fill(LineList &list, const QStringList &lines)
    {
        list.clear();
        list.setSorted(false);
        for (const QString &line : lines)
            list.append(line);
        list.setSorted(true);
        form.refreshList1();
        form.refreshList2();
    }

    void drop(ListPane *pane, const QStringList &files)
    {
        QList<QUrl> urls;
        for (const QString &file : files)
            urls << QUrl::fromLocalFile(file);
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = pane->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(pane->viewport(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(pane->viewport(), &dropped);
    }

    // The command runs its work inside its handler, which waits in an event
    // loop of its own: the test acts from there, as a user would, through
    // `user` once the progress dialog shows. Then waits for the command to end.
    void whileTheDialogShows(const std::function<void(QDialog *)> &user)
    {
        bool acted = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QDialog *dialog = progressDialog(); dialog && !acted) {
                acted = true;
                user(dialog);
            }
        });
        poll.start(10);
        EXPECT_TRUE(QTest::qWaitFor([&] { return acted && progressDialog() == nullptr; }, 20000));
        QCoreApplication::processEvents();
    }

    testsupport::TempDir dir;
    FakeDialogs dialogs;
    TAppForm form;
};

// The pipe holds the load back until the test lets it go, so the dialog is
// there, and the load still running, when Cancel is pressed.
TEST_F(ListProgressTest, ALargeLoadShowsItsProgressAndCancelLeavesTheListAsItWas)
{
    const QString small = dir.write(QStringLiteral("small.txt"), "small\n");
    const QStringList old {QStringLiteral("old a"), QStringLiteral("old b")};
    struct Case
    {
        const char *name;
        bool drop; // else Load... of list #1
    };
    for (const Case c : {Case {"Load...", false}, Case {"a drop of two files", true}}) {
        SCOPED_TRACE(c.name);
        testsupport::PipeFile pipe(dir, QStringLiteral("large.txt"), manyLines());
        LineList &list = c.drop ? form.List2 : form.List1;
        ListPane *pane = c.drop ? static_cast<ListPane *>(form.MemoRight) : form.MemoLeft;
        QLabel *total = c.drop ? form.Label4 : form.Label3;
        fill(c.drop ? form.List1 : form.List2, {});
        fill(list, old);
        if (c.drop) {
            drop(pane, {small, pipe.path()});
        } else {
            dialogs.answerOpen(pipe.path());
            QTest::mouseClick(form.Button1, Qt::LeftButton);
        }
        whileTheDialogShows([&](QDialog *dialog) {
            EXPECT_EQ(QApplication::activeModalWidget(), dialog);
            auto *label = dialog->findChild<QLabel *>(QStringLiteral("ProgressLabel"));
            EXPECT_EQ(label->text(), QStringLiteral("Loading \"large.txt\"..."));
            // A pipe's length is not known: the bar moves.
            EXPECT_EQ(dialog->findChild<QProgressBar *>(QStringLiteral("ProgressBar"))->maximum(), 0);
            // Meanwhile the pane goes on showing the list as it is.
            EXPECT_EQ(rowsOf(pane), old);
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
            dialog->findChild<QPushButton *>(QStringLiteral("ProgressCancel"))->click();
            EXPECT_EQ(label->text(), QStringLiteral("Cancelling..."));
            pipe.release();
        });
        EXPECT_EQ(linesOf(list), old);
        EXPECT_TRUE(list.sorted());
        EXPECT_EQ(rowsOf(pane), old);
        EXPECT_EQ(total->text(), QStringLiteral("Total: 2"));
        EXPECT_EQ(linesOf(c.drop ? form.List1 : form.List2), QStringList {});
        EXPECT_TRUE(dialogs.errorBoxes.empty());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(ListProgressTest, ALargeLoadLetRunReplacesTheListAtTheEnd)
{
    const QByteArray text = manyLines();
    testsupport::PipeFile pipe(dir, QStringLiteral("large.txt"), text);
    fill(form.List1, {QStringLiteral("old")});
    dialogs.answerOpen(pipe.path());
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    whileTheDialogShows([&](QDialog *) {
        EXPECT_EQ(linesOf(form.List1), QStringList {QStringLiteral("old")});
        pipe.release();
    });
    ASSERT_EQ(form.List1.count(), text.count('\n'));
    EXPECT_EQ(form.List1.lineAt(0), QStringLiteral("line 0000000"));
    EXPECT_TRUE(form.List1.sorted());
    EXPECT_EQ(form.Label3->text(), QStringLiteral("Total: ") + FormatCount(form.List1.count()));
    EXPECT_EQ(form.MemoLeft->rowCount(), form.List1.count());
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

} // namespace
