#include "app/apperror.h"
#include "lists/linelist.h"
#include "lists/linewriter.h"
#include "testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using testsupport::readAll;
using testsupport::TempDir;

LineList listOf(std::initializer_list<const char16_t *> lines)
{
    LineList list("en_US");
    for (const char16_t *line : lines)
        list.append(line);
    return list;
}

TEST(LineWriter, WritesUtf8LinesEndedByCrLf)
{
    struct Case
    {
        const char *name;
        LineList lines;
        bool mark;
        QByteArray expected;
    };
    const Case cases[] = {
        {"empty with mark", listOf({}), true, "\xEF\xBB\xBF"},
        {"empty without mark", listOf({}), false, ""},
        {"a and b", listOf({u"a", u"b"}), false, "a\r\nb\r\n"},
        {"empty line kept", listOf({u"", u"x"}), true, "\xEF\xBB\xBF\r\nx\r\n"},
        {"non-Latin text", listOf({u"Köln", u"日本", u"😀"}), true,
         "\xEF\xBB\xBFK\xC3\xB6ln\r\n\xE6\x97\xA5\xE6\x9C\xAC\r\n\xF0\x9F\x98\x80\r\n"},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QStringLiteral("out.txt"));
        writeLinesToFile(path, c.lines, c.mark);
        EXPECT_EQ(readAll(path), c.expected);
    }
}

TEST(LineWriter, FailedSaveLeavesTheOldFileAndNoPartialFile)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("keep.txt"), "original\r\n");
    LineList big("en_US");
    for (int i = 0; i < 100000; ++i)
        big.append(u"a line that will not fit");

    // The file size limit makes the write fail half-way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    try {
        writeLinesToFile(path, big, true);
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path))) << error.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(readAll(path), QByteArray("original\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("keep.txt")});
}

TEST(LineWriter, UnwritableTargetNamesTheFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("no/such/folder/out.txt"));
    try {
        writeLinesToFile(path, listOf({u"a"}), true);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path))) << error.what();
    }
}

} // namespace
