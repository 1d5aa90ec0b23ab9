#include "i18n/language.h"

#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

using testsupport::TempDir;

// A program folder with a "Languages" folder holding the given files.
struct programFolder
{
    TempDir dir;

    QString languages() const { return dir.file(QStringLiteral("Languages")); }
    void add(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(languages());
        testsupport::writeAll(languages() + u'/' + name, bytes);
    }
};

class LanguageTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLanguageState(); }
};

const QByteArray GermanTable = "{OK}Gut\r\n{Yes}Ja\r\n";

TEST_F(LanguageTest, NoLanguagesFolderLeavesEveryTextAsItIs)
{
    const TempDir program;
    loadLanguageFrom(program.path(), QString(), 1031);
    EXPECT_EQ(TranslateText(QStringLiteral("OK")), QStringLiteral("OK"));
    EXPECT_TRUE(CurrentLanguageName.isEmpty());
    EXPECT_TRUE(CurrentLanguageFile.isEmpty());
    EXPECT_TRUE(LanguageFiles.isEmpty());
}

// Which file the mapping picks for LANGID 1031, and the name it gets.
TEST_F(LanguageTest, TheMappingChoosesTheFile)
{
    struct Case
    {
        const char *what;
        QByteArray mapping; // empty: no LanguageCodes.csv
        QStringList files;
        QString loadedFile; // empty: nothing loaded
        QString name;
    };
    const Case cases[] = {
        {"spaces around both fields, name matched without ASCII case",
         " 1031 ,  german.LANG.txt \r\n",
         {u"German.lang.txt"_s},
         u"German.lang.txt"_s,
         u"German"_s},
        {"upper-case suffix: loaded, but no name",
         "1031,german.lang.txt\r\n",
         {u"German.LANG.TXT"_s},
         u"German.LANG.TXT"_s,
         u""_s},
        {"the first of two lines wins",
         "1031,German.lang.txt\n1031,French.lang.txt\n",
         {u"German.lang.txt"_s, u"French.lang.txt"_s},
         u"German.lang.txt"_s,
         u"German"_s},
        {"the identifier compares as text", "01031,German.lang.txt\n", {u"German.lang.txt"_s}, u""_s, u""_s},
        {"a regional variant needs its own line",
         "2055,German.lang.txt\n",
         {u"German.lang.txt"_s},
         u""_s,
         u""_s},
        {"no mapping file", "", {u"German.lang.txt"_s}, u""_s, u""_s},
        {"a mapped name without a file", "1031,German.lang.txt\n", {u"French.lang.txt"_s}, u""_s, u""_s},
        {"a line without a comma, then a header-like line, then the match",
         "1031 German.lang.txt\nLANGID,File\n1031,French.lang.txt\n",
         {u"French.lang.txt"_s},
         u"French.lang.txt"_s,
         u"French"_s},
        {"commas after the first belong to the name",
         "1031,Odd,name.lang.txt\n",
         {u"Odd,name.lang.txt"_s},
         u"Odd,name.lang.txt"_s,
         u"Odd,name"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const programFolder program;
        if (!c.mapping.isEmpty())
            program.add(QStringLiteral("LanguageCodes.csv"), c.mapping);
        for (const QString &file : c.files)
            program.add(file, GermanTable);
        loadLanguageFrom(program.dir.path(), QString(), 1031);
        EXPECT_EQ(CurrentLanguageFile,
                  c.loadedFile.isEmpty() ? QString() : program.languages() + u'/' + c.loadedFile);
        EXPECT_EQ(CurrentLanguageName, c.name);
        EXPECT_EQ(TranslateText(QStringLiteral("OK")), c.loadedFile.isEmpty() ? u"OK"_s : u"Gut"_s);
        resetLanguageState();
    }
}

TEST_F(LanguageTest, TheMappingFileMayBeUtf16OrUtf8WithAMarkOrAnsi)
{
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    const QByteArray utf16Mapping = QByteArray("\xFF\xFE") + QByteArray(utf16(u"1031,Français.lang.txt\r\n"));
    const QByteArray utf8Mapping = "\xEF\xBB\xBF"
                                   "1031,Fran\xC3\xA7"
                                   "ais.lang.txt\r\n";
    const QByteArray ansiMapping = "1031,Fran\xE7"
                                   "ais.lang.txt\r\n"; // windows-1252 in a Western locale
    for (const QByteArray &mapping : {utf16Mapping, utf8Mapping, ansiMapping}) {
        qputenv("LC_ALL", "de_DE.UTF-8");
        const programFolder program;
        program.add(QStringLiteral("LanguageCodes.csv"), mapping);
        program.add(QStringLiteral("Français.lang.txt"), GermanTable);
        loadLanguageFrom(program.dir.path(), QString(), 1031);
        qunsetenv("LC_ALL");
        EXPECT_EQ(CurrentLanguageName, QStringLiteral("Français")) << mapping.toHex().constData();
        resetLanguageState();
    }
}

TEST_F(LanguageTest, LanguageFilesListsNamesEndingInLangTxtHiddenOnesIncludedFoldersSkipped)
{
    const programFolder program;
    program.add(QStringLiteral("German.lang.txt"), "");
    program.add(QStringLiteral(".Hidden.lang.txt"), "");
    program.add(QStringLiteral("Turkish.LANG.TXT"), "");
    program.add(QStringLiteral("Klingonlang.txt"), "");
    program.add(QStringLiteral("notes.txt"), "");
    program.add(QStringLiteral("German.lang.txt.bak"), "");
    QDir().mkpath(program.languages() + QStringLiteral("/Folder.lang.txt"));
    loadLanguageFrom(program.dir.path(), QString(), 1031);
    QStringList found = LanguageFiles;
    found.sort();
    EXPECT_EQ(found,
              (QStringList {u".Hidden.lang.txt"_s, u"German.lang.txt"_s, u"Klingonlang.txt"_s,
                            u"Turkish.LANG.TXT"_s}));
}

TEST_F(LanguageTest, LookupRules)
{
    struct Case
    {
        const char *what;
        QByteArray table;
        QString source;
        QString expected;
    };
    const Case cases[] = {
        {"the first line wins, and its empty translation falls back", "{OK}\r\n{OK}Tamam\r\n", u"OK"_s,
         u"OK"_s},
        {"keys are case-sensitive", "{ok}tamam\r\n", u"OK"_s, u"OK"_s},
        {"spaces around a translation are kept", "{OK}  Tamam \r\n", u"OK"_s, u"  Tamam "_s},
        {"everything after the first closing brace", "{About %s}%s hakk\xC4\xB1nda}\n", u"About %s"_s,
         u"%s hakkında}"_s},
        {"a byte-order mark is skipped and LF or CR end lines", "\xEF\xBB\xBF{Yes}Evet\r{No}Hay\xC4\xB1r\n",
         u"No"_s, u"Hayır"_s},
        {"the line must begin with the key", " {OK}Tamam\r\n# {OK}x\r\n", u"OK"_s, u"OK"_s},
        {"a text with no entry", "{Yes}Evet\r\n", u"License"_s, u"License"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const programFolder program;
        program.add(QStringLiteral("Turkish.lang.txt"), c.table);
        loadLanguageFrom(program.dir.path(), QStringLiteral("Turkish.lang.txt"), 0);
        EXPECT_EQ(TranslateText(c.source), c.expected);
        resetLanguageState();
    }
}

TEST_F(LanguageTest, TranslateFromListGivesTheValueEvenWhenEmptyAndTheKeyWhenMissing)
{
    const QString key = QStringLiteral("INFO:Translated By");
    EXPECT_EQ(TranslateFromList(key, {u"{OK}Tamam"_s}), key);
    EXPECT_EQ(TranslateFromList(key, {}), key);
    EXPECT_EQ(TranslateFromList(key, {u"{INFO:Translated By}"_s}), QString());
    EXPECT_EQ(TranslateFromList(key, {u"{INFO:Translated By}Ayşe,Ali"_s, u"{INFO:Translated By}x"_s}),
              QStringLiteral("Ayşe,Ali"));
}

TEST_F(LanguageTest, AFileThatIsNotUtf8IsReportedAndEveryLookupReturnsItsInput)
{
    const programFolder program;
    program.add(QStringLiteral("LanguageCodes.csv"), "1031,German.lang.txt\r\n");
    program.add(QStringLiteral("German.lang.txt"), "{OK}Gut\r\n{Yes}J\xE4\r\n");
    try {
        loadLanguageFrom(program.dir.path(), QString(), 1031);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(
            error.message().contains(QDir::toNativeSeparators(program.languages() + u"/German.lang.txt"_s)))
            << error.message().toStdString();
    }
    EXPECT_EQ(CurrentLanguageName, QStringLiteral("German"));
    EXPECT_FALSE(CurrentLanguageFile.isEmpty());
    EXPECT_TRUE(LanguageTable.isEmpty());
    EXPECT_EQ(TranslateText(QStringLiteral("OK")), QStringLiteral("OK"));
}

// The display language as the LANGID the mapping file expects.
TEST(UserLanguage, TheEnvironmentGivesTheLangId)
{
    struct Case
    {
        const char *lcAll;
        const char *lang;
        const char *language;
        int langId;
    };
    const Case cases[] = {
        {nullptr, "de_DE.UTF-8", nullptr, 1031},
        {nullptr, "en_US.UTF-8", nullptr, 1033},
        {nullptr, "tr_TR.UTF-8", nullptr, 1055},
        {nullptr, "de_CH.UTF-8", nullptr, 2055},
        {nullptr, "fr_FR.UTF-8", nullptr, 1036},
        {"es_ES.UTF-8", "de_DE.UTF-8", nullptr, 3082},
        {nullptr, "de.UTF-8", nullptr, 1031}, // no country: the likely one
        {nullptr, "de_DE.UTF-8", "fr_FR:en", 1036}, // LANGUAGE comes first
        {nullptr, "C", "fr_FR", 1033}, // but not with the C locale
        {nullptr, nullptr, nullptr, 1033},
        {nullptr, "POSIX", nullptr, 1033},
    };
    const QByteArray saved[]
        = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG"), qgetenv("LANGUAGE")};
    qunsetenv("LC_MESSAGES");
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.lang ? c.lang : "(unset)") + " / " + (c.language ? c.language : ""));
        auto set = [](const char *name, const char *value) {
            if (value)
                qputenv(name, value);
            else
                qunsetenv(name);
        };
        set("LC_ALL", c.lcAll);
        set("LANG", c.lang);
        set("LANGUAGE", c.language);
        EXPECT_EQ(userDefaultUILanguage(), c.langId);
    }
    const char *names[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    for (int i = 0; i < 4; ++i) {
        if (saved[i].isEmpty())
            qunsetenv(names[i]);
        else
            qputenv(names[i], saved[i]);
    }
}

