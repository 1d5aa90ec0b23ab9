#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

using namespace Qt::StringLiterals;
using testsupport::readAll;
using testsupport::TempDir;

struct CommandRun
{
    int status;
    QString out;
    QString err;
};

// Starts pairsight-compare in `folder`, under an English locale.
void startCompare(QProcess &process, const QStringList &arguments, const QString &folder)
{
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PAIRSIGHT_COMPARE_EXE), arguments);
}

// Waits up to `seconds`: the long-line test takes half a minute on a quiet
// machine, and more beside the other tests.
CommandRun runCompare(const QStringList &arguments,
                      const QString &folder,
                      const std::function<void()> &inChild = {},
                      int seconds = 60)
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    startCompare(process, arguments, folder);
    EXPECT_TRUE(process.waitForFinished(seconds * 1000));
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

TEST(CompareCommand, MatchingOptionsAndTheWrittenDifferentlyPairs)
{
    TempDir dir;
    dir.write(QStringLiteral("one.txt"), "M\xC3\xBCller\nco-op\nsame\nJ. Smith\n");
    dir.write(QStringLiteral("two.txt"), "MULLER\ncoop\nsame\nJ Smith\n");
    struct Case
    {
        const char *name;
        QStringList options;
        QByteArray common, pairs;
    };
    const Case cases[] = {
        {"accents",
         {QStringLiteral("--ignore-accents")},
         "M\xC3\xBCller\r\nsame\r\n",
         "M\xC3\xBCller\tMULLER\r\n"},
        {"punctuation",
         {QStringLiteral("--ignore-punctuation")},
         "co-op\r\nsame\r\nJ. Smith\r\n",
         "co-op\tcoop\r\nJ. Smith\tJ Smith\r\n"},
        {"both, case sensitive",
         {QStringLiteral("--ignore-accents"), QStringLiteral("--ignore-punctuation"),
          QStringLiteral("--case-sensitive")},
         "co-op\r\nsame\r\nJ. Smith\r\n",
         "co-op\tcoop\r\nJ. Smith\tJ Smith\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun run
            = runCompare(c.options
                             + QStringList {QStringLiteral("--no-sort"), QStringLiteral("--pairs"),
                                            QStringLiteral("one.txt"), QStringLiteral("two.txt")},
                         dir.path());
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readAll(dir.file(QStringLiteral("intersection.txt"))), Mark + c.common);
        EXPECT_EQ(readAll(dir.file(QStringLiteral("written-differently.txt"))), Mark + c.pairs);
        EXPECT_TRUE(run.out.endsWith(QStringLiteral(", written differently: %1\n").arg(c.pairs.count('\t'))))
            << run.out.toStdString();
    }
    // Without --pairs, neither the file nor its count.
    QFile::remove(dir.file(QStringLiteral("written-differently.txt")));
    const CommandRun run = runCompare({QStringLiteral("one.txt"), QStringLiteral("two.txt")}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("intersection: 1, only #1: 3, only #2: 3, union: not computed\n"));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("written-differently.txt"))));
}

TEST(CompareCommand, ComparesByKeyWithHeaders)
{
    TempDir dir;
    dir.write(QStringLiteral("one.csv"), "id,mail\n1,ann@x.org\n2,\"bob@x.org\"\n3\n");
    dir.write(QStringLiteral("two.csv"), "mail;n\nANN@x.org;5\ncid@x.org;6\n");
    struct Case
    {
        const char *name;
        QStringList options;
        QByteArray common, only1, only2, summary;
    };
    const Case cases[] = {
        {"the address a pattern finds, headers kept out",
         {QStringLiteral("--key-pattern"), QStringLiteral("([\\w.]+@[\\w.]+)"), QStringLiteral("--header")},
         "id,mail\r\n1,ann@x.org\r\n",
         "id,mail\r\n2,\"bob@x.org\"\r\n3\r\n",
         "mail;n\r\ncid@x.org;6\r\n",
         ", without a key: 1 in #1, 0 in #2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun run
            = runCompare(c.options
                             + QStringList {QStringLiteral("--no-sort"), QStringLiteral("one.csv"),
                                            QStringLiteral("two.csv")},
                         dir.path());
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readAll(dir.file(QStringLiteral("intersection.txt"))), Mark + c.common);
        EXPECT_EQ(readAll(dir.file(QStringLiteral("only1.txt"))), Mark + c.only1);
        EXPECT_EQ(readAll(dir.file(QStringLiteral("only2.txt"))), Mark + c.only2);
        EXPECT_TRUE(run.out.endsWith(QString::fromUtf8(c.summary) + u'\n')) << run.out.toStdString();
    }

    // Sorted by key on loading: the header stays first, lines without a key go last.
    dir.write(QStringLiteral("three.tsv"), "h\tk\nx\tb\nnone\ny\ta\nz\tB\n");
    const CommandRun sorted
        = runCompare({QStringLiteral("--field"), QStringLiteral("2"), QStringLiteral("--header"),
                      QStringLiteral("--union"), QStringLiteral("three.tsv"), QStringLiteral("three.tsv")},
                     dir.path());
    ASSERT_EQ(sorted.status, 0) << sorted.err.toStdString();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("intersection.txt"))),
              Mark + "h\tk\r\ny\ta\r\nx\tb\r\nz\tB\r\n");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("only1.txt"))), Mark + "h\tk\r\nnone\r\n");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("union.txt"))),
              Mark + "h\tk\r\ny\ta\r\nx\tb\r\nnone\r\nnone\r\n");
}

