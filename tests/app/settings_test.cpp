#include "app/settings.h"

#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::readAll;
using testsupport::TempDir;

TEST(SettingsFolder, AWritableProgramFolderHoldsTheSettingsAndNoProbeIsLeft)
{
    const TempDir program;
    const TempDir config;
    EXPECT_TRUE(IsFolderWritable(program.path()));
    EXPECT_EQ(resolveSettingsFolder(program.path(), config.path()), program.path() + u'/');
    EXPECT_EQ(QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_FALSE(QFileInfo::exists(config.file(u"TANDREL"_s)));
}

// Root may write anywhere, so the unwritable cases are a stale probe and a
// program "folder" that is a file.
TEST(SettingsFolder, OtherwiseTheUsersFolderUnderCompanyAndProduct)
{
    const TempDir program;
    testsupport::writeAll(program.file(u"chk.tmp"_s), "left over");
    const TempDir notAFolder;
    const QString file = notAFolder.write(u"pairsight"_s, "");
    for (const QString &folder : {program.path(), file}) {
        SCOPED_TRACE(folder.toStdString());
        const TempDir config;
        const QString base = config.file(u"config"_s); // created as needed too
        EXPECT_FALSE(IsFolderWritable(folder));
        const QString resolved = resolveSettingsFolder(folder, base);
        EXPECT_EQ(resolved, base + u"/TANDREL/Pairsight/"_s);
        EXPECT_TRUE(QFileInfo(resolved).isDir());
        // A second start finds them there already.
        EXPECT_EQ(resolveSettingsFolder(folder, base), resolved);
    }
    EXPECT_EQ(readAll(program.file(u"chk.tmp"_s)), "left over");
}

TEST(IniStore, OneValueFromNoFileGivesExactlyTheseBytes)
{
    const TempDir dir;
    IniStore store;
    store.open(dir.file(u"settings.ini"_s));
    store.writeString(u"Settings"_s, u"SortWhenLoading"_s, u"OFF"_s);
    store.write();
    EXPECT_EQ(readAll(dir.file(u"settings.ini"_s)), "\xEF\xBB\xBF[Settings]\r\nSortWhenLoading=OFF\r\n\r\n");
}

TEST(IniStore, KeepsWhatItDoesNotKnowInFirstStoredOrderAndMatchesNamesWithoutCase)
{
    const TempDir dir;
    const QString path = dir.write(u"settings.ini"_s,
                                   "\xEF\xBB\xBF[Window]\nLeft=10\nTop=20\n[settings]\nsortwhenloading=OFF\n"
                                   "Extra = kept \n; a comment\n[Window]\nWidth=5\nLeft=99\n");
    IniStore store;
    store.open(path);
    EXPECT_EQ(store.readString(u"SETTINGS"_s, u"SortWhenLoading"_s, {}), u"OFF"_s);
    EXPECT_EQ(store.readString(u"Window"_s, u"LEFT"_s, {}), u"10"_s); // the first wins
    EXPECT_EQ(store.readString(u"Settings"_s, u"Missing"_s, u"dflt"_s), u"dflt"_s);
    store.writeString(u"Settings"_s, u"SortWhenLoading"_s, u"ON"_s);
    store.writeString(u"Settings"_s, u"CaseSensitive"_s, u"ON"_s);
    store.write();
    EXPECT_EQ(readAll(path).toStdString(),
              "\xEF\xBB\xBF[Window]\r\nLeft=10\r\nTop=20\r\nWidth=5\r\n\r\n"
              "[settings]\r\nsortwhenloading=ON\r\nExtra=kept\r\nCaseSensitive=ON\r\n\r\n");
}

TEST(IniStore, AFailedWriteNamesTheFileAndLeavesTheOldOne)
{
    const TempDir dir;
    const QString path = dir.write(u"settings.ini"_s, "[Settings]\r\nCaseSensitive=ON\r\n");
    IniStore store;
    store.open(path);
    store.writeString(u"Settings"_s, u"CaseSensitive"_s, QString(200000, u'x'));
    // Cut the write off half-way, as a full disk would.
    try {
        const testsupport::FileSizeLimit limit(4096);
        store.write();
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(path)))
            << error.message().toStdString();
    }
    EXPECT_EQ(readAll(path), "[Settings]\r\nCaseSensitive=ON\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"settings.ini"_s});
}

TEST(IniStore, AFullDiskIsAnErrorWithTheSystemsReasonAndKeepsTheOldFile)
{
    const testsupport::SmallFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    const QString path = disk.write(u"settings.ini"_s, "[Settings]\r\nCaseSensitive=ON\r\n");
    disk.fill();
    IniStore store;
    store.open(path);
    store.writeString(u"Settings"_s, u"CaseSensitive"_s, u"OFF"_s);
    try {
        store.write();
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_EQ(error.message(),
                  u"Cannot write file \"%1\". No space left on device"_s.arg(QDir::toNativeSeparators(path)));
    }
    EXPECT_EQ(readAll(path), "[Settings]\r\nCaseSensitive=ON\r\n");
}

