#include "i18n/language.h"

#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The folders whose texts the windows and dialogs show.
const QStringList SourceFolders
    = {u"app"_s, u"about"_s, u"compare"_s, u"i18n"_s, u"lists"_s, u"online"_s, u"platform"_s, u"widgets"_s};

// Every source file of those folders, with its path from the source tree.
std::vector<std::pair<QString, QString>> sourceFiles()
{
    std::vector<std::pair<QString, QString>> files;
    const QDir root(QStringLiteral(PAIRSIGHT_SOURCE_DIR));
    for (const QString &folder : SourceFolders) {
        QDirIterator it(root.filePath(folder), {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            files.emplace_back(root.relativeFilePath(path), QString::fromUtf8(file.readAll()));
        }
    }
    return files;
}

// The source texts of the lookups written TranslateText(QStringLiteral("...")),
// where the formatter may break the line before the literal, their escapes
// \" and \\ undone, in the order found.
QStringList scannedSourceTexts()
{
    static const QRegularExpression call(
        uR"re(TranslateText\(\s*QStringLiteral\("((?:[^"\\]|\\.)*)"\)\s*\))re"_s);
    QStringList texts;
    for (const auto &[path, text] : sourceFiles()) {
        for (const QRegularExpressionMatch &match : call.globalMatch(text)) {
            QString source;
            const QString escaped = match.captured(1);
            for (qsizetype i = 0; i < escaped.size(); ++i) {
                if (escaped[i] == u'\\' && i + 1 < escaped.size())
                    ++i;
                source += escaped[i];
            }
            if (!texts.contains(source))
                texts << source;
        }
    }
    return texts;
}

// The placeholders a caller fills in: %1, %2, ... and the about window's %s.
QStringList placeholdersOf(const QString &text)
{
    static const QRegularExpression placeholder(uR"(%(\d+|s))"_s);
    QStringList found;
    for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
        found << match.captured(0);
    return found;
}

// The access keys of a caption: each "&" that is not half of "&&".
int accessKeysOf(const QString &text)
{
    int keys = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == u'&')
            ++i;
        else
            ++keys;
    }
    return keys;
}

// The folder as it lies beside the built program.
const QString Shipped = QStringLiteral(PAIRSIGHT_SHIPPED_LANGUAGES);

TEST(ShippedLanguages, EveryFileTranslatesEveryTextAndCreditsItsTranslators)
{
    const QStringList sources = scannedSourceTexts();
    const QStringList files = QDir(Shipped).entryList({u"*.lang.txt"_s}, QDir::Files, QDir::Name);
    EXPECT_EQ(files,
              (QStringList {u"French.lang.txt"_s, u"German.lang.txt"_s, u"Spanish.lang.txt"_s,
                            u"Turkish.lang.txt"_s}));
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const QStringList table = readLanguageFile(Shipped + u'/' + file);
        EXPECT_FALSE(TranslateFromList(u"INFO:Translated By"_s, table).trimmed().isEmpty());
        for (const QString &source : sources) {
            // Some words are the same in both languages, so look for the entry itself.
            const QString key = u'{' + source + u'}';
            const auto entry = std::find_if(table.begin(), table.end(),
                                            [&](const QString &line) { return line.startsWith(key); });
            if (entry == table.end()) {
                ADD_FAILURE() << "no entry for " << source.toStdString();
                continue;
            }
            const QString translation = entry->sliced(key.size());
            EXPECT_FALSE(translation.trimmed().isEmpty()) << source.toStdString();
            for (const QString &placeholder : placeholdersOf(source)) {
                EXPECT_TRUE(translation.contains(placeholder))
                    << source.toStdString() << " -> " << translation.toStdString();
            }
            if (accessKeysOf(source) == 1) {
                EXPECT_EQ(accessKeysOf(translation), 1)
                    << source.toStdString() << " -> " << translation.toStdString();
            }
        }
        EXPECT_TRUE(TranslateFromList(u"About %s"_s, table).contains(u"%s"_s));
    }
}

TEST(ShippedLanguages, TheScanFindsTheTextsOfEveryKindOfCaller)
{
    const QStringList sources = scannedSourceTexts();
    // A window, a menu item with its access key, a format and an escaped quote.
    for (const QString &text : {u"Restart Application?"_s, u"&File"_s, u"About %s"_s, u"Loading \"%1\"..."_s})
        EXPECT_TRUE(sources.contains(text)) << text.toStdString();
}

// A lookup written any other way would escape the scan and so the check above.
TEST(ShippedLanguages, EveryLookupPassesItsTextAsOneLiteral)
{
    static const QRegularExpression call(
        uR"re(\bTranslateText\((?!\s*QStringLiteral\(")(?!const QString &))re"_s);
    // The install check looks up a text it is given at run time.
    const QString runTimeText = u"app/main.cpp"_s;
    for (const auto &[path, text] : sourceFiles()) {
        if (path == runTimeText)
            continue;
        for (const QRegularExpressionMatch &match : call.globalMatch(text))
            ADD_FAILURE() << path.toStdString() << ": " << text.mid(match.capturedStart(), 60).toStdString();
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
