#include "testsupport.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <optional>

namespace {

using testsupport::readAll;
using testsupport::TempDir;

struct CommandRun
{
    int status;
    QString out;
    QString err;
};

CommandRun
runCompare(const QStringList &arguments, const QString &folder, const std::function<void()> &inChild = {})
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PAIRSIGHT_COMPARE_EXE), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

const QByteArray Mark = "\xEF\xBB\xBF";

TEST(CompareCommand, WritesTheFourSetsAsTheWindowSavesThem)
{
    TempDir dir;
    dir.write(QStringLiteral("one.txt"), "b\r\na\nA\r\nc\n");
    // UTF-16 with its mark, loaded under the default UTF-8 choice.
    dir.write(QStringLiteral("two.txt"),
              QByteArray("\xFF\xFE"
                         "a\0\n\0d\0\n\0",
                         10));
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const CommandRun run
        = runCompare({QStringLiteral("--union"), QStringLiteral("--no-sort"), QStringLiteral("--output"),
                      QStringLiteral("out"), QStringLiteral("one.txt"), QStringLiteral("two.txt")},
                     dir.path());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("intersection: 2, only #1: 2, only #2: 1, union: 4\n"));
    EXPECT_EQ(readAll(dir.file(QStringLiteral("out/intersection.txt"))), Mark + "a\r\nA\r\n");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("out/only1.txt"))), Mark + "b\r\nc\r\n");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("out/only2.txt"))), Mark + "d\r\n");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("out/union.txt"))), Mark + "a\r\nb\r\nc\r\nd\r\n");
}

TEST(CompareCommand, OptionsMirrorTheProgram)
{
    TempDir dir;
    dir.write(QStringLiteral("one.txt"), " b \nApple\n\n");
    dir.write(QStringLiteral("two.txt"), "apple\nb\n");
    struct Case
    {
        const char *name;
        QStringList options;
        QByteArray common, only1;
    };
    const Case cases[] = {
        {"defaults sort and ignore case", {}, "Apple\r\n", "\r\n b \r\n"},
        {"case sensitive", {QStringLiteral("--case-sensitive")}, "", "\r\n b \r\nApple\r\n"},
        {"whitespace ignored", {QStringLiteral("--ignore-whitespace")}, "Apple\r\nb\r\n", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun run = runCompare(
            c.options + QStringList {QStringLiteral("one.txt"), QStringLiteral("two.txt")}, dir.path());
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readAll(dir.file(QStringLiteral("intersection.txt"))), Mark + c.common);
        EXPECT_EQ(readAll(dir.file(QStringLiteral("only1.txt"))), Mark + c.only1);
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("union.txt"))));
    }
}

TEST(CompareCommand, ExitStatuses)
{
    TempDir dir;
    dir.write(QStringLiteral("good.txt"), "x\n");
    dir.write(QStringLiteral("latin1.txt"), "caf\xE9\n");
    const QString kept = dir.write(QStringLiteral("intersection.txt"), "earlier result");
    struct Case
    {
        const char *name;
        QStringList arguments;
        int status;
        const char *inError;
    };
    const Case cases[] = {
        {"unknown option",
         {QStringLiteral("--frobnicate"), QStringLiteral("good.txt"), QStringLiteral("good.txt")},
         2,
         "Usage:"},
        {"one file only", {QStringLiteral("good.txt")}, 2, "Usage:"},
        {"unknown encoding",
         {QStringLiteral("--encoding"), QStringLiteral("EBCDIC"), QStringLiteral("good.txt"),
          QStringLiteral("good.txt")},
         2,
         "EBCDIC"},
        {"output that is a file",
         {QStringLiteral("--output"), QStringLiteral("good.txt"), QStringLiteral("good.txt"),
          QStringLiteral("good.txt")},
         2,
         "the output \"good.txt\" is not a folder"},
        {"missing output folder",
         {QStringLiteral("--output"), QStringLiteral("nowhere"), QStringLiteral("good.txt"),
          QStringLiteral("good.txt")},
         2,
         "nowhere"},
        {"missing file",
         {QStringLiteral("good.txt"), QStringLiteral("missing.txt")},
         1,
         "missing.txt: Cannot open file"},
        {"undecodable file",
         {QStringLiteral("latin1.txt"), QStringLiteral("good.txt")},
         1,
         "latin1.txt: No mapping for the Unicode character"},
        {"where the bad bytes are",
         {QStringLiteral("good.txt"), QStringLiteral("latin1.txt")},
         1,
         "latin1.txt: No mapping for the Unicode character exists in the target multi-byte code page "
         "(invalid UTF-8 at byte offset 3)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun run = runCompare(c.arguments, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(QLatin1StringView(c.inError))) << run.err.toStdString();
        EXPECT_EQ(readAll(kept), QByteArray("earlier result"));
    }
    const CommandRun ansi = runCompare({QStringLiteral("--encoding"), QStringLiteral("ANSI"),
                                        QStringLiteral("latin1.txt"), QStringLiteral("good.txt")},
                                       dir.path());
    EXPECT_EQ(ansi.status, 0) << ansi.err.toStdString();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("only1.txt"))), Mark + "caf\xC3\xA9\r\n");
    EXPECT_EQ(runCompare({QStringLiteral("--version")}, dir.path()).out, QStringLiteral("Pairsight 1.7\n"));
}

