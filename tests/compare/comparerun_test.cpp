#include "app/appform.h"
#include "compare/comparerun.h"
#include "compare/formcompare.h"
#include "lists/listpane.h"
#include "platform/apperror.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using testsupport::linesOf;
using testsupport::listOf;

// A comparison that holds on until it is asked to stop or let go, so that a
// test can act while it runs.
struct HeldComparison
{
    std::atomic<bool> started {false};
    std::atomic<bool> letGo {false};
    std::atomic<bool> sawStop {false};

    TCompareThread::Compare function()
    {
        return [this](const LineList &list1, const LineList &list2, const CompareOptions &options,
                      CompareProgress &progress) {
            started = true;
            while (!letGo && !progress.StopRequested.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            sawStop = progress.StopRequested.load();
            return compareLists(list1, list2, options, progress);
        };
    }

    void waitUntilStarted()
    {
        // Not an event loop: the run's own queued calls must wait.
        while (!started)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

QList<TCompareForm *> resultsWindows(const QWidget &owner)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return owner.findChildren<TCompareForm *>();
}

class CompareRunTest : public ::testing::Test
{
protected:
    CompareInput input() const
    {
        return {listOf({QStringLiteral("a"), QStringLiteral("b")}), listOf({QStringLiteral("b")}), {true}};
    }

    // Starts a held run and waits until its worker compares.
    void startHeld()
    {
        run.setCompare(held.function());
        run.start([this] { return input(); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return held.started.load(); }, 10000));
    }

    FakeDialogs dialogs;
    QWidget owner;
    CompareRun run {&owner};
    HeldComparison held;
    int finishedCount = 0;
    QMetaObject::Connection counting
        = QObject::connect(&run, &CompareRun::finished, [this] { ++finishedCount; });
};

TEST_F(CompareRunTest, ARunDeliversItsSetsAndShowsItsWindow)
{
    run.start([this] { return input(); });
    EXPECT_TRUE(run.running());
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(resultsWindows(owner).size(), 1);
    EXPECT_FALSE(resultsWindows(owner)[0]->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.running(); }, 10000));
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const TCompareForm *form = resultsWindows(owner).value(0);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(linesOf(form->list(ResultSet::Only1)), QStringList {QStringLiteral("a")});
    EXPECT_EQ(linesOf(form->list(ResultSet::Union)),
              (QStringList {QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(CompareRunTest, EndingARunStopsItAndLeavesNoWindowAndNoMessage)
{
    startHeld();
    run.end();
    EXPECT_TRUE(held.sawStop);
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(resultsWindows(owner).isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Whatever the ended run left queued finds nothing to act on.
    QCoreApplication::processEvents();
    EXPECT_EQ(finishedCount, 0);
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(CompareRunTest, AResultsWindowGoneBeforeTheEndIsReportedAsCancelled)
{
    startHeld();
    delete resultsWindows(owner).value(0);
    held.letGo = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.running(); }, 10000));
    EXPECT_EQ(finishedCount, 1);
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_EQ(dialogs.errorBoxes[0].text, QStringLiteral("The comparison was cancelled"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(CompareRunGone, TheEndOfARunDeletedMeanwhileIsDropped)
{
    FakeDialogs dialogs;
    QWidget owner;
    HeldComparison held;
    auto *run = new CompareRun(&owner);
    run->setCompare(held.function());
    run->start([] { return CompareInput {listOf({QStringLiteral("a")}), listOf({}), {}}; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.started.load(); }, 10000));
    // Its end is queued when the run goes.
    held.letGo = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    delete run;
    QCoreApplication::processEvents();
    EXPECT_TRUE(resultsWindows(owner).isEmpty());
    EXPECT_TRUE(dialogs.errorBoxes.empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(CompareRunInTheMainWindow, ClosingTheProgramDuringARunEndsItQuietly)
{
    FakeDialogs dialogs;
    TAppForm form;
    HeldComparison held;
    form.compareRun().setCompare(held.function());
    form.List1.append(u"a");
    form.show();
    form.ButtonCompare->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.started.load(); }, 10000));
    EXPECT_TRUE(form.comparing());
    form.close();
    EXPECT_TRUE(held.sawStop);
    EXPECT_FALSE(form.comparing());
    QCoreApplication::processEvents();
    EXPECT_TRUE(resultsWindows(form).isEmpty());
    EXPECT_TRUE(dialogs.errorBoxes.empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace

namespace {

TEST(CompareRunInTheMainWindow, AComparisonThatRunsOutOfMemorySaysSoAndKeepsBothLists)
{
    FakeDialogs dialogs;
    TAppForm form;
    form.show();
    // Sorted as loaded; half of each list is in the other. "WORD 02500"
    // matches "word 02500" unless case counts, and then sorts after it (no
    // letter i, whose case the Turkish collation keeps apart).
    QStringList lines[2];
    for (int i = 0; i < 5000; ++i) {
        if (i == 2500)
            lines[0] << QStringLiteral("WORD 02500");
        lines[0] << QStringLiteral("word %1").arg(i, 5, 10, QLatin1Char('0'));
        lines[1] << QStringLiteral("word %1").arg(i + 2500, 5, 10, QLatin1Char('0'));
    }
    LineList *lists[2] = {&form.List1, &form.List2};
    for (int k = 0; k < 2; ++k) {
        for (const QString &line : lines[k])
            lists[k]->append(line);
        lists[k]->setSorted(true);
    }
    form.refreshList1();
    form.refreshList2();
    const QString message
        = QStringLiteral("The lists do not fit in memory for the comparison.\nFor lists this "
                         "large, use pairsight-compare --memory, which compares them on disk.");

    const struct
    {
        const char *name;
        bool caseSensitive; // a new matching sorts both lists again first
        qsizetype inBoth;
    } cases[] = {{"comparing", false, 2501}, {"sorting the lists again", true, 2500}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.errorBoxes.clear();
        form.CaseSensitive1->setChecked(c.caseSensitive);
        {
            // Every set and every sort of thousands of lines needs a block larger than this.
            const testsupport::LargeBlockLimit limit(8192);
            form.ButtonCompare->click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }, 10000));
        }
        ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
        EXPECT_EQ(dialogs.errorBoxes[0].text, message);
        EXPECT_FALSE(form.comparing());
        EXPECT_EQ(form.ButtonCompare->text(), QStringLiteral("COMPARE"));
        EXPECT_TRUE(resultsWindows(form).isEmpty());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(linesOf(*lists[k]), lines[k]) << "list #" << k + 1;
        }
        EXPECT_EQ(form.MemoLeft->rowCount(), 5001);
        EXPECT_EQ(form.MemoRight->rowCount(), 5000);

        // With the memory back, the same comparison runs, in the right order
        // of the lines whatever the failed sort left.
        form.ButtonCompare->click();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !resultsWindows(form).isEmpty() && !form.comparing(); }, 10000));
        EXPECT_EQ(resultsWindows(form)[0]->list(ResultSet::Intersection).count(), c.inBoth);
        EXPECT_EQ(dialogs.errorBoxes.size(), 1u);
        for (TCompareForm *results : resultsWindows(form))
            delete results;
    }
}

} // namespace
