#include "compare/resultfiles.h"
#include "lists/linelist.h"
#include "lists/linewriter.h"
#include "lists/listjob.h"
#include "lists/paneedit.h"
#include "lists/parallel.h"
#include "lists/textloader.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>
#include <thread>

namespace {

using testsupport::linesOf;
using testsupport::readAll;
using testsupport::TempDir;

// Lines "line 0" ... of about `bytes` bytes, each ended by LF.
QByteArray numberedLines(qsizetype bytes)
{
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "line " + QByteArray::number(i) + '\n';
    return text;
}

// Runs `work` expecting it to end with cancelledError().
template<typename Work>
bool endsCancelled(Work &&work)
{
    try {
        work();
    } catch (...) {
        return isCancelled(std::current_exception());
    }
    return false;
}

TEST(JobProgress, PercentOfTheStage)
{
    struct Case
    {
        qint64 total;
        qint64 done;
        std::optional<int> percent;
    };
    const Case cases[] = {
        {0, 5, std::nullopt}, {200, 0, 0},     {200, 50, 25}, {200, 199, 99},
        {200, 200, 100},      {200, 300, 100}, {200, -1, 0},  {qint64 {1} << 62, qint64 {1} << 61, 50},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.total) + " " + std::to_string(c.done));
        JobProgress progress;
        progress.start(JobStage::Reading, c.total);
        progress.setDone(c.done);
        EXPECT_EQ(progress.percent(), c.percent);
    }
    // A new stage starts from nothing.
    JobProgress progress;
    progress.start(JobStage::Writing, 10);
    progress.addDone(4);
    progress.addDone(4);
    EXPECT_EQ(progress.percent(), 80);
    progress.start(JobStage::Sorting);
    EXPECT_EQ(progress.stage(), JobStage::Sorting);
    EXPECT_EQ(progress.done(), 0);
    EXPECT_EQ(progress.percent(), std::nullopt);
}

TEST(ListJob, ALoadCountsTheBytesItReads)
{
    const TempDir dir;
    const QByteArray text = numberedLines(3 << 20);
    const QString file = dir.write(QStringLiteral("big.txt"), text);
    JobProgress progress;
    LineList list;
    loadFileToList(file, TextEncoding::Utf8, {false, false}, list, &progress);
    EXPECT_EQ(list.count(), text.count('\n'));
    EXPECT_EQ(progress.stage(), JobStage::Reading);
    EXPECT_EQ(progress.done(), text.size());
    EXPECT_EQ(progress.percent(), 100);

    // Asked before it starts, it stops at once.
    JobProgress cancelled;
    cancelled.requestCancel();
    LineList none;
    EXPECT_TRUE(endsCancelled([&] {
        loadFileToList(file, TextEncoding::Utf8, {false, false}, none, &cancelled);
    }));
    EXPECT_LT(none.count(), list.count());
}

// A pipe gives the bytes as the test writes them, so the cancel comes in
// the middle of the load however fast the machine.
TEST(ListJob, ALoadFromAPipeIsCancelledMidway)
{
    const TempDir dir;
    const QByteArray text = numberedLines(3 << 20);
    testsupport::PipeFile pipe(dir, QStringLiteral("list.fifo"), text);
    const QString fifo = pipe.path();
    LineList list;
    list.append(u"kept");
    list.setSorted(true);
    JobProgress progress;
    std::exception_ptr error;
    std::thread loader([&] {
        error = capturingException([&] {
            changeList(
                list, ListChange::Replace, true, fifo,
                [&](LineList &lines) {
                    return loadFileToList(fifo, TextEncoding::Utf8, {false, false}, lines, &progress);
                },
                &progress);
        });
    });
    QElapsedTimer clock;
    clock.start();
    // Counted a read at a time: the last bytes wait for the end of the pipe.
    while (progress.done() < (2 << 20) && clock.elapsed() < 10000)
        QThread::msleep(5);
    EXPECT_GE(progress.done(), 2 << 20);
    EXPECT_LT(progress.done(), text.size());
    // Its total is not known.
    EXPECT_EQ(progress.percent(), std::nullopt);
    progress.requestCancel();
    pipe.release();
    loader.join();
    ASSERT_TRUE(error);
    EXPECT_TRUE(isCancelled(error));
    EXPECT_EQ(linesOf(list), QStringList {QStringLiteral("kept")});
    EXPECT_TRUE(list.sorted());
}

