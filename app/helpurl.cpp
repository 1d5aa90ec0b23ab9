#include "app/helpurl.h"

QUrl onlineHelpUrl(const QString &host, const QString &productName)
{
    // toLower() ignores the locale, so a Turkish "I" still becomes "i".
    QString page = productName.toLower();
    page.replace(u' ', u'-');
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPath(QStringLiteral("/help/") + page + u'/');
    return url;
}
