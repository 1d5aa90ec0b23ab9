#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The images of the chooser's image list, by index ("xx" first, for any
// language without a flag of its own).
const QStringList &languageImageNames();
// The image index of a language name by the flag table; exact and
// case-sensitive, 0 ("xx") for any other name.
int flagImageIndex(const QString &languageName);

// A language file's name up to its first ".lang.txt" (case-sensitive); empty
// when it has none.
QString languageNameOfFile(const QString &fileName);

// The translators of a language: "Tandrel" for English, else the credit
// entry of its file in languagesFolder (the key itself when the entry is
// missing); empty when the file cannot be read.
QString languageCredit(const QString &languagesFolder, const QString &languageName);
// The credit split at every ",", each piece trimmed; a comma at the very end
// gives no extra line, an empty credit none at all.
QStringList creditLines(const QString &credit);

// The restart script: two echo lines, a one-second wait, then the program,
// quoted for the shell so that no character of its path is interpreted.
QByteArray restartScript(const QString &executablePath);
// Writes the script as "start.sh" into folder (a separator added when
// missing), replacing any file there; its path. Throws AppError naming the
// file and the reason when it cannot be written.
QString writeRestartScript(const QString &folder, const QString &executablePath);
