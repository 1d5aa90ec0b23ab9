#include "platform/languagetable.h"

QString CurrentLanguageFile;
QStringList LanguageTable;

QString TranslateText(const QString &source)
{
    if (CurrentLanguageFile.isEmpty())
        return source;
    const QString key = u'{' + source + u'}';
    for (const QString &line : std::as_const(LanguageTable)) {
        if (line.startsWith(key)) {
            const QString value = line.sliced(line.indexOf(u'}') + 1);
            return value.isEmpty() ? source : value;
        }
    }
    return source;
}