TEST(CompareCommand, BadKeyOptionsAreUsageErrors)
{
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "x\n");
    struct Case
    {
        QStringList options;
        const char *inError;
    };
    const Case cases[] = {
        {{QStringLiteral("--field"), QStringLiteral("0")}, "the field \"0\" is not a number from 1 on"},
        {{QStringLiteral("--field"), QStringLiteral("two")}, "the field \"two\""},
        {{QStringLiteral("--field"), QStringLiteral("2"), QStringLiteral("--delimiter"),
          QStringLiteral("ab")},
         "the delimiter \"ab\""},
        {{QStringLiteral("--delimiter"), QStringLiteral("comma")}, "--delimiter and --csv need --field"},
        {{QStringLiteral("--csv")}, "--delimiter and --csv need --field"},
        {{QStringLiteral("--field"), QStringLiteral("1"), QStringLiteral("--key-pattern"),
          QStringLiteral("x")},
         "cannot be used together"},
        {{QStringLiteral("--key-pattern"), QStringLiteral("a(b")}, "position 4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.inError);
        const CommandRun run = runCompare(
            c.options + QStringList {QStringLiteral("a.txt"), QStringLiteral("a.txt")}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.inError))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("intersection.txt"))));
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
         "Unknown option 'frobnicate'.\nTry 'pairsight-compare --help' for more information.\n"},
        {"one file only",
         {QStringLiteral("good.txt")},
         2,
         "two list files are needed, 1 given\nTry 'pairsight-compare --help' for more information.\n"},
        {"both lists from standard input",
         {QStringLiteral("-"), QStringLiteral("-")},
         2,
         "only one of the lists can be read from standard input"},
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
        {"output folder that cannot be made",
         {QStringLiteral("--output"), QStringLiteral("good.txt/out"), QStringLiteral("good.txt"),
          QStringLiteral("good.txt")},
         1,
         "Cannot create the folder \"good.txt/out\". Not a directory"},
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
         "(invalid UTF-8 at byte offset 3, on line 1)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun run = runCompare(c.arguments, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(QLatin1StringView(c.inError))) << run.err.toStdString();
        // A usage error is one line and the pointer to the help.
        if (c.status == 2) {
            EXPECT_EQ(run.err.count(u'\n'), 2) << run.err.toStdString();
        }
        EXPECT_EQ(readAll(kept), QByteArray("earlier result"));
    }
    const CommandRun ansi = runCompare({QStringLiteral("--encoding"), QStringLiteral("ANSI"),
                                        QStringLiteral("latin1.txt"), QStringLiteral("good.txt")},
                                       dir.path());
    EXPECT_EQ(ansi.status, 0) << ansi.err.toStdString();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("only1.txt"))), Mark + "caf\xC3\xA9\r\n");
    EXPECT_EQ(runCompare({QStringLiteral("--version")}, dir.path()).out, QStringLiteral("Pairsight 1.7\n"));
}

// Lenient decoding still succeeds, and says on stderr what it changed.
TEST(CompareCommand, WarnsOfWhatLoadingReplaced)
{
    TempDir dir;
    dir.write(QStringLiteral("list1.txt"), "caf\xE9\nna\xEFve\n\x80\n");
    dir.write(QStringLiteral("list2.txt"), "x\n");
    const CommandRun run = runCompare({QStringLiteral("--encoding"), QStringLiteral("ASCII"),
                                       QStringLiteral("list1.txt"), QStringLiteral("list2.txt")},
                                      dir.path());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err,
              QStringLiteral("pairsight-compare: warning: list1.txt: 3 bytes that are not ASCII were "
                             "replaced by U+FFFD\n"));
    const CommandRun clean
        = runCompare({QStringLiteral("list2.txt"), QStringLiteral("list2.txt")}, dir.path());
    EXPECT_EQ(clean.err, QString());
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

