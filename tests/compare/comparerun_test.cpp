#include "app/appform.h"
#include "compare/comparerun.h"
#include "compare/formcompare.h"
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
