#include "lists/formatcount.h"

QString FormatCount(qint64 count, const QLocale &locale)
{
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(count);
}

QString FormatCount(qint64 count)
{
    // QLocale's C locale groups with "," once told to, which is the root locale's form.
    return FormatCount(count, QLocale::system());
}
