#include "lists/linelist.h"
#include "lists/linewriter.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using testsupport::listOf;
using testsupport::readAll;
using testsupport::TempDir;

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
        {"a and b", listOf({u"a"_s, u"b"_s}), false, "a\r\nb\r\n"},
        {"empty line kept", listOf({u""_s, u"x"_s}), true, "\xEF\xBB\xBF\r\nx\r\n"},
        {"non-Latin text", listOf({u"Köln"_s, u"日本"_s, u"😀"_s}), true,
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
    try {
        const testsupport::FileSizeLimit limit(64 * 1024);
        writeLinesToFile(path, big, true);
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path))) << error.what();
    }

    EXPECT_EQ(readAll(path), QByteArray("original\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("keep.txt")});
}

TEST(LineWriter, UnwritableTargetNamesTheFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("no/such/folder/out.txt"));
    try {
        writeLinesToFile(path, listOf({u"a"_s}), true);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path))) << error.what();
    }
}

TEST(LineWriter, AFailedSaveIsAWriteError)
{
    TempDir dir;
    try {
        writeLinesToFile(dir.file(QStringLiteral("no/such/folder/out.txt")), listOf({u"a"_s}), false);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_EQ(error.kind(), ErrorKind::CannotWrite);
    }
}

} // namespace
