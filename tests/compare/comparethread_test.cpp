#include "compare/comparethread.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <map>

namespace {

using testsupport::linesOf;
using testsupport::listOf;

// Runs the thread to its end while this thread serves the hand-offs.
void runToEnd(TCompareThread &thread)
{
    QEventLoop loop;
    QObject::connect(&thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread.start();
    loop.exec();
}

TEST(CompareThread, HandOffsRunOnTheContextThreadAndChangesDuringARunAreNotSeen)
{
    QObject context;
    LineList list1 = listOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    LineList list2 = listOf({QStringLiteral("b")});
    std::map<ResultSet, QStringList> sets;
    std::vector<QString> order;
    CompareProgress progress;
    CompareHandOffs handOffs;
    const QThread *contextThread = QThread::currentThread();
    bool allOnContextThread = true;
    auto note = [&](const QString &what) {
        allOnContextThread = allOnContextThread && QThread::currentThread() == contextThread;
        order.push_back(what);
    };
    handOffs.begin = [&] {
        note(QStringLiteral("begin"));
        return CompareInput {list1, list2, true};
    };
    handOffs.deliver = [&](ResultSet set, LineList lines) {
        note(QStringLiteral("deliver"));
        sets[set] = linesOf(lines);
        if (set == ResultSet::Intersection) {
            // The user edits both lists while the run goes on.
            list1.clear();
            list1.append(u"z");
            list2.append(u"a");
        }
    };
    handOffs.finish = [&](std::optional<LineList> all) {
        note(QStringLiteral("finish"));
        sets[ResultSet::Union] = linesOf(*all);
    };
    handOffs.done = [&] { note(QStringLiteral("done")); };

    TCompareThread thread(progress, handOffs, &context);
    runToEnd(thread);
    EXPECT_FALSE(thread.failed()) << thread.errorMessage().toStdString();
    EXPECT_TRUE(allOnContextThread);
    EXPECT_EQ(
        order,
        (std::vector<QString> {QStringLiteral("begin"), QStringLiteral("deliver"), QStringLiteral("deliver"),
                               QStringLiteral("deliver"), QStringLiteral("finish"), QStringLiteral("done")}));
    EXPECT_EQ(sets[ResultSet::Intersection], QStringList {QStringLiteral("b")});
    EXPECT_EQ(sets[ResultSet::Only1], (QStringList {QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(sets[ResultSet::Only2], QStringList());
    EXPECT_EQ(sets[ResultSet::Union],
              (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(linesOf(list1), QStringList {QStringLiteral("z")});
    EXPECT_EQ(linesOf(list2), (QStringList {QStringLiteral("b"), QStringLiteral("a")}));
}

TEST(CompareThread, AnErrorInAHandOffEndsTheRunAndIsKept)
{
    QObject context;
    const LineList list = listOf({QStringLiteral("a")});
    bool laterHandOff = false;
    CompareProgress progress;
    CompareHandOffs handOffs;
    handOffs.begin = [&] { return CompareInput {list, list, false}; };
    handOffs.deliver
        = [&](ResultSet, LineList) { throw AppError(QStringLiteral("Cannot create the window")); };
    handOffs.finish = [&](std::optional<LineList>) { laterHandOff = true; };
    handOffs.done = [&] { laterHandOff = true; };
    TCompareThread thread(progress, handOffs, &context);
    runToEnd(thread);
    EXPECT_TRUE(thread.failed());
    EXPECT_EQ(thread.errorMessage(), QStringLiteral("Cannot create the window"));
    EXPECT_FALSE(laterHandOff);
}

} // namespace