void becomeNobody()
{
    constexpr id_t Nobody = 65534;
    if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
        ::_exit(99);
}

// Hostile inputs, each with its exit status and what it says; a run that
// fails leaves the results of the last run as they were. (The options, a
// missing file, an output that is a file and a full disk are in the tests
// above.)
TEST(CompareCommand, BadInputs)
{
    const bool root = ::geteuid() == 0;
    const QByteArray block(4095, 'a');
    enum Setup
    {
        Plain,
        List1IsAFolder,
        List1Unreadable,
        OutputReadOnly,
    };
    struct Case
    {
        const char *name;
        QByteArray list1;
        QByteArray list2;
        int status;
        // In stdout when the run succeeds, in stderr when it fails.
        QByteArray says;
        // only1.txt after a run that succeeds, without its byte-order mark.
        QByteArray only1 = {};
        Setup setup = Plain;
        QStringList options = {};
    };
    const auto invalid = [](const char *name, const QByteArray &list1, int offset, int line = 1) {
        return Case {
            name, list1, "x\n", 1,
            "list1.txt: No mapping for the Unicode character exists in the target multi-byte code page "
            "(invalid UTF-8 at byte offset "
                + QByteArray::number(offset) + ", on line " + QByteArray::number(line) + ")\n"};
    };
    const Case cases[] = {
        {"empty files", "", "", 0, "intersection: 0, only #1: 0, only #2: 0, ", ""},
        {"only line ends", "\n\r\n\r", "", 0, "intersection: 0, only #1: 3, only #2: 0, ", "\r\n\r\n\r\n"},
        {"NUL bytes are text", QByteArray("a\0b\nc\0\n", 7), QByteArray("a\0b\n", 4), 0,
         "intersection: 1, only #1: 1, only #2: 0, ", QByteArray("c\0\r\n", 4)},
        invalid(
            "a binary file",
            [] {
                QByteArray bytes;
                for (int i = 0; i < 256; ++i)
                    bytes += char(i);
                return bytes;
            }(),
            128, 3),
        invalid("a lone continuation byte", "ab\x80\n", 2),
        invalid("an overlong two-byte form", "ab\xC0\xAF\n", 2),
        invalid("an overlong three-byte form", "ab\xE0\x80\xAF\n", 2),
        invalid("an overlong four-byte form", "ab\xF0\x80\x80\xAF\n", 2),
        invalid("an encoded surrogate", "ab\xED\xA0\x80\n", 2),
        invalid("a code point above U+10FFFF", "ab\xF4\x90\x80\x80\n", 2),
        invalid("a five-byte form", "ab\xF8\x88\x80\x80\x80\n", 2),
        invalid("a byte that never occurs", "ab\xFF\n", 2),
        invalid("a sequence cut short by a letter", "ab\xE2\x82z\n", 2),
        invalid("a sequence cut short by the end", "ab\xE2\x82", 2),
        invalid("counted from the byte-order mark",
                "\xEF\xBB\xBF"
                "ab\xC3(\n",
                5),
        invalid("across the edge of a decoding block", block + "\xE2\x82z\n", 4095),
        {"UTF-16 of odd length drops the last byte",
         QByteArray("\xFF\xFE"
                    "a\0b\0\n\0c",
                    9),
         "", 0, "intersection: 0, only #1: 1, only #2: 0, ", "ab\r\n"},
        {"an unpaired UTF-16 surrogate is written as U+FFFD",
         QByteArray("\xFF\xFE\x00\xD8"
                    "a\0\n\0",
                    8),
         "", 0, "intersection: 0, only #1: 1, only #2: 0, ",
         "\xEF\xBF\xBD"
         "a\r\n"},
        {"an unpaired big-endian low surrogate", QByteArray("\xFE\xFF\xDC\x00\x00\n", 6), "", 0,
         "intersection: 0, only #1: 1, only #2: 0, ", "\xEF\xBF\xBD\r\n"},
        {"a folder",
         "",
         "x\n",
         1,
         "list1.txt: Cannot open file \"list1.txt\". Is a directory\n",
         {},
         List1IsAFolder},
        {"an unreadable file",
         "x\n",
         "x\n",
         1,
         "list1.txt: Cannot open file \"list1.txt\". Permission denied\n",
         {},
         List1Unreadable},
        {"a read-only output folder", "x\n", "y\n", 1, "Permission denied", {}, OutputReadOnly},
    };
    const QStringList results {QStringLiteral("intersection.txt"), QStringLiteral("only1.txt"),
                               QStringLiteral("only2.txt")};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Root reads and writes whatever the permissions say, so as root a
        // run that must meet them is made as the user nobody.
        const bool asNobody = root && (c.setup == List1Unreadable || c.setup == OutputReadOnly);
        const TempDir dir;
        if (c.setup == List1IsAFolder)
            QDir(dir.path()).mkdir(QStringLiteral("list1.txt"));
        else
            dir.write(QStringLiteral("list1.txt"), c.list1);
        dir.write(QStringLiteral("list2.txt"), c.list2);
        const QString out = dir.file(QStringLiteral("out"));
        QDir().mkpath(out);
        for (const QString &name : results)
            testsupport::writeAll(out + u'/' + name, "earlier " + name.toUtf8());
        if (asNobody)
            ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
        if (c.setup == List1Unreadable)
            ::chmod(QFile::encodeName(dir.file(QStringLiteral("list1.txt"))).constData(), 0200);
        if (c.setup == OutputReadOnly)
            ::chmod(QFile::encodeName(out).constData(), 0555);

        const CommandRun run = runCompare(
            QStringList {QStringLiteral("--output"), out} + c.options
                + QStringList {QStringLiteral("list1.txt"), QStringLiteral("list2.txt")},
            dir.path(), asNobody ? std::function<void()>(becomeNobody) : std::function<void()>());
        ::chmod(QFile::encodeName(out).constData(), 0755);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        if (c.status == 0) {
            EXPECT_TRUE(run.out.startsWith(QString::fromUtf8(c.says))) << run.out.toStdString();
            EXPECT_EQ(readAll(out + QStringLiteral("/only1.txt")), Mark + c.only1);
            continue;
        }
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        for (const QString &name : results)
            EXPECT_EQ(readAll(out + u'/' + name), "earlier " + name.toUtf8()) << name.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), results);
    }
}

