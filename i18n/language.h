#pragma once

#include "platform/languagetable.h"

#include <QString>
#include <QStringList>

// The process-wide language state: written once by LoadLanguage at the end of
// the main window's creation, read-only afterwards.
extern QString LanguagesFolder; // the shipped "Languages" folder, no trailing separator
extern QStringList LanguageFiles; // bare names of the "*lang.txt" files, in directory order
extern QString CurrentLanguageName; // loaded file's name before ".lang.txt"; empty when none
// CurrentLanguageFile and LanguageTable: see platform/languagetable.h.

// Picks the language file (by the user's display language when fileName is
// empty) in the "Languages" folder beside the executable, or else in the
// installed data folder (see shippedFileFolder), and loads it.
// Throws AppError when the chosen file exists but cannot be read; the state
// then has the file set and an empty table, so lookups return their input.
void LoadLanguage(const QString &fileName);
// The same with the folder holding "Languages" and the user's LANGID given,
// for tests.
void loadLanguageFrom(const QString &folder, const QString &fileName, int userLangId);
// Back to the state before any LoadLanguage, for tests.
void resetLanguageState();

// Appends the bare names of the files (not directories) in folder whose names
// end in "lang.txt" without regard to case, hidden ones included.
void FindLanguageFiles(const QString &folder);

// The value of key in the given lines (even when empty), or key itself.
QString TranslateFromList(const QString &key, const QStringList &lines);

// Reads a language file's lines (UTF-8, byte-order mark skipped, CR LF, LF or
// CR); throws AppError naming the file and the reason.
QStringList readLanguageFile(const QString &path);

// The decimal LANGID of the user's display language (de_DE -> 1031), from the
// environment's LANGUAGE / LC_ALL / LC_MESSAGES / LANG; 1033 when unknown.
int userDefaultUILanguage();
// The user's regional-format locale as ISO 639 "-" ISO 3166 (en-US, de-DE),
// "xx" on any failure. Safe on any thread.
QString GetLanguageCode();
// The same for a given POSIX locale name (de_DE.UTF-8 -> de-DE), for tests.
QString languageCodeForLocale(const QString &posixLocale);
