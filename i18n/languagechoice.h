#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The images of the chooser's image list, by index ("xx" first, for any
// language without a flag of its own).
const QStringList &LanguageImageNames();
// The image index of a language name by the flag table; exact and
// case-sensitive, 0 ("xx") for any other name.
int FlagImageIndex(const QString &languageName);

// A language file's name up to its first ".lang.txt" (case-sensitive); empty
// when it has none.
QString LanguageNameOfFile(const QString &fileName);

// The translators of a language: "Tandrel" for English, else the credit
// entry of its file in languagesFolder (the key itself when the entry is
// missing); empty when the file cannot be read.
QString LanguageCredit(const QString &languagesFolder, const QString &languageName);
// The credit split at every ",", each piece trimmed; a comma at the very end
// gives no extra line, an empty credit none at all.
QStringList CreditLines(const QString &credit);

// The restart script: two echo lines, a one-second wait, then the program,
// quoted for the shell so that no character of its path is interpreted.
QByteArray RestartScript(const QString &executablePath);
// Writes the script as "start.sh" into folder (a separator added when
// missing), replacing any file there; its path. Throws AppError naming the
// file and the reason when it cannot be written.
QString WriteRestartScript(const QString &folder, const QString &executablePath);
