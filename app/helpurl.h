#pragma once

#include <QString>
#include <QUrl>

// The product's online help page: "http://" + host + "/help/" + the product
// name in lower case with every blank turned into "-" + "/".
QUrl onlineHelpUrl(const QString &host, const QString &productName);