TEST(LanguageCode, LanguageDashCountryOrXx)
{
    const std::pair<const char *, const char *> cases[] = {
        {"en_US.UTF-8", "en-US"}, {"de_DE.UTF-8", "de-DE"},
        {"tr_TR", "tr-TR"},       {"pt_BR.UTF-8@x", "pt-BR"},
        {"de", "de-DE"},          {"C", "xx"},
        {"POSIX", "xx"},          {"", "xx"},
        {"xx_YY.UTF-8", "xx"},    {"qq_QQ", "xx"},
    };
    for (const auto &[locale, code] : cases)
        EXPECT_EQ(languageCodeForLocale(QString::fromLatin1(locale)), QString::fromLatin1(code)) << locale;
}

TEST(LanguageCode, TwoThreadsMayAskFirstAtOnce)
{
    QString first;
    QString second;
    std::thread a([&] { first = GetLanguageCode(); });
    std::thread b([&] { second = GetLanguageCode(); });
    a.join();
    b.join();
    EXPECT_EQ(first, second);
    EXPECT_FALSE(first.isEmpty());
}

} // namespace

namespace {

// What starts when settings.ini names a file, for a German display language.
TEST_F(LanguageTest, TheChosenFileWinsOverTheDisplayLanguageWhileItCanBeRead)
{
    struct Case
    {
        const char *chosen;
        const char *name; // of the language in force afterwards
        bool problem;
        bool forget;
    };
    const Case cases[] = {
        {"", "German", false, false},
        {"Turkish.lang.txt", "Turkish", false, false},
        {" Turkish.lang.txt ", "Turkish", false, false},
        // English has no file and needs none.
        {"English.lang.txt", "", false, false},
        {"english.LANG.txt", "", false, false},
        // Gone: picked by the display language again, quietly; it may come back.
        {"Klingon.lang.txt", "German", false, false},
        // Not a bare name: never looked for outside the folder.
        {"../Languages/Turkish.lang.txt", "German", false, false},
        // Unreadable: said once, then forgotten.
        {"Broken.lang.txt", "German", true, true},
    };
    programFolder program;
    program.add(u"LanguageCodes.csv"_s, "1031,German.lang.txt\r\n1055,Turkish.lang.txt\r\n");
    program.add(u"German.lang.txt"_s, GermanTable);
    program.add(u"Turkish.lang.txt"_s, "{OK}Tamam\r\n");
    program.add(u"Broken.lang.txt"_s, "{OK}\xFF\r\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.chosen);
        // A language loaded before must not linger.
        loadLanguageFrom(program.dir.path(), u"Turkish.lang.txt"_s, 1055);
        const StartLanguage start
            = loadStartLanguageFrom(program.dir.path(), QString::fromLatin1(c.chosen), 1031);
        EXPECT_EQ(CurrentLanguageName, QString::fromLatin1(c.name));
        EXPECT_EQ(CurrentLanguageFile.isEmpty(), c.name[0] == '\0');
        EXPECT_EQ(start.problem.contains(u"Broken.lang.txt"_s), c.problem) << start.problem.toStdString();
        EXPECT_EQ(start.problem.isEmpty(), !c.problem);
        EXPECT_EQ(start.forgetChoice, c.forget);
        resetLanguageState();
    }
}

TEST_F(LanguageTest, AnUnreadableFileChosenAndPickedIsReportedOnce)
{
    programFolder program;
    program.add(u"LanguageCodes.csv"_s, "1031,German.lang.txt\r\n");
    program.add(u"German.lang.txt"_s, "{OK}\xFF\r\n");
    const StartLanguage start = loadStartLanguageFrom(program.dir.path(), u"German.lang.txt"_s, 1031);
    EXPECT_TRUE(start.problem.contains(u"German.lang.txt"_s));
    EXPECT_TRUE(start.forgetChoice);
    EXPECT_EQ(TranslateText(u"OK"_s), u"OK"_s);
}

// The code of Qt's translations for a file: the first mapping line naming it.
TEST_F(LanguageTest, TheLanguageCodeOfAFileComesFromTheMapping)
{
    programFolder program;
    program.add(u"LanguageCodes.csv"_s,
                "no comma\r\nabc,Klingon.lang.txt\r\n2055,German.lang.txt\r\n1036,French.lang.txt\r\n"
                " 1055 , turkish.LANG.txt \r\n");
    program.add(u"German.lang.txt"_s, GermanTable);
    loadLanguageFrom(program.dir.path(), u"German.lang.txt"_s, 1033);
    EXPECT_EQ(currentLanguageCode(), u"de"_s);
    EXPECT_EQ(languageCodeOfFile(u"French.lang.txt"_s), u"fr"_s);
    EXPECT_EQ(languageCodeOfFile(u"Turkish.lang.txt"_s), u"tr"_s);
    EXPECT_EQ(languageCodeOfFile(u"Klingon.lang.txt"_s), QString());
    EXPECT_EQ(languageCodeOfFile(u"English.lang.txt"_s), QString());
    resetLanguageState();
    EXPECT_EQ(currentLanguageCode(), QString());
}

} // namespace
