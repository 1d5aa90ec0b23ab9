#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's pictures, by their names in resources/images ("copy", "de",
// "cat"). The icon holds the 1x and the 2x drawing; a null icon for a name
// that has no picture.
QIcon artworkIcon(const QString &name);
// The picture drawn at a size in logical pixels for a screen with the given
// device pixel ratio, so it stays sharp when the display is scaled.
QPixmap artworkPixmap(const QString &name, const QSize &size, qreal devicePixelRatio);
// The program's own icon, in every pixel size drawn for it.
QIcon programIcon();