// A line far longer than the lists' short references hold, in both files
// and alone in one, is compared and written whole.
TEST(CompareCommand, ALineOf200MegabytesIsOneLine)
{
    const TempDir dir;
    const qsizetype length = qsizetype {200} * 1024 * 1024;
    {
        QByteArray line(length, 'a');
        line[length / 2] = 'b';
        dir.write(QStringLiteral("one.txt"), line + "\nshort\n");
        line[length - 1] = 'c';
        dir.write(QStringLiteral("two.txt"), "short\n" + line);
    }
    const CommandRun run
        = runCompare({QStringLiteral("one.txt"), QStringLiteral("two.txt")}, dir.path(), {}, 300);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("intersection: 1, only #1: 1, only #2: 1, ")))
        << run.out.toStdString();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("intersection.txt"))), Mark + "short\r\n");
    for (const char *name : {"only1.txt", "only2.txt"}) {
        QFile file(dir.file(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(file.size(), Mark.size() + length + 2) << name;
        file.seek(Mark.size() + length - 1);
        EXPECT_EQ(file.read(3), QByteArray(name[4] == '1' ? "a\r\n" : "c\r\n")) << name;
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

namespace {

// Runs pairsight-compare with `input` on its standard input.
CommandRun runWithInput(const QStringList &arguments, const QString &folder, const QByteArray &input)
{
    QProcess process;
    startCompare(process, arguments, folder);
    EXPECT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(CompareCommand, WritesOneListOnlyAndTheSummaryBesideTheSets)
{
    TempDir dir;
    dir.write(QStringLiteral("one.txt"), "b\na\nA\nc\nc\n");
    dir.write(QStringLiteral("two.txt"), "a\nd\n");
    // The folder is made, parents and all.
    const CommandRun run = runCompare({QStringLiteral("--output"), QStringLiteral("new/out"),
                                       QStringLiteral("one.txt"), QStringLiteral("two.txt")},
                                      dir.path());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("new/out/one-list-only.txt"))), Mark + "b\r\nc\r\nc\r\nd\r\n");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("new/out/summary.txt"))),
              Mark
                  + "List #1: 5 lines, 3 distinct, 2 repeated\r\n"
                    "List #2: 2 lines, 2 distinct, 0 repeated\r\n"
                    "In both: 2 lines of list #1, 1 distinct\r\n"
                    "Only #1: 3\r\n"
                    "Only #2: 1\r\n"
                    "Overlap: 25.0%\r\n"
                    "Matched: locale en_US; ignore case; whole lines\r\n");
    EXPECT_EQ(QDir(dir.file(QStringLiteral("new/out"))).entryList(QDir::Files, QDir::Name),
              (QStringList {QStringLiteral("intersection.txt"), QStringLiteral("one-list-only.txt"),
                            QStringLiteral("only1.txt"), QStringLiteral("only2.txt"),
                            QStringLiteral("summary.txt")}));
}