TEST(ListJob, ACancelledChangeLeavesTheListAsItWas)
{
    enum class When
    {
        WhileReading, // the read throws cancelledError()
        AfterReading, // the read ends, then the cancel comes
    };
    struct Case
    {
        const char *name;
        ListChange change;
        bool sort;
        When when;
    };
    const Case cases[] = {
        {"Load... while reading", ListChange::Replace, true, When::WhileReading},
        {"Load... before the sort", ListChange::Replace, true, When::AfterReading},
        {"Load... unsorted", ListChange::Replace, false, When::AfterReading},
        {"paste while splitting", ListChange::Append, false, When::WhileReading},
        {"paste before the sort", ListChange::Append, true, When::AfterReading},
    };
    const QString pasted = QStringLiteral("c\nb\na\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list = testsupport::listOf({QStringLiteral("y"), QStringLiteral("x")});
        JobProgress progress;
        EXPECT_TRUE(endsCancelled([&] {
            changeList(
                list, c.change, c.sort, {},
                [&](LineList &lines) {
                    if (c.when == When::WhileReading)
                        progress.requestCancel();
                    pasteText(lines, pasted, false, false, &progress);
                    if (c.when == When::AfterReading)
                        progress.requestCancel();
                    return LoadReport {};
                },
                &progress);
        }));
        EXPECT_EQ(linesOf(list), (QStringList {QStringLiteral("y"), QStringLiteral("x")}));
        EXPECT_FALSE(list.sorted());
    }
}

TEST(ListJob, ASaveCountsItsLinesAndACancelledOneKeepsTheOldFile)
{
    const TempDir dir;
    LineList list;
    for (int i = 0; i < 200000; ++i)
        list.append(QStringLiteral("a line to save, number %1").arg(i));
    const QString saved = dir.file(QStringLiteral("saved.txt"));
    JobProgress progress;
    writeLinesToFile(saved, list, false, &progress);
    EXPECT_EQ(progress.stage(), JobStage::Writing);
    EXPECT_EQ(progress.done(), list.count());
    EXPECT_EQ(progress.percent(), 100);

    const LineList intersection = testsupport::listOf({QStringLiteral("both")});
    const LineList only = testsupport::listOf({QStringLiteral("only")});
    ResultFiles results;
    results.intersection = &list;
    results.only1 = &only;
    results.only2 = &intersection;
    results.summary = QStringLiteral("summary\n");
    const QString old = dir.write(QStringLiteral("old.txt"), "old\r\n");
    const QString folder = dir.file(QStringLiteral("results"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString oldResult = dir.write(QStringLiteral("results/only1.txt"), "old\r\n");
    struct Case
    {
        const char *name;
        std::function<void(JobProgress &)> save;
        QString kept;
    };
    const Case cases[] = {
        {"a list", [&](JobProgress &p) { saveListToFile(old, list, &p); }, old},
        {"a result set",
         [&](JobProgress &p) { writeResultToFile(old, results, ResultFile::Intersection, &p); }, old},
        {"every result set", [&](JobProgress &p) { writeResultFiles(QDir(folder), results, &p); }, oldResult},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        JobProgress cancelled;
        cancelled.requestCancel();
        EXPECT_TRUE(endsCancelled([&] { c.save(cancelled); }));
        EXPECT_EQ(readAll(c.kept), QByteArray("old\r\n"));
    }
    // Nothing half written is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList {QStringLiteral("old.txt"), QStringLiteral("saved.txt")}));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("only1.txt")});

    // All the sets together count as one save.
    JobProgress all;
    writeResultFiles(QDir(folder), results, &all);
    // The sets, both lines of "in one list only" and the summary.
    EXPECT_EQ(all.done(), list.count() + 1 + 1 + 2 + 1);
    EXPECT_EQ(all.percent(), 100);
}

TEST(ListJob, TheThreadKeepsWhatTheWorkThrew)
{
    JobProgress progress;
    JobThread failing([](JobProgress &) { throw AppError(QStringLiteral("failed")); }, progress);
    failing.start();
    failing.wait();
    EXPECT_EQ(errorMessageOf(failing.error()), QStringLiteral("failed"));

    bool ran = false;
    JobThread working([&](JobProgress &p) { ran = &p == &progress; }, progress);
    working.start();
    working.wait();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(working.error());
}

} // namespace
