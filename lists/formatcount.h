#pragma once

#include <QLocale>
#include <QString>

// The count with the locale's digit grouping and no decimals: 1234567 is
// "1,234,567" in English.
QString FormatCount(qint64 count, const QLocale &locale);
// The same in the user's locale (the root locale's grouping when that is C/POSIX).
QString FormatCount(qint64 count);
