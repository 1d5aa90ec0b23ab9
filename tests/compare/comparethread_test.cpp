#include "compare/comparethread.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

using testsupport::linesOf;
using testsupport::listOf;

// Runs the thread to its end.
void runToEnd(TCompareThread &thread)
{
    QEventLoop loop;
    QObject::connect(&thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread.start();
    loop.exec();
}

TEST(CompareThread, ComparesItsSnapshotsOnItsOwnThreadAndChangesDuringARunAreNotSeen)
{
    LineList list1 = listOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    LineList list2 = listOf({QStringLiteral("b")});
    CompareProgress progress;
    std::mutex mutex;
    std::condition_variable edited;
    bool done = false;
    const QThread *mainThread = QThread::currentThread();
    bool onOwnThread = false;
    progress.onStage = [&](int stage) {
        if (stage != 1)
            return;
        onOwnThread = QThread::currentThread() != mainThread;
        // The user edits both lists while the run goes on.
        std::unique_lock lock(mutex);
        edited.wait(lock, [&] { return done; });
    };
    TCompareThread thread(CompareInput {list1, list2, {.calculateUnion = true}}, progress);
    QEventLoop loop;
    QObject::connect(&thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread.start();
    list1.clear();
    list1.append(u"z");
    list2.append(u"a");
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    edited.notify_all();
    loop.exec();

    ASSERT_FALSE(thread.failed()) << thread.errorMessage().toStdString();
    EXPECT_TRUE(onOwnThread);
    CompareResult result = thread.takeResult();
    EXPECT_EQ(linesOf(*result[ResultSet::Intersection]), QStringList {QStringLiteral("b")});
    EXPECT_EQ(linesOf(*result[ResultSet::Only1]), (QStringList {QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(linesOf(*result[ResultSet::Only2]), QStringList());
    EXPECT_EQ(linesOf(*result[ResultSet::Union]),
              (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(linesOf(list1), QStringList {QStringLiteral("z")});
    EXPECT_EQ(linesOf(list2), (QStringList {QStringLiteral("b"), QStringLiteral("a")}));
}

TEST(CompareThread, AnErrorEndsTheRunAndIsKept)
{
    const LineList list = listOf({QStringLiteral("a")});
    CompareProgress progress;
    struct Case
    {
        const char *name;
        std::function<void()> fail;
        QString message;
    };
    const Case cases[] = {
        {"our error", [] { throw AppError(QStringLiteral("Cannot create the window")); },
         QStringLiteral("Cannot create the window")},
        {"out of memory", [] { throw std::bad_alloc(); },
         QStringLiteral("The lists do not fit in memory for the comparison.\nFor lists this large, use "
                        "pairsight-compare --memory, which compares them on disk.")},
        {"anything else", [] { throw 42; }, QStringLiteral("Unknown error")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TCompareThread thread(CompareInput {list, list, {}}, progress,
                              [&](const LineList &, const LineList &, const CompareOptions &,
                                  CompareProgress &) -> CompareResult {
                                  c.fail();
                                  return {};
                              });
        runToEnd(thread);
        EXPECT_TRUE(thread.failed());
        EXPECT_EQ(thread.errorMessage(), c.message);
    }
}

} // namespace