TEST(CompareCommand, SitsInAPipeline)
{
    TempDir dir;
    dir.write(QStringLiteral("two.txt"), "a\nd\n");
    const QStringList list2 {QStringLiteral("two.txt")};
    struct Case
    {
        const char *name;
        QStringList options;
        const char *out;
    };
    const Case cases[] = {
        {"only #1 in LF", {QStringLiteral("--print"), QStringLiteral("only1")}, "b\nc\n"},
        {"CR LF when asked",
         {QStringLiteral("--print"), QStringLiteral("only1"), QStringLiteral("--crlf")},
         "b\r\nc\r\n"},
        {"in one list only", {QStringLiteral("--print"), QStringLiteral("one-list-only")}, "b\nc\nd\n"},
        {"the union without --union", {QStringLiteral("--print"), QStringLiteral("union")}, "A\nb\nc\nd\n"},
        {"the pairs without --pairs",
         {QStringLiteral("--print"), QStringLiteral("written-differently")},
         "A\ta\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // List #1 comes from standard input.
        const CommandRun run
            = runWithInput(c.options + QStringList {QStringLiteral("-")} + list2, dir.path(), "b\nA\nc\n");
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toUtf8(), QByteArray(c.out));
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("intersection.txt"))));
    }

    // List #2 from standard input, the summary as JSON.
    const CommandRun json = runWithInput(
        {QStringLiteral("--json"), QStringLiteral("--union"), QStringLiteral("two.txt"), QStringLiteral("-")},
        dir.path(), "a\nx\nx\n");
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_EQ(json.out.count(u'\n'), 1);
    const QJsonObject summary = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(summary[u"list2"_s][u"lines"_s].toInteger(), 3);
    EXPECT_EQ(summary[u"list2"_s][u"repeated"_s].toInteger(), 1);
    EXPECT_EQ(summary[u"intersection"_s][u"distinct"_s].toInteger(), 1);
    EXPECT_EQ(summary[u"union"_s].toInteger(), 3);
    EXPECT_TRUE(summary[u"writtenDifferently"_s].isDouble());
    EXPECT_DOUBLE_EQ(summary[u"overlapPercent"_s].toDouble(), 33.3);
    EXPECT_EQ(summary[u"matching"_s][u"locale"_s].toString(), u"en_US"_s);
    EXPECT_TRUE(summary[u"matching"_s][u"key"_s].isNull());
    EXPECT_EQ(readAll(dir.file(QStringLiteral("only2.txt"))), Mark + "x\r\nx\r\n");

    const CommandRun text = runCompare(
        {QStringLiteral("--summary"), QStringLiteral("two.txt"), QStringLiteral("two.txt")}, dir.path());
    EXPECT_TRUE(text.out.startsWith(u"List #1: 2 lines, 2 distinct, 0 repeated\nList #2: "_s))
        << text.out.toStdString();

    for (const QStringList &bad :
         {QStringList {QStringLiteral("--print"), QStringLiteral("only1"), QStringLiteral("--print"),
                       QStringLiteral("only2")},
          QStringList {QStringLiteral("--print"), QStringLiteral("summary")},
          QStringList {QStringLiteral("--crlf")},
          QStringList {QStringLiteral("--print"), QStringLiteral("only1"), QStringLiteral("--json")}}) {
        SCOPED_TRACE(bad.join(u' ').toStdString());
        const CommandRun run = runCompare(bad + list2 + list2, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.endsWith(u"\nTry 'pairsight-compare --help' for more information.\n"_s))
            << run.err.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 2);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// `--print only1 a b | head`: the reader goes away, and the program ends
