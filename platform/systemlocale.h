#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace platform {

// ICU locale id for a POSIX locale name: "de_DE.UTF-8@euro" gives "de_DE".
// Unset, "C" and "POSIX" give "" (ICU's root collation), since ICU's own
// fallback there, en_US_POSIX, would order by code point and keep case apart.
QByteArray icuLocaleFromPosix(QByteArrayView posixName);

// The Windows ANSI code page a user of this locale has, as a decoder name
// ("windows-1252" for Western languages, "windows-1251" for Cyrillic, ...).
QByteArray ansiCodePageForLocale(QByteArrayView posixName);

// The user's collation locale: LC_ALL, else LC_COLLATE, else LANG; ICU form.
QByteArray userCollationLocale();

// The ANSI code page of the user's character-type locale (LC_ALL, LC_CTYPE, LANG).
QByteArray userAnsiCodePage();

// The POSIX locale names behind the user's display language (LC_ALL, else
// LC_MESSAGES, else LANG) and regional formats (LC_ALL, LC_TIME, LANG), as
// set; empty when none is.
QByteArray userMessagesLocale();
QByteArray userFormatsLocale();
// The first entry of LANGUAGE, the display languages by preference; empty when unset.
QByteArray userPreferredLanguage();

} // namespace platform
