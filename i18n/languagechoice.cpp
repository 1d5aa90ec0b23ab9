#include "i18n/languagechoice.h"

#include "i18n/language.h"
#include "lists/linesplitter.h"
#include "lists/linewriter.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace {

const QString LanguageSuffix = QStringLiteral(".lang.txt");

} // namespace

const QStringList &languageImageNames()
{
    static const QStringList names = {
        QStringLiteral("xx"),   QStringLiteral("english"), QStringLiteral("de"),
        QStringLiteral("fr"),   QStringLiteral("tr"),      QStringLiteral("al"),
        QStringLiteral("sa"),   QStringLiteral("bg"),      QStringLiteral("cn"),
        QStringLiteral("tw"),   QStringLiteral("cz"),      QStringLiteral("nl"),
        QStringLiteral("fi"),   QStringLiteral("gr"),      QStringLiteral("il"),
        QStringLiteral("hu"),   QStringLiteral("it"),      QStringLiteral("jp"),
        QStringLiteral("kr"),   QStringLiteral("ir"),      QStringLiteral("pl"),
        QStringLiteral("br"),   QStringLiteral("pt"),      QStringLiteral("ro"),
        QStringLiteral("ru"),   QStringLiteral("si"),      QStringLiteral("es"),
        QStringLiteral("se"),   QStringLiteral("ua"),      QStringLiteral("vi"),
        QStringLiteral("sk"),   QStringLiteral("us"),      QStringLiteral("tick_button"),
        QStringLiteral("copy"), QStringLiteral("flag"),    QStringLiteral("ab"),
        QStringLiteral("no"),   QStringLiteral("ca"),      QStringLiteral("in"),
    };
    return names;
}

int flagImageIndex(const QString &languageName)
{
    static const QHash<QString, int> table = {
        {QStringLiteral("English"), 1},
        {QStringLiteral("German"), 2},
        {QStringLiteral("French"), 3},
        {QStringLiteral("Turkish"), 4},
        {QStringLiteral("Albanian"), 5},
        {QStringLiteral("Arabic"), 6},
        {QStringLiteral("Bulgarian"), 7},
        {QStringLiteral("ChineseSimplified"), 8},
        {QStringLiteral("ChineseTraditional"), 9},
        {QStringLiteral("Czech"), 10},
        {QStringLiteral("Dutch"), 11},
        {QStringLiteral("Finnish"), 12},
        {QStringLiteral("Greek"), 13},
        {QStringLiteral("Hebrew"), 14},
        {QStringLiteral("Hungarian"), 15},
        {QStringLiteral("Italian"), 16},
        {QStringLiteral("Japanese"), 17},
        {QStringLiteral("Korean"), 18},
        {QStringLiteral("Persian"), 19},
        {QStringLiteral("Polish"), 20},
        {QStringLiteral("PortugueseBrazil"), 21},
        {QStringLiteral("PortuguesePortugal"), 22},
        {QStringLiteral("Romanian"), 23},
        {QStringLiteral("Russian"), 24},
        {QStringLiteral("Slovenian"), 25},
        {QStringLiteral("Spanish"), 26},
        {QStringLiteral("Swedish"), 27},
        {QStringLiteral("Ukrainian"), 28},
        {QStringLiteral("Vietnamese"), 29},
        {QStringLiteral("Slovak"), 30},
        {QStringLiteral("Abkhazian"), 35},
        {QStringLiteral("Norwegian"), 36},
        {QStringLiteral("Catalan"), 37},
        {QStringLiteral("Hindi"), 38},
    };
    return table.value(languageName, 0);
}

QString languageNameOfFile(const QString &fileName)
{
    const qsizetype suffix = fileName.indexOf(LanguageSuffix);
    return suffix < 0 ? QString() : fileName.first(suffix);
}

QString languageCredit(const QString &languagesFolder, const QString &languageName)
{
    if (languageName == QStringLiteral("English"))
        return QStringLiteral("Tandrel");
    try {
        const QStringList lines = readLanguageFile(languagesFolder + u'/' + languageName + LanguageSuffix);
        return TranslateFromList(QStringLiteral("INFO:Translated By"), lines);
    } catch (const AppError &) {
        // A missing or unreadable file only leaves the credit empty.
        return QString();
    }
}

QStringList creditLines(const QString &credit)
{
    QStringList lines;
    if (credit.isEmpty())
        return lines;
    const QList<QStringView> pieces = QStringView(credit).split(u',');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i == pieces.size() - 1 && pieces.at(i).isEmpty())
            break;
        lines.append(LineSplitter::trimmed(pieces.at(i)).toString());
    }
    return lines;
}

QByteArray restartScript(const QString &executablePath)
{
    // Single quotes: the shell expands nothing inside them; a quote in the
    // path itself is closed, escaped and reopened.
    QByteArray quoted = QFile::encodeName(executablePath);
    quoted.replace("'", "'\\''");
    QByteArray script;
    script += "#!/bin/sh\n";
    script += "echo 'This file was created automatically to restart the program.'\n";
    script += "echo 'It is safe to delete this file.'\n";
    script += "sleep 1\n";
    script += '\'' + quoted + "'\n";
    return script;
}

QString writeRestartScript(const QString &folder, const QString &executablePath)
{
    QString path = folder;
    if (!path.endsWith(u'/'))
        path += u'/';
    path += QStringLiteral("start.sh");
    try {
        writeBytesToFile(path, restartScript(executablePath));
    } catch (const WriteError &error) {
        throw AppError(QStringLiteral("Cannot write the restart script \"%1\": %2")
                           .arg(QDir::toNativeSeparators(path), error.reason()));
    }
    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}