// quietly as if it had written everything.
TEST(CompareCommand, AClosedPipeEndsQuietly)
{
    TempDir dir;
    QByteArray lines;
    for (int i = 0; i < 200000; ++i) // far more than a pipe holds
        lines += "line " + QByteArray::number(i) + '\n';
    dir.write(QStringLiteral("one.txt"), lines);
    dir.write(QStringLiteral("two.txt"), "x\n");
    QProcess process;
    startCompare(process,
                 {QStringLiteral("--print"), QStringLiteral("only1"), QStringLiteral("one.txt"),
                  QStringLiteral("two.txt")},
                 dir.path());
    ASSERT_TRUE(process.waitForReadyRead(30000));
    process.closeReadChannel(QProcess::StandardOutput);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardError(), QByteArray());
}

namespace {

// Lists that make every rule of the comparison count: lines equal but
// written differently, repeats across chunks, lines without a field 2,
// empty and padded lines, and lines too long for one sort key.
QByteArray mixedList(std::uint32_t seed, int lines)
{
    static const char *const words[]
        = {"Müller",   "MULLER",  "muller", "café",    "cafe",  "CAFÉ",  "co-op", "coop",
           "J. Smith", "J Smith", "straße", "STRASSE", "Ärger", "ärger", "x",     "Zoë"};
    std::uint32_t state = seed;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    QByteArray out;
    for (int i = 0; i < lines; ++i) {
        const std::uint32_t r = next();
        const QByteArray number = QByteArray::number(next() % 3000);
        switch (r % 40) {
        case 0:
            out += "note " + number + '\n'; // no field 2
            break;
        case 1:
            out += '\n';
            break;
        case 2:
            out += "  " + QByteArray(words[next() % 16]) + "\tID" + number + "  \n";
            break;
        case 3:
            if (next() % 50 == 0) {
                out += "long " + QByteArray(17000 + int(next() % 2), 'a') + '\n';
                break;
            }
            [[fallthrough]];
        default:
            out += QByteArray(words[r % 16]) + '\t' + (r & 64 ? "id" : "ID") + number + '\t'
                + QByteArray::number(r % 5) + '\n';
        }
    }
    return out;
}

// The runs each list made, as --stats says.
std::pair<int, int> runsOf(const QString &stats)
{
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("runs: (\\d+) \\+ (\\d+)")).match(stats);
    return match.hasMatch() ? std::pair {match.captured(1).toInt(), match.captured(2).toInt()}
                            : std::pair {0, 0};
}

// Every file in `a` is in `b` with the same bytes, and no other.
void expectSameFiles(const QString &a, const QString &b)
{
    const QStringList names = QDir(a).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(names, QDir(b).entryList(QDir::Files | QDir::Hidden, QDir::Name));
    for (const QString &name : names)
        EXPECT_TRUE(readAll(a + u'/' + name) == readAll(b + u'/' + name)) << name.toStdString();
}

} // namespace

// The same inputs compared in memory and on disk, in many small runs: the
// same files, byte for byte, and the same output, for every option.
TEST(CompareCommand, OnDiskTheResultsAreThoseOfTheInMemoryRun)
{
    const TempDir dir;
    dir.write(QStringLiteral("one.txt"), mixedList(1, 80000));
    dir.write(QStringLiteral("two.txt"), mixedList(2, 80000));
    const QStringList small {QStringLiteral("--external"), QStringLiteral("--memory"), QStringLiteral("256K"),
                             QStringLiteral("--stats")};
    const struct
    {
        const char *options;
        bool standardInput; // list #2 from standard input
    } cases[] = {
        {"", false},
        {"--no-sort", false},
        {"--union --pairs", false},
        {"--union --pairs --no-sort", false},
        {"--union --pairs --case-sensitive --ignore-accents", false},
        {"--union --pairs --ignore-punctuation --ignore-whitespace", false},
        {"--union --pairs --field 2 --header", false},
        {"--union --pairs --field 2 --header --no-sort --ignore-whitespace", false},
        {"--union --pairs --key-pattern ^(\\w+)", false},
        {"--union --pairs --no-sort", true},
        {"--union --pairs --field 2", true},
        {"--union --summary", false},
        {"--union --json --field 2", false},
        {"--print one-list-only", false},
        {"--print union --no-sort --crlf", false},
        {"--print written-differently --field 2", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options);
        QStringList options = QString::fromLatin1(c.options).split(u' ', Qt::SkipEmptyParts);
        const QStringList lists {QStringLiteral("one.txt"),
                                 c.standardInput ? QStringLiteral("-") : QStringLiteral("two.txt")};
        const QString inMemory = dir.file(QStringLiteral("memory")),
                      onDisk = dir.file(QStringLiteral("disk"));
        QDir(inMemory).removeRecursively();
        QDir(onDisk).removeRecursively();
        const QByteArray input
            = c.standardInput ? readAll(dir.file(QStringLiteral("two.txt"))) : QByteArray();
        const auto run = [&](const QStringList &extra, const QString &out) {
            const QStringList arguments
                = options + extra + QStringList {QStringLiteral("--output"), out} + lists;
            return c.standardInput ? runWithInput(arguments, dir.path(), input)
                                   : runCompare(arguments, dir.path());
        };
        const CommandRun memory = run({}, inMemory);
        const CommandRun disk = run(small, onDisk);
        ASSERT_EQ(memory.status, 0) << memory.err.toStdString();
        ASSERT_EQ(disk.status, 0) << disk.err.toStdString();
        const auto [runs1, runs2] = runsOf(disk.err);
        EXPECT_GT(runs1, 1) << disk.err.toStdString();
        EXPECT_GT(runs2, 1);
        EXPECT_TRUE(memory.out == disk.out);
        expectSameFiles(inMemory, onDisk);
    }
}

