// The language files: the mapping LanguageCodes.csv and a language file of
// any bytes, picked and read as a start-up does, then looked up. Lookups are
// checked against the file format read naively: "{English text}translation",
// the value being what follows the line's first "}".

#include "fuzz/fuzzsupport.h"
#include "i18n/language.h"
#include "lists/textencoding.h"
#include "lists/textloader.h"

#include <QStringDecoder>

namespace {

const int LangIds[] = {1031, 1033, 1036, 1055, 3082, 0, -1, 65535};

QString referenceLookup(const QString &key, const QStringList &lines, bool *found)
{
    *found = false;
    for (const QString &line : lines) {
        if (line.startsWith(u'{' + key + u'}')) {
            *found = true;
            return line.sliced(line.indexOf(u'}') + 1);
        }
    }
    return key;
}

// The file the mapping names for the id, as the loader should pick it.
QString referenceChoice(const QByteArray &mapping, int langId, const QStringList &files)
{
    const fuzz::Reference reference = fuzz::referenceFor(mapping, TextEncoding::Ansi);
    QStringDecoder decoder(reference.decoder.constData(), QStringConverter::Flag::ConvertInitialBom);
    const QByteArrayView bytes = QByteArrayView(mapping).sliced(reference.skip);
    // A mapping that cannot be read counts as an empty one.
    if (reference.decoder == "UTF-8" && !fuzz::isValidUtf8(bytes))
        return QString();
    const QString text = decoder.decode(bytes);
    const QStringList lines = fuzz::referenceLines(text, false);
    auto asciiLower = [](QString text) {
        for (QChar &c : text) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        return text;
    };
    for (const QString &line : lines) {
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0 || fuzz::trimmedReference(QStringView(line).first(comma)) != QString::number(langId))
            continue;
        const QString wanted
            = asciiLower(fuzz::trimmedReference(QStringView(line).sliced(comma + 1)).toString());
        for (const QString &file : files) {
            if (asciiLower(file) == wanted)
                return file;
        }
        return QString();
    }
    return QString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const int langId = LangIds[input.byte() & 7];
    // The mapping, a NUL, the language file.
    const QByteArray rest = input.rest();
    const qsizetype nul = rest.indexOf('\0');
    const QByteArray mapping = nul < 0 ? rest : rest.first(nul);
    const QByteArray language = nul < 0 ? QByteArray() : rest.sliced(nul + 1);

    const QString folder = fuzz::scratch().filePath(QStringLiteral("program"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/Languages"));
    fuzz::writeScratch(QStringLiteral("program/Languages/LanguageCodes.csv"), mapping);
    const QString path = fuzz::writeScratch(QStringLiteral("program/Languages/German.lang.txt"), language);
    fuzz::writeScratch(QStringLiteral("program/Languages/x lang.txt"), "{Yes}Ja\r\n");

    // The file read on its own: UTF-8, a byte-order mark skipped. A UTF-16
    // mark wins over UTF-8, as for every file the loader reads; such files
    // are the decode target's, so only their errors are checked here.
    QByteArrayView text(language);
    const bool utf16 = text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF");
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    const QString decoded = QString::fromUtf8(text);
    const bool valid = fuzz::isValidUtf8(text);
    QStringList lines;
    try {
        lines = readLanguageFile(path);
        if (!utf16) {
            fuzz::check(valid, "invalid UTF-8 read as a language file");
            fuzz::check(lines == fuzz::referenceLines(decoded, false), "the language file's lines differ",
                        fuzz::describe(lines, fuzz::referenceLines(decoded, false)));
        }
    } catch (const AppError &error) {
        fuzz::check(error.message().contains(QDir::toNativeSeparators(path)),
                    "the error does not name the file", error.message());
    }

    resetLanguageState();
    try {
        loadLanguageFrom(folder, QString(), langId);
    } catch (const AppError &) {
        fuzz::check(!CurrentLanguageFile.isEmpty() && LanguageTable.isEmpty(),
                    "a failed load left a table or no file");
    }
    const QString chosen = referenceChoice(mapping, langId, LanguageFiles);
    const QString expectedFile
        = chosen.isEmpty() ? QString() : folder + QStringLiteral("/Languages/") + chosen;
    fuzz::check(CurrentLanguageFile == expectedFile, "the wrong language file was chosen",
                CurrentLanguageFile + QStringLiteral(" instead of ") + expectedFile);
    if (chosen == QStringLiteral("German.lang.txt"))
        fuzz::check(LanguageTable == lines, "the table is not the file's lines");

    // Every key the table holds, and one it does not, looks up as the format says.
    QStringList keys {QStringLiteral("Yes"), QString()};
    for (const QString &line : std::as_const(LanguageTable)) {
        const qsizetype close = line.indexOf(u'}');
        if (line.startsWith(u'{') && close > 0)
            keys.append(line.sliced(1, close - 1));
    }
    for (const QString &key : std::as_const(keys)) {
        bool found = false;
        const QString value = referenceLookup(key, LanguageTable, &found);
        fuzz::check(TranslateFromList(key, LanguageTable) == value, "TranslateFromList differs", key);
        const QString shown = CurrentLanguageFile.isEmpty() || !found || value.isEmpty() ? key : value;
        fuzz::check(TranslateText(key) == shown, "TranslateText differs", key);
    }
    return 0;
}
