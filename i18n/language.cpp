#include "i18n/language.h"

#include "lists/linelist.h"
#include "lists/linesplitter.h"
#include "lists/textloader.h"
#include "platform/apperror.h"
#include "platform/programfolder.h"
#include "platform/systemlocale.h"

#include <QDir>
#include <QFileInfo>

#include <unicode/uloc.h>

#include <set>
#include <string>

QString LanguagesFolder;
QStringList LanguageFiles;
QString CurrentLanguageName;

namespace {

const QString LanguageSuffix = QStringLiteral(".lang.txt");

// Spaces and control characters, as the mapping file's fields are trimmed.
QString trimmedField(QStringView field)
{
    return LineSplitter::trimmed(field).toString();
}

// Folds only A to Z, as the mapping's names are matched.
QString asciiLower(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

QStringList readLines(const QString &path, TextEncoding encoding)
{
    LineList list;
    loadFileToList(path, encoding, LoadOptions {false, false}, list);
    QStringList lines;
    lines.reserve(list.count());
    for (qsizetype i = 0; i < list.count(); ++i)
        lines.append(list.lineAt(i));
    return lines;
}

// The file the mapping names for the LANGID, spelled as the folder lists it.
QString mappedLanguageFile(const QString &mappingPath, int langId)
{
    QStringList mapping;
    try {
        mapping = readLines(mappingPath, TextEncoding::Ansi);
    } catch (const AppError &) {
        // An unreadable mapping counts as an empty one.
    }
    const QString id = QString::number(langId);
    QString wanted;
    bool found = false;
    for (const QString &line : std::as_const(mapping)) {
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0)
            continue;
        if (trimmedField(QStringView(line).first(comma)) == id) {
            wanted = trimmedField(QStringView(line).sliced(comma + 1));
            found = true;
            break;
        }
    }
    if (!found)
        return {};
    const QString wantedFolded = asciiLower(wanted);
    for (const QString &name : std::as_const(LanguageFiles)) {
        if (asciiLower(name) == wantedFolded)
            return name;
    }
    return {};
}

// ICU's id for a POSIX locale, with the likely country added when it has none.
std::string withCountry(const QByteArray &icuLocale)
{
    UErrorCode status = U_ZERO_ERROR;
    char country[ULOC_COUNTRY_CAPACITY] = {};
    uloc_getCountry(icuLocale.constData(), country, sizeof country, &status);
    if (U_SUCCESS(status) && country[0] != '\0')
        return icuLocale.toStdString();
    status = U_ZERO_ERROR;
    char likely[ULOC_FULLNAME_CAPACITY] = {};
    uloc_addLikelySubtags(icuLocale.constData(), likely, sizeof likely, &status);
    if (U_FAILURE(status))
        return icuLocale.toStdString();
    char language[ULOC_LANG_CAPACITY] = {};
    uloc_getLanguage(likely, language, sizeof language, &status);
    uloc_getCountry(likely, country, sizeof country, &status);
    if (U_FAILURE(status))
        return icuLocale.toStdString();
    return std::string(language) + '_' + country;
}

// The locales ICU knows, built once; safe when two threads ask first.
const std::set<std::string> &availableLocales()
{
    static const std::set<std::string> locales = [] {
        std::set<std::string> all;
        const int32_t count = uloc_countAvailable();
        for (int32_t i = 0; i < count; ++i)
            all.insert(uloc_getAvailable(i));
        return all;
    }();
    return locales;
}

} // namespace

void LoadLanguage(const QString &fileName)
{
    loadLanguageFrom(shippedFileFolder(QStringLiteral("Languages")), fileName, userDefaultUILanguage());
}

void loadLanguageFrom(const QString &folder, const QString &fileName, int userLangId)
{
    LanguagesFolder = QDir(folder).filePath(QStringLiteral("Languages"));
    LanguageFiles.clear();
    if (!QFileInfo(LanguagesFolder).isDir())
        return;
    FindLanguageFiles(LanguagesFolder);

    QString name = fileName;
    if (trimmedField(name).isEmpty()) {
        name.clear();
        const QString mappingPath = LanguagesFolder + QStringLiteral("/LanguageCodes.csv");
        if (QFileInfo::exists(mappingPath))
            name = mappedLanguageFile(mappingPath, userLangId);
    }
    if (name.isEmpty())
        return;
    const QString path = LanguagesFolder + u'/' + name;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return;
    const qsizetype suffix = name.indexOf(LanguageSuffix);
    CurrentLanguageName = suffix < 0 ? QString() : name.first(suffix);
    CurrentLanguageFile = path;
    LanguageTable.clear();
    LanguageTable = readLanguageFile(path);
}

void resetLanguageState()
{
    LanguagesFolder.clear();
    LanguageFiles.clear();
    CurrentLanguageName.clear();
    CurrentLanguageFile.clear();
    LanguageTable.clear();
}

void FindLanguageFiles(const QString &folder)
{
    // Names ending in "lang.txt" in any case, as the wildcard "*lang.txt"
    // matches on a file system that ignores case; in directory order.
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (!entry.isDir() && entry.fileName().endsWith(QStringLiteral("lang.txt"), Qt::CaseInsensitive))
            LanguageFiles.append(entry.fileName());
    }
}

QString TranslateFromList(const QString &key, const QStringList &lines)
{
    const QString wanted = u'{' + key + u'}';
    for (const QString &line : lines) {
        if (line.startsWith(wanted))
            return line.sliced(line.indexOf(u'}') + 1);
    }
    return key;
}

QStringList readLanguageFile(const QString &path)
{
    try {
        return readLines(path, TextEncoding::Utf8);
    } catch (const AppError &error) {
        if (error.message().contains(QDir::toNativeSeparators(path)))
            throw;
        throw AppError(QStringLiteral("Cannot read language file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), error.message()),
                       error.kind());
    }
}

int userDefaultUILanguage()
{
    QByteArray icu = platform::icuLocaleFromPosix(platform::userMessagesLocale());
    // LANGUAGE lists the display languages by preference; gettext honours it
    // only when the locale itself is not C.
    const QByteArray preferred = platform::userPreferredLanguage();
    if (!icu.isEmpty() && !preferred.isEmpty())
        icu = platform::icuLocaleFromPosix(preferred);
    if (icu.isEmpty())
        return 1033;
    const uint32_t lcid = uloc_getLCID(withCountry(icu).c_str());
    return lcid == 0 ? 1033 : int(lcid & 0xFFFF);
}

QString languageCodeForLocale(const QString &posixLocale)
{
    const QByteArray icu = platform::icuLocaleFromPosix(posixLocale.toUtf8());
    if (icu.isEmpty())
        return QStringLiteral("xx");
    const std::string full = withCountry(icu);
    if (!availableLocales().contains(full))
        return QStringLiteral("xx");
    UErrorCode status = U_ZERO_ERROR;
    char language[ULOC_LANG_CAPACITY] = {};
    char country[ULOC_COUNTRY_CAPACITY] = {};
    uloc_getLanguage(full.c_str(), language, sizeof language, &status);
    uloc_getCountry(full.c_str(), country, sizeof country, &status);
    if (U_FAILURE(status) || language[0] == '\0' || country[0] == '\0')
        return QStringLiteral("xx");
    return QString::fromLatin1(language) + u'-' + QString::fromLatin1(country);
}

QString GetLanguageCode()
{
    // Read once, as the program saw the locale at start.
    static const QString code = languageCodeForLocale(QString::fromLocal8Bit(platform::userFormatsLocale()));
    return code;
}
