#include "platform/systemlocale.h"

#include <array>
#include <string_view>

namespace platform {

namespace {

QByteArrayView languageAndTerritory(QByteArrayView name)
{
    // Drop ".codeset" and "@modifier".
    qsizetype end = name.size();
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '.' || name[i] == '@') {
            end = i;
            break;
        }
    }
    return name.first(end);
}

} // namespace

QByteArray icuLocaleFromPosix(QByteArrayView posixName)
{
    const QByteArrayView base = languageAndTerritory(posixName);
    if (base.isEmpty() || base == "C" || base == "POSIX")
        return {};
    QByteArray id = base.toByteArray();
    id.replace('-', '_');
    return id;
}

QByteArray ansiCodePageForLocale(QByteArrayView posixName)
{
    const QByteArray id = icuLocaleFromPosix(posixName);
    const qsizetype sep = id.indexOf('_');
    const QByteArray language = (sep < 0 ? id : id.left(sep)).toLower();
    const QByteArray territory = sep < 0 ? QByteArray() : id.mid(sep + 1).toUpper();

    if (language == "zh")
        return (territory == "TW" || territory == "HK" || territory == "MO") ? "windows-950" : "windows-936";
    if (language == "sr")
        return territory == "RS" || territory == "ME" || territory.isEmpty() ? "windows-1251"
                                                                             : "windows-1250";

    struct Entry
    {
        std::string_view language;
        const char *codePage;
    };
    static constexpr std::array table {
        Entry {"cs", "windows-1250"}, Entry {"hu", "windows-1250"}, Entry {"pl", "windows-1250"},
        Entry {"ro", "windows-1250"}, Entry {"hr", "windows-1250"}, Entry {"sk", "windows-1250"},
        Entry {"sl", "windows-1250"}, Entry {"sq", "windows-1250"}, Entry {"bs", "windows-1250"},
        Entry {"ru", "windows-1251"}, Entry {"uk", "windows-1251"}, Entry {"be", "windows-1251"},
        Entry {"bg", "windows-1251"}, Entry {"mk", "windows-1251"}, Entry {"kk", "windows-1251"},
        Entry {"ky", "windows-1251"}, Entry {"tt", "windows-1251"}, Entry {"mn", "windows-1251"},
        Entry {"ba", "windows-1251"}, Entry {"el", "windows-1253"}, Entry {"tr", "windows-1254"},
        Entry {"az", "windows-1254"}, Entry {"uz", "windows-1254"}, Entry {"he", "windows-1255"},
        Entry {"yi", "windows-1255"}, Entry {"ar", "windows-1256"}, Entry {"fa", "windows-1256"},
        Entry {"ur", "windows-1256"}, Entry {"et", "windows-1257"}, Entry {"lv", "windows-1257"},
        Entry {"lt", "windows-1257"}, Entry {"vi", "windows-1258"}, Entry {"th", "windows-874"},
        Entry {"ja", "windows-932"},  Entry {"ko", "windows-949"},
    };
    const std::string_view wanted(language.constData(), size_t(language.size()));
    for (const Entry &entry : table) {
        if (entry.language == wanted)
            return entry.codePage;
    }
    return "windows-1252";
}

} // namespace platform