TEST(SettingsStore, AFileThatIsNotUtf8IsMovedAsideReplacingAnOlderOneAndTheStoreStartsEmpty)
{
    const TempDir dir;
    const QByteArray broken = "[Settings]\r\nCaseSensitive=ON\xFF\r\n";
    const QString path = dir.write(u"settings.ini"_s, broken);
    dir.write(u"settings.ini.broken"_s, "older");
    EXPECT_EQ(openSettingsStore(dir.path() + u'/'), QString());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(readAll(path + u".broken"_s), broken);
    EXPECT_EQ(SettingsIni.readString(u"Settings"_s, u"CaseSensitive"_s, {}), QString());
    SettingsIni.writeString(u"Settings"_s, u"CaseSensitive"_s, u"OFF"_s);
    SettingsIni.write();
    EXPECT_EQ(readAll(path), "\xEF\xBB\xBF[Settings]\r\nCaseSensitive=OFF\r\n\r\n");
}

// A file this user cannot read now is neither moved nor replaced: it may be
// fine for another user or later.
TEST(SettingsStore, AFileThatCannotBeReadIsLeftAloneAndReported)
{
    const struct
    {
        const char *name;
        bool asRoot; // whether the case can be made as root
        void (*make)(const QString &path);
        const char *reason;
    } cases[] = {
        {"no permission", false,
         [](const QString &path) {
             testsupport::writeAll(path, "[Settings]\r\nCaseSensitive=ON\r\n");
             QFile::setPermissions(path, {});
         },
         "Permission denied"},
        {"read error", true, [](const QString &path) { QFile::link(u"/proc/self/mem"_s, path); },
         "Input/output error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.asRoot && ::geteuid() == 0)
            continue;
        const TempDir dir;
        const QString path = dir.file(u"settings.ini"_s);
        c.make(path);
        const QString report = openSettingsStore(dir.path() + u'/');
        EXPECT_TRUE(report.contains(QDir::toNativeSeparators(path))) << report.toStdString();
        EXPECT_TRUE(report.contains(QLatin1StringView(c.reason))) << report.toStdString();
        EXPECT_EQ(SettingsIni.readString(u"Settings"_s, u"CaseSensitive"_s, u"dflt"_s), u"dflt"_s);
        EXPECT_FALSE(SettingsIni.isWritable());
        EXPECT_THROW(SettingsIni.write(), AppError);
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
            QStringList {u"settings.ini"_s});
    }
}

TEST(SettingsStore, WhatCannotBeOpenedEvenAfterDeletingIsNeverOverwritten)
{
    // A folder where the file should be: it can be neither read nor deleted.
    const TempDir dir;
    QDir(dir.path()).mkpath(u"settings.ini/inside"_s);
    EXPECT_FALSE(openSettingsStore(dir.path() + u'/').isEmpty());
    EXPECT_EQ(SettingsIni.readString(u"Settings"_s, u"SortWhenLoading"_s, u"dflt"_s), u"dflt"_s);
    SettingsIni.writeString(u"Settings"_s, u"SortWhenLoading"_s, u"OFF"_s);
    EXPECT_THROW(SettingsIni.write(), AppError);
    EXPECT_TRUE(QFileInfo(dir.file(u"settings.ini/inside"_s)).isDir());
}

} // namespace

namespace {

TEST(KeyChoiceSettings, RoundTripsAndUnreadableValuesMeanTheWholeLine)
{
    KeyChoice field;
    field.mode = LineKey::Mode::Field;
    field.field = 3;
    field.delimiter = u';';
    field.quoted = true;
    field.header = true;
    KeyChoice other = field;
    other.delimiter = u'#';
    other.quoted = false;
    KeyChoice pattern;
    pattern.mode = LineKey::Mode::Pattern;
    pattern.pattern = u"id=(\\d+)"_s;
    for (const KeyChoice &choice : {field, other, pattern, KeyChoice()}) {
        IniStore store;
        writeKeyChoice(store, choice);
        EXPECT_EQ(readKeyChoice(store), choice);
    }
    IniStore store;
    writeKeyChoice(store, field);
    EXPECT_EQ(store.readString(u"Settings"_s, u"KeyDelimiter"_s, {}), u"SEMICOLON"_s);
    EXPECT_EQ(store.readString(u"Settings"_s, u"CompareBy"_s, {}), u"FIELD"_s);

    struct Bad
    {
        const char16_t *key, *value;
    };
    for (const Bad bad : {Bad {u"KeyField", u"0"}, Bad {u"KeyField", u"x"}, Bad {u"KeyDelimiter", u"ab"},
                          Bad {u"CompareBy", u"COLUMN"}}) {
        IniStore broken;
        writeKeyChoice(broken, field);
        broken.writeString(u"Settings"_s, QString::fromUtf16(bad.key), QString::fromUtf16(bad.value));
        EXPECT_EQ(readKeyChoice(broken).mode, LineKey::Mode::WholeLine)
            << QString::fromUtf16(bad.value).toStdString();
    }
    IniStore badPattern;
    writeKeyChoice(badPattern, pattern);
    badPattern.writeString(u"Settings"_s, u"KeyPattern"_s, u"a(b"_s);
    EXPECT_EQ(readKeyChoice(badPattern).mode, LineKey::Mode::WholeLine);
}

} // namespace
