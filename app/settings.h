#pragma once

#include "app/inistore.h"
#include "lists/linekey.h"

#include <QString>

// The folder that holds "settings.ini" (and the restart script); always ends
// with a separator. Set once at start-up.
extern QString SettingsFolder;
// The in-memory store of "settings.ini", read once at start-up.
extern IniStore SettingsIni;

// True when a new "chk.tmp" can be created in folder (it is removed at once);
// a file of that name already there makes it false.
bool IsFolderWritable(const QString &folder);

// The executable's folder when writable, else configFolder/company/product,
// created as needed; with a trailing separator.
QString resolveSettingsFolder(const QString &executableFolder, const QString &configFolder);
// The per-user configuration folder ($XDG_CONFIG_HOME, else ~/.config).
QString userConfigFolder();

// Opens SettingsIni on folder + "settings.ini". A file that is not valid
// UTF-8 is moved aside to "settings.ini.broken" (replacing an older one) and
// the store starts empty. A file that cannot be read is left alone: the store
// starts empty and is never written back, and the returned text says so;
// otherwise it is empty.
QString openSettingsStore(const QString &folder);

// The section and keys of the options.
inline constexpr char SettingsSection[] = "Settings";
inline constexpr char KeyCalculateUnion[] = "CalculateUnionOfLists";
inline constexpr char KeyCaseSensitive[] = "CaseSensitive";
inline constexpr char KeyIgnoreAccents[] = "IgnoreAccents";
inline constexpr char KeyIgnorePunctuation[] = "IgnorePunctuation";
inline constexpr char KeyIgnoreWhitespace[] = "IgnoreWhitespace";
inline constexpr char KeySortWhenLoading[] = "SortWhenLoading";
// The language file the chooser confirmed, such as "German.lang.txt"; absent
// or empty, the display language picks one.
inline constexpr char KeyLanguage[] = "Language";
// Compare By...: "CompareBy" is LINE (or absent), FIELD or PATTERN; the others
// hold the field number, the delimiter (TAB, COMMA, SEMICOLON, PIPE, SPACE or
// the character), ON/OFF for quoted fields and the header, and the pattern.
inline constexpr char KeyCompareBy[] = "CompareBy";
inline constexpr char KeyKeyField[] = "KeyField";
inline constexpr char KeyKeyDelimiter[] = "KeyDelimiter";
inline constexpr char KeyKeyQuoted[] = "KeyQuoted";
inline constexpr char KeyKeyPattern[] = "KeyPattern";
inline constexpr char KeyKeyHeader[] = "KeyHeader";

// The Compare By choice in the store; what cannot be read as one (an unknown
// mode, a bad number or delimiter, a pattern that does not compile) is the
// whole line.
KeyChoice readKeyChoice(const IniStore &store);
void writeKeyChoice(IniStore &store, const KeyChoice &choice);
