#include "i18n/language.h"

#include "testsupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every text the windows and dialogs pass through the lookup.
const QStringList SourceTexts = {
    u"About %s"_s,
    u"OK"_s,
    u"Info"_s,
    u"Acknowledgements..."_s,
    u"How to uninstall..."_s,
    u"License..."_s,
    u"File not found!"_s,
    u"License"_s,
    u"Language"_s,
    u"User Interface Language:"_s,
    u"Translated by:"_s,
    u"Contribute to Translation"_s,
    u"Copy"_s,
    u"Select All"_s,
    u"Restart Application?"_s,
    u"Yes"_s,
    u"No"_s,
    u"Confirmation"_s,
    u"feedback"_s,
    u"We would really appreciate your feedback."_s,
    u"What did you like or dislike?"_s,
    u"Include my e-mail:"_s,
    u"Send"_s,
    u"I like it!"_s,
    u"I dislike it!"_s,
    u"Invalid e-mail address!"_s,
    u"Failure"_s,
    u"Your feedback is received."_s,
    u"Thank you!"_s,
    u"Success"_s,
    u"Something went wrong. Your feedback could not be delivered."_s,
    u"Please try again later."_s,
    u"UPDATE AVAILABLE"_s,
    u"Click to download"_s,
};

// The folder as it lies beside the built program.
const QString Shipped = QStringLiteral(PAIRSIGHT_SHIPPED_LANGUAGES);

TEST(ShippedLanguages, EveryFileTranslatesEveryTextAndCreditsItsTranslators)
{
    const QStringList files = QDir(Shipped).entryList({u"*.lang.txt"_s}, QDir::Files, QDir::Name);
    EXPECT_EQ(files,
              (QStringList {u"French.lang.txt"_s, u"German.lang.txt"_s, u"Spanish.lang.txt"_s,
                            u"Turkish.lang.txt"_s}));
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const QStringList table = readLanguageFile(Shipped + u'/' + file);
        EXPECT_FALSE(TranslateFromList(u"INFO:Translated By"_s, table).trimmed().isEmpty());
        for (const QString &source : SourceTexts) {
            // Some words are the same in both languages, so look for the entry itself.
            const QString key = u'{' + source + u'}';
            const auto entry = std::find_if(table.begin(), table.end(),
                                            [&](const QString &line) { return line.startsWith(key); });
            ASSERT_NE(entry, table.end()) << source.toStdString();
            EXPECT_FALSE(entry->sliced(key.size()).trimmed().isEmpty()) << source.toStdString();
        }
        EXPECT_TRUE(TranslateFromList(u"About %s"_s, table).contains(u"%s"_s));
    }
}

// Each regional variant maps; the names of the four languages (LANGID -> file).
TEST(ShippedLanguages, TheMappingCoversTheRegionalVariants)
{
    const QString program = QFileInfo(Shipped).path();
    const std::pair<int, const char *> cases[] = {
        {1031, "German"},  {2055, "German"},  {3079, "German"},  {1036, "French"},  {3084, "French"},
        {4108, "French"},  {3082, "Spanish"}, {1034, "Spanish"}, {2058, "Spanish"}, {11274, "Spanish"},
        {1055, "Turkish"}, {1033, ""},        {1049, ""},
    };
    for (const auto &[langId, name] : cases) {
        loadLanguageFrom(program, QString(), langId);
        EXPECT_EQ(CurrentLanguageName, QString::fromLatin1(name)) << langId;
        resetLanguageState();
    }
}

TEST(ShippedLanguages, AGermanUserSeesTheGermanConfirmation)
{
    loadLanguageFrom(QFileInfo(Shipped).path(), QString(), 1031);
    EXPECT_EQ(TranslateText(u"Restart Application?"_s), u"Anwendung neu starten?"_s);
    EXPECT_EQ(TranslateText(u"Yes"_s), u"Ja"_s);
    resetLanguageState();
}

} // namespace
