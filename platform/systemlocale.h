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

} // namespace platform