TEST(CompareCommand, StatsReportEveryPhase)
{
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "x\n");
    const CommandRun run = runCompare(
        {QStringLiteral("--stats"), QStringLiteral("a.txt"), QStringLiteral("a.txt")}, dir.path());
    ASSERT_EQ(run.status, 0);
    for (const char *part : {"load 1:", "load 2:", "compare:", "write:", "peak memory:"})
        EXPECT_TRUE(run.err.contains(QLatin1StringView(part))) << part;
}

// Whatever stops the writing, the results of the last run stay as they were,
// all of them, and no temporary file is left.
TEST(CompareCommand, AFailedWriteChangesNoResultFile)
{
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "only in the first list " + QByteArray::number(i) + '\n';
    const struct
    {
        const char *name;
        bool fullDisk;
        const char *reason;
    } cases[] = {
        {"a result file too large for the file size limit", false, "File too large"},
        {"a full disk", true, "No space left on device"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write(QStringLiteral("one.txt"), "shared\n" + (c.fullDisk ? QByteArray() : many));
        dir.write(QStringLiteral("two.txt"), "shared\nsecond\n");
        const testsupport::SmallFileSystem disk;
        if (c.fullDisk && !disk.mounted()) {
            std::printf("skipped \"%s\": mounting a small file system needs root\n", c.name);
            continue;
        }
        const QString out = c.fullDisk ? disk.path() : dir.file(QStringLiteral("out"));
        QDir().mkpath(out);
        const QStringList results {QStringLiteral("intersection.txt"), QStringLiteral("only1.txt"),
                                   QStringLiteral("only2.txt")};
        for (const QString &name : results)
            testsupport::writeAll(out + u'/' + name, "earlier " + name.toUtf8());
        QStringList expected = results;
        if (c.fullDisk) {
            disk.fill();
            expected.prepend(QStringLiteral("filler"));
        }
        CommandRun run;
        {
            std::optional<testsupport::FileSizeLimit> limit;
            if (!c.fullDisk)
                limit.emplace(256 * 1024);
            run = runCompare(
                {QStringLiteral("--output"), out, QStringLiteral("one.txt"), QStringLiteral("two.txt")},
                dir.path());
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QLatin1StringView(c.reason))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(out + u'/')) << run.err.toStdString();
        for (const QString &name : results)
            EXPECT_EQ(readAll(out + u'/' + name), "earlier " + name.toUtf8()) << name.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }
}

TEST(CompareCommand, AFileThatNeverEndsIsTooLargeForTheMemory)
{
#if defined(TESTSUPPORT_ASAN) || defined(TESTSUPPORT_TSAN)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    TempDir dir;
    dir.write(QStringLiteral("good.txt"), "x\n");
    const QString kept = dir.write(QStringLiteral("intersection.txt"), "earlier result");
    // Capped at 1 GiB of address space, so the test does not fill the machine.
    const CommandRun run
        = runCompare({QStringLiteral("/dev/zero"), QStringLiteral("good.txt")}, dir.path(), [] {
              const rlimit limit {rlim_t(1) << 30, rlim_t(1) << 30};
              setrlimit(RLIMIT_AS, &limit);
          });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("\"/dev/zero\" is too large for the memory available")))
        << run.err.toStdString();
    EXPECT_EQ(readAll(kept), QByteArray("earlier result"));
}

} // namespace