TEST(CompareCommand, OnDiskUnpairedSurrogatesSurvive)
{
    // UTF-16 lets a lone surrogate through: it is compared as loaded and
    // saved as U+FFFD, on disk as in memory.
    const TempDir dir;
    const auto utf16 = [](const QString &text) -> QByteArray {
        return QByteArray("\xFF\xFE")
            + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    };
    QString one, two;
    for (int i = 0; i < 3000; ++i) {
        const QString line = QStringLiteral("line %1").arg(i % 700);
        one += line;
        if (i % 9 == 0)
            one += QChar(0xD800);
        one += u'\n';
        two += line;
        if (i % 7 == 0)
            two += QChar(0xDC00);
        else if (i % 11 == 0)
            two += QChar(0xD800);
        two += u'\n';
    }
    dir.write(QStringLiteral("one.txt"), utf16(one));
    dir.write(QStringLiteral("two.txt"), utf16(two));
    for (const char *order : {"--union", "--no-sort"}) {
        SCOPED_TRACE(order);
        const QStringList common {QLatin1StringView(order), QStringLiteral("--pairs"),
                                  QStringLiteral("--case-sensitive"), QStringLiteral("--encoding"),
                                  QStringLiteral("Unicode")};
        const QStringList lists {QStringLiteral("one.txt"), QStringLiteral("two.txt")};
        QDir(dir.file(QStringLiteral("memory"))).removeRecursively();
        QDir(dir.file(QStringLiteral("disk"))).removeRecursively();
        const CommandRun memory = runCompare(
            common + QStringList {QStringLiteral("--output"), QStringLiteral("memory")} + lists, dir.path());
        const CommandRun disk
            = runCompare(common
                             + QStringList {QStringLiteral("--external"), QStringLiteral("--output"),
                                            QStringLiteral("disk")}
                             + lists,
                         dir.path());
        ASSERT_EQ(memory.status, 0) << memory.err.toStdString();
        ASSERT_EQ(disk.status, 0) << disk.err.toStdString();
        EXPECT_TRUE(memory.out == disk.out) << disk.out.toStdString();
        EXPECT_TRUE(memory.err == disk.err) << disk.err.toStdString();
        expectSameFiles(dir.file(QStringLiteral("memory")), dir.file(QStringLiteral("disk")));
    }
}

