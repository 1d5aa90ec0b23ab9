#include "lists/linelist.h"
#include "lists/linewriter.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

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
        // A high surrogate ending one line never pairs with a low one
        // starting the next: each becomes U+FFFD in its own line.
        {"lone surrogates stay in their lines",
         listOf({u"a"_s + QChar(0xD83D), QChar(0xDE00) + u"b"_s, QString(QChar(0xDE00))}), false,
         "a\xEF\xBF\xBD\r\n\xEF\xBF\xBD"
         "b\r\n\xEF\xBF\xBD\r\n"},
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
        const testsupport::FileSizeLimit limit(rlim_t {64} * 1024);
        writeLinesToFile(path, big, true);
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path))) << error.what();
    }

    EXPECT_EQ(readAll(path), QByteArray("original\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("keep.txt")});
}

mode_t modeOf(const QString &path)
{
    struct stat info
    {
    };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

TEST(LineWriter, AReplacedFileKeepsItsPermissionsAndANewOneFollowsTheUmask)
{
    TempDir dir;
    const QString kept = dir.write(QStringLiteral("kept.txt"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0640), 0);
    writeLinesToFile(kept, listOf({u"new"_s}), false);
    EXPECT_EQ(modeOf(kept), mode_t(0640));

    const mode_t mask = ::umask(027);
    const QString fresh = dir.file(QStringLiteral("new.txt"));
    writeLinesToFile(fresh, listOf({u"new"_s}), false);
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), mode_t(0640));
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

// On a real full file system the small write fails only when the buffered
// bytes are flushed at the end; that must still be an error.
TEST(LineWriter, AFullDiskIsAnErrorWithTheSystemsReasonAndKeepsTheOldFile)
{
    const testsupport::SmallFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    const QString path = disk.write(u"keep.txt"_s, "original\r\n");
    disk.fill();
    const struct
    {
        const char *name;
        std::function<void()> save;
    } cases[] = {
        {"lines", [&] { writeLinesToFile(path, listOf({u"new"_s}), true); }},
        {"bytes", [&] { writeBytesToFile(path, "new"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.save();
            ADD_FAILURE() << "no error";
        } catch (const WriteError &error) {
            EXPECT_EQ(
                error.message(),
                u"Cannot write file \"%1\". No space left on device"_s.arg(QDir::toNativeSeparators(path)));
        }
        EXPECT_EQ(readAll(path), QByteArray("original\r\n"));
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList {u"filler"_s, u"keep.txt"_s}));
    }
}

TEST(LineWriter, WritesThroughLinksButNotAnotherUsersLinkInAFolderOpenToAll)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made as root";
    constexpr uid_t Other = 65534;
    struct Case
    {
        const char *name;
        QFile::Permissions folderMode;
        bool sticky;
        bool linkOfOther, folderOfOther;
        bool refused;
    };
    const QFile::Permissions all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const Case cases[] = {
        {"another user's link in a sticky folder open to all", all, true, true, false, true},
        {"own link there", all, true, false, false, false},
        {"link of the folder's owner", all, true, true, true, false},
        {"folder not sticky", all, false, true, false, false},
        {"sticky folder only its owner may write to", ownerOnly, true, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString victim = dir.write(u"victim.txt"_s, "precious\n");
        const QString shared = dir.file(u"shared"_s);
        ASSERT_TRUE(QDir().mkdir(shared));
        ASSERT_TRUE(QFile::setPermissions(shared, c.folderMode));
        const QByteArray sharedName = QFile::encodeName(shared);
        if (c.sticky) {
            ASSERT_EQ(::chmod(sharedName.constData(), (c.folderMode == all ? 0777 : 0700) | S_ISVTX), 0);
        }
        const QString link = shared + u"/out.txt"_s;
        ASSERT_TRUE(QFile::link(victim, link));
        if (c.linkOfOther) {
            ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), Other, Other), 0);
        }
        if (c.folderOfOther) {
            ASSERT_EQ(::chown(sharedName.constData(), Other, Other), 0);
        }

        bool refused = false;
        try {
            writeLinesToFile(link, listOf({u"replaced"_s}), false);
        } catch (const WriteError &error) {
            refused = true;
            EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(link))) << error.what();
        }
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(readAll(victim), c.refused ? QByteArray("precious\n") : QByteArray("replaced\r\n"));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"victim.txt"_s});
    }
}

} // namespace
