#include "platform/programfolder.h"

#include "testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A tree laid out as installed, <root>/usr/bin for the program and
// <root>/usr/share/pairsight for its data, with the shipped files in one,
// both or neither.
TEST(ProgramFolderTest, ShippedFilesAreFoundBesideTheProgramFirstThenInTheInstalledDataFolder)
{
    struct Case
    {
        const char *what;
        bool beside;
        bool installed;
        bool foundInData; // else beside the program
    };
    const Case cases[] = {
        {"portable copy", true, false, false},
        {"installed copy", false, true, true},
        {"beside the program wins", true, true, false},
        {"nowhere: said missing where a portable copy keeps it", false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const testsupport::TempDir root;
        const QString bin = root.file(u"usr/bin"_s);
        const QString data = root.file(u"usr/share/pairsight"_s);
        ASSERT_TRUE(QDir().mkpath(bin));
        ASSERT_TRUE(QDir().mkpath(data));
        for (const auto &[lies, folder] : {std::pair {c.beside, bin}, std::pair {c.installed, data}}) {
            if (!lies)
                continue;
            ASSERT_TRUE(QDir().mkpath(folder + u"/Languages"_s));
            testsupport::writeAll(folder + u"/license.txt"_s, "MIT License\n");
        }
        const QString wanted = c.foundInData ? data : bin;
        EXPECT_EQ(shippedFileFolderFrom(bin, u"Languages"_s), wanted);
        EXPECT_EQ(shippedFileFolderFrom(bin, u"license.txt"_s), wanted);
    }
}

TEST(ProgramFolderTest, EachShippedFileIsLookedForOnItsOwn)
{
    const testsupport::TempDir root;
    const QString bin = root.file(u"usr/bin"_s);
    const QString data = root.file(u"usr/share/pairsight"_s);
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(data + u"/Languages"_s));
    testsupport::writeAll(bin + u"/license.txt"_s, "MIT License\n");
    EXPECT_EQ(shippedFileFolderFrom(bin, u"license.txt"_s), bin);
    EXPECT_EQ(shippedFileFolderFrom(bin, u"Languages"_s), data);
}

} // namespace
