#include "widgets/artwork.h"

#include <QFile>

// The pictures are compiled into this static library; nothing else refers to
// them, so the linker would drop them unless registered from here. Outside
// any namespace, as the resource's own initialiser is.
static void registerArtwork()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(images);
        return true;
    }();
    (void)registered;
}

QIcon artworkIcon(const QString &name)
{
    registerArtwork();
    const QString file = QStringLiteral(":/images/") + name + QStringLiteral(".png");
    if (!QFile::exists(file))
        return QIcon();
    // Both drawings explicitly: QIcon looks for name@2x.png by itself only
    // when a screen is scaled at start, not for a window moved to one later.
    QIcon icon;
    icon.addFile(file);
    icon.addFile(QStringLiteral(":/images/") + name + QStringLiteral("@2x.png"));
    return icon;
}

QPixmap artworkPixmap(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    return artworkIcon(name).pixmap(size, devicePixelRatio);
}

QIcon programIcon()
{
    registerArtwork();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/appicon-%1.png").arg(size), QSize(size, size));
    return icon;
}
