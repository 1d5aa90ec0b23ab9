#include "lists/linelist.h"
#include "platform/systemlocale.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemLocale, PosixNamesToIcuAndAnsiCodePages)
{
    struct Case
    {
        const char *posix;
        const char *icu;
        const char *ansi;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "de_DE", "windows-1252"},
        {"en_US", "en_US", "windows-1252"},
        {"tr_TR.UTF-8", "tr_TR", "windows-1254"},
        {"ru_RU.KOI8-R", "ru_RU", "windows-1251"},
        {"pl_PL", "pl_PL", "windows-1250"},
        {"el_GR.UTF-8", "el_GR", "windows-1253"},
        {"ja_JP.eucJP", "ja_JP", "windows-932"},
        {"zh_TW.UTF-8", "zh_TW", "windows-950"},
        {"zh_CN.UTF-8", "zh_CN", "windows-936"},
        {"sr_RS@latin", "sr_RS", "windows-1251"},
        {"ca_ES.UTF-8@valencia", "ca_ES", "windows-1252"},
        {"C", "", "windows-1252"},
        {"POSIX", "", "windows-1252"},
        {"C.UTF-8", "", "windows-1252"},
        {"", "", "windows-1252"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.posix);
        EXPECT_EQ(platform::icuLocaleFromPosix(c.posix), QByteArray(c.icu));
        EXPECT_EQ(platform::ansiCodePageForLocale(c.posix), QByteArray(c.ansi));
    }
}

TEST(SystemLocale, NoLocaleInTheEnvironmentMeansTheRootCollation)
{
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_COLLATE"), qgetenv("LANG")};
    for (const char *name : {"LC_ALL", "LC_COLLATE", "LANG"})
        qunsetenv(name);
    EXPECT_EQ(platform::userCollationLocale(), QByteArray());
    LineList list; // the user's collation
    list.append(u"Apple");
    EXPECT_TRUE(list.contains(u"apple"));
    qputenv("LANG", "C");
    EXPECT_EQ(platform::userCollationLocale(), QByteArray());
    qputenv("LC_COLLATE", "sv_SE.UTF-8");
    EXPECT_EQ(platform::userCollationLocale(), QByteArray("sv_SE"));
    qputenv("LC_ALL", "tr_TR.UTF-8");
    EXPECT_EQ(platform::userCollationLocale(), QByteArray("tr_TR"));
    int i = 0;
    for (const char *name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        if (saved[i].isNull())
            qunsetenv(name);
        else
            qputenv(name, saved[i]);
        ++i;
    }
}

} // namespace