// On disk, nothing is left in the temporary folder however the run ends,
// and a run that fails changes no result file.
TEST(CompareCommand, OnDiskTheTemporaryFilesGoOnEveryExit)
{
    const TempDir dir;
    dir.write(QStringLiteral("one.txt"), mixedList(1, 80000));
    dir.write(QStringLiteral("two.txt"), mixedList(2, 80000));
    QByteArray broken = mixedList(3, 80000);
    broken[broken.size() - 10] = '\xFF';
    dir.write(QStringLiteral("broken.txt"), broken);
    const QString temp = dir.file(QStringLiteral("temp"));
    const QString out = dir.file(QStringLiteral("out"));
    QDir().mkpath(temp);
    QDir().mkpath(out);
    const auto onDisk = [&](const QString &second) {
        return QStringList {QStringLiteral("--external"),
                            QStringLiteral("--memory"),
                            QStringLiteral("256K"),
                            QStringLiteral("--temp-dir"),
                            temp,
                            QStringLiteral("--output"),
                            out,
                            QStringLiteral("--union"),
                            QStringLiteral("one.txt"),
                            second};
    };
    const auto tempEntries
        = [&] { return QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); };

    CommandRun run = runCompare(onDisk(QStringLiteral("two.txt")), dir.path());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(tempEntries(), QStringList());

    const QByteArray earlier = readAll(out + u"/union.txt");
    run = runCompare(onDisk(QStringLiteral("broken.txt")), dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("pairsight-compare: broken.txt: ")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("invalid UTF-8 at byte offset"))) << run.err.toStdString();
    EXPECT_EQ(tempEntries(), QStringList());
    EXPECT_EQ(readAll(out + u"/union.txt"), earlier);

    // A signal in the middle of the work: the runs are there, then gone,
    // and so are the result files not yet renamed into place.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QByteArray big = mixedList(4, 600000);
        dir.write(QStringLiteral("big.txt"), big);
        QProcess process;
        startCompare(process, onDisk(QStringLiteral("big.txt")), dir.path());
        ASSERT_TRUE(process.waitForStarted());
        // Until the second run of list #1 is written.
        QElapsedTimer waited;
        waited.start();
        while (!process.waitForFinished(20)) {
            const QStringList entries = tempEntries();
            if (!entries.isEmpty() && QDir(temp + u'/' + entries.first()).entryList(QDir::Files).size() >= 3)
                break;
            ASSERT_LT(waited.elapsed(), 30000);
        }
        ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before the signal";
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(tempEntries(), QStringList());
        EXPECT_EQ(readAll(out + u"/union.txt"), earlier);
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 6)
            << QDir(out).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
    }
}

TEST(CompareCommand, OnDiskATemporaryFolderThatCannotBeWrittenIsAnError)
{
    const TempDir dir;
    dir.write(QStringLiteral("one.txt"), mixedList(1, 80000));
    dir.write(QStringLiteral("two.txt"), mixedList(2, 80000));
    const QString notAFolder = dir.write(QStringLiteral("file"), "a file");
    const testsupport::SmallFileSystem disk; // 1 MB, less than the runs need
    struct Case
    {
        const char *name;
        QString temp;
        const char *reason;
    };
    std::vector<Case> cases {
        {"a file, not a folder", notAFolder, "Not a directory"},
        {"a missing folder", dir.file(QStringLiteral("missing")), "No such file or directory"}};
    if (disk.mounted())
        cases.push_back({"a full disk", disk.path(), "No space left on device"});
    else
        std::printf("skipped \"a full disk\": mounting a small file system needs root\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.file(QStringLiteral("out"));
        QDir(out).removeRecursively();
        const CommandRun run
            = runCompare({QStringLiteral("--external"), QStringLiteral("--memory"), QStringLiteral("256K"),
                          QStringLiteral("--temp-dir"), c.temp, QStringLiteral("--output"), out,
                          QStringLiteral("one.txt"), QStringLiteral("two.txt")},
                         dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(u'"' + c.temp + u'"')) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1StringView(c.reason))) << run.err.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
        if (c.temp == disk.path()) {
            EXPECT_EQ(QDir(c.temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        }
    }
}

TEST(CompareCommand, MemoryDecidesWhereTheListsAreCompared)
{
    const TempDir dir;
    dir.write(QStringLiteral("one.txt"), mixedList(1, 2000));
    dir.write(QStringLiteral("two.txt"), mixedList(2, 2000));
    const QStringList lists {QStringLiteral("--stats"), QStringLiteral("one.txt"), QStringLiteral("two.txt")};
    // Some 50 KB of lists need more than 64 KB in memory.
    const CommandRun small
        = runCompare(QStringList {QStringLiteral("--memory"), QStringLiteral("64K")} + lists, dir.path());
    EXPECT_EQ(small.status, 0) << small.err.toStdString();
    EXPECT_TRUE(small.err.contains(QStringLiteral("compare on disk"))) << small.err.toStdString();
    const CommandRun large
        = runCompare(QStringList {QStringLiteral("--memory"), QStringLiteral("1G")} + lists, dir.path());
    EXPECT_EQ(large.status, 0) << large.err.toStdString();
    EXPECT_FALSE(large.err.contains(QStringLiteral("compare on disk"))) << large.err.toStdString();

    for (const char *bad : {"", "lots", "12Q", "0", "-5M", "99999999999G"}) {
        SCOPED_TRACE(bad);
        const CommandRun run = runCompare(
            QStringList {QStringLiteral("--memory"), QLatin1StringView(bad)} + lists, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("pairsight-compare: the memory size")))
            << run.err.toStdString();
    }
}
