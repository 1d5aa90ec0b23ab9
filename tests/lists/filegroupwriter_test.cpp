#include "lists/filegroupwriter.h"
#include "lists/linelist.h"
#include "testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using testsupport::listOf;
using testsupport::readAll;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(FileGroupWriter, ReplacesNoFileBeforeAllAreWrittenAndEveryFileOnCommit)
{
    const testsupport::TempDir dir;
    const QString old = dir.write(u"a.txt"_s, "old a");
    {
        FileGroupWriter group;
        group.add(old).write("new a");
        group.add(dir.file(u"b.txt"_s)).writeLines(listOf({u"b"_s}));
        EXPECT_EQ(readAll(old), "old a");
        EXPECT_FALSE(QFile::exists(dir.file(u"b.txt"_s)));
        group.commit();
    }
    EXPECT_EQ(readAll(old), "new a");
    EXPECT_EQ(readAll(dir.file(u"b.txt"_s)), "b\r\n");
    EXPECT_EQ(filesIn(dir.path()), (QStringList {u"a.txt"_s, u"b.txt"_s}));
}

// Whether the second file fails while it is written, when the bytes reach
// the disk or is never committed, the first is left as it was too.
TEST(FileGroupWriter, AGroupThatFailsChangesNoFile)
{
    LineList big("en_US");
    for (int i = 0; i < 50000; ++i) // more than the writer buffers
        big.append(u"a line that will not fit");
    const struct
    {
        const char *name;
        bool needsRoot;
        void (*run)(const QString &folder, const LineList &big);
    } cases[] = {
        {"too large for the file size limit", false,
         [](const QString &folder, const LineList &lines) {
             const testsupport::FileSizeLimit limit(rlim_t {64} * 1024);
             FileGroupWriter group;
             group.add(folder + u"/a.txt"_s).write("new a");
             FileWriter &second = group.add(folder + u"/b.txt"_s);
             EXPECT_THROW(second.writeLines(lines), WriteError);
         }},
        {"full disk at the last flush", true,
         [](const QString &folder, const LineList &) {
             FileGroupWriter group;
             group.add(folder + u"/a.txt"_s).write("new a");
             group.add(folder + u"/b.txt"_s).write("new b");
             try {
                 group.commit();
                 ADD_FAILURE() << "no error";
             } catch (const WriteError &error) {
                 EXPECT_TRUE(error.message().endsWith(u"No space left on device"_s)) << error.what();
             }
         }},
        {"never committed", false,
         [](const QString &folder, const LineList &) {
             FileGroupWriter group;
             group.add(folder + u"/a.txt"_s).write("new a");
             group.add(folder + u"/b.txt"_s).finish();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::SmallFileSystem disk;
        if (c.needsRoot && !disk.mounted())
            continue;
        // A full disk when one could be mounted, else an ordinary folder.
        const QString folder = disk.path();
        disk.write(u"a.txt"_s, "old a");
        disk.write(u"b.txt"_s, "old b");
        QStringList expected {u"a.txt"_s, u"b.txt"_s};
        if (c.needsRoot) {
            disk.fill();
            expected.append(u"filler"_s);
        }
        c.run(folder, big);
        EXPECT_EQ(readAll(folder + u"/a.txt"_s), "old a");
        EXPECT_EQ(readAll(folder + u"/b.txt"_s), "old b");
        EXPECT_EQ(filesIn(folder), expected);
    }
}

} // namespace
