#include "i18n/languagechoice.h"

#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::TempDir;

TEST(LanguageChoice, FlagsByTheExactLanguageName)
{
    struct Case
    {
        QString name;
        QString image;
    };
    const Case cases[] = {
        {u"English"_s, u"english"_s},
        {u"German"_s, u"de"_s},
        {u"ChineseTraditional"_s, u"tw"_s},
        {u"Slovak"_s, u"sk"_s},
        {u"Abkhazian"_s, u"ab"_s},
        {u"Hindi"_s, u"in"_s},
        {u"Vietnamese"_s, u"vi"_s},
        {u"german"_s, u"xx"_s},
        {u"Klingon"_s, u"xx"_s},
        {u""_s, u"xx"_s},
    };
    ASSERT_EQ(languageImageNames().size(), 39);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(languageImageNames().at(flagImageIndex(c.name)), c.image);
    }
}

TEST(LanguageChoice, NameOfAFileEndsAtItsFirstSuffix)
{
    EXPECT_EQ(languageNameOfFile(u"German.lang.txt"_s), u"German"_s);
    EXPECT_EQ(languageNameOfFile(u"A.lang.txt.lang.txt"_s), u"A"_s);
    EXPECT_EQ(languageNameOfFile(u"German.LANG.TXT"_s), u""_s);
    EXPECT_EQ(languageNameOfFile(u"Germanlang.txt"_s), u""_s);
}

TEST(LanguageChoice, CreditSplitsIntoTrimmedLines)
{
    struct Case
    {
        const char *what;
        QString credit;
        QStringList lines;
    };
    const Case cases[] = {
        {"one name", u"Tandrel"_s, {u"Tandrel"_s}},
        {"names trimmed", u" Anna Schmidt ,\tJonas Weber"_s, {u"Anna Schmidt"_s, u"Jonas Weber"_s}},
        {"two commas give an empty line", u"a,,b"_s, {u"a"_s, u""_s, u"b"_s}},
        {"a comma at the end gives no extra line", u"a,b,"_s, {u"a"_s, u"b"_s}},
        {"an empty credit gives none", u""_s, {}},
        {"a comma alone gives one empty line", u","_s, {u""_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(creditLines(c.credit), c.lines);
    }
}

TEST(LanguageChoice, CreditComesFromTheLanguageFile)
{
    const TempDir folder;
    testsupport::writeAll(folder.file(u"German.lang.txt"_s),
                          "\xEF\xBB\xBF{OK}Gut\r\n{INFO:Translated By}Anna, Jonas\r\n");
    testsupport::writeAll(folder.file(u"Bare.lang.txt"_s), "{OK}Gut\r\n");
    testsupport::writeAll(folder.file(u"Empty.lang.txt"_s), "{INFO:Translated By}\n");
    testsupport::writeAll(folder.file(u"Broken.lang.txt"_s), "{INFO:Translated By}\xFF\xFE\n");
    struct Case
    {
        QString language;
        QString credit;
    };
    const Case cases[] = {
        {u"English"_s, u"Tandrel"_s},
        {u"German"_s, u"Anna, Jonas"_s},
        {u"Bare"_s, u"INFO:Translated By"_s},
        {u"Empty"_s, u""_s},
        {u"Broken"_s, u""_s},
        {u"Missing"_s, u""_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language.toStdString());
        EXPECT_EQ(languageCredit(folder.path(), c.language), c.credit);
    }
}

TEST(LanguageChoice, RestartScriptBytes)
{
    EXPECT_EQ(restartScript(u"/opt/pairsight/bin/pairsight"_s),
              QByteArray("#!/bin/sh\n"
                         "echo 'This file was created automatically to restart the program.'\n"
                         "echo 'It is safe to delete this file.'\n"
                         "sleep 1\n"
                         "'/opt/pairsight/bin/pairsight'\n"));
    // Nothing in the path reaches the shell as a command.
    EXPECT_TRUE(restartScript(u"/home/o'neil/$(rm -rf ~)/`x`/pairsight"_s)
                    .endsWith("'/home/o'\\''neil/$(rm -rf ~)/`x`/pairsight'\n"));
    EXPECT_TRUE(restartScript(u"/home/jürgen/pairsight"_s).endsWith("'/home/j\xC3\xBCrgen/pairsight'\n"));
}

TEST(LanguageChoice, RestartScriptReplacesAnOldOne)
{
    const TempDir folder;
    testsupport::writeAll(folder.file(u"start.sh"_s), QByteArray(500, 'x'));
    const QString path = writeRestartScript(folder.path(), u"/usr/bin/pairsight"_s);
    EXPECT_EQ(path, folder.file(u"start.sh"_s));
    EXPECT_EQ(testsupport::readAll(path), restartScript(u"/usr/bin/pairsight"_s));
    EXPECT_EQ(writeRestartScript(folder.path() + u'/', u"/usr/bin/pairsight"_s), path);
}

TEST(LanguageChoice, AScriptThatCannotBeWrittenNamesTheFile)
{
    const TempDir folder;
    const QString missing = folder.file(u"gone"_s);
    try {
        writeRestartScript(missing, u"/usr/bin/pairsight"_s);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(missing + u"/start.sh"_s)) << error.what();
    }
    EXPECT_FALSE(QFile::exists(missing + u"/start.sh"_s));
}

// The script really restarts a program whose path the shell would otherwise
// split or expand.
TEST(LanguageChoice, TheShellRunsTheScriptToTheProgram)
{
    const TempDir folder;
    const QString programFolder = folder.file(u"it's $HOME `x`"_s);
    ASSERT_TRUE(QDir().mkpath(programFolder));
    const QString marker = folder.file(u"ran"_s);
    const QString program = programFolder + u"/pairsight"_s;
    testsupport::writeAll(program, "#!/bin/sh\necho restarted > '" + QFile::encodeName(marker) + "'\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    const QString script = writeRestartScript(folder.path(), program);
    QProcess shell;
    shell.start(u"/bin/sh"_s, {script});
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().constData();
    EXPECT_EQ(testsupport::readAll(marker), QByteArray("restarted\n"));
}

} // namespace
