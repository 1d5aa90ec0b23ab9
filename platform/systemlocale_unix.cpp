#include "platform/systemlocale.h"

#include <QByteArrayList>
#include <QtGlobal>

#include <initializer_list>

namespace platform {

namespace {

// The first of the variables that is set and not empty, as setlocale() reads them.
QByteArray firstSet(std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

QByteArray userCollationLocale()
{
    return icuLocaleFromPosix(firstSet({"LC_ALL", "LC_COLLATE", "LANG"}));
}

QByteArray userAnsiCodePage()
{
    return ansiCodePageForLocale(firstSet({"LC_ALL", "LC_CTYPE", "LANG"}));
}

QByteArray userMessagesLocale()
{
    return firstSet({"LC_ALL", "LC_MESSAGES", "LANG"});
}

QByteArray userFormatsLocale()
{
    return firstSet({"LC_ALL", "LC_TIME", "LANG"});
}

QByteArray userPreferredLanguage()
{
    return qgetenv("LANGUAGE").split(':').value(0);
}

} // namespace platform
