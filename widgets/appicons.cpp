#include "widgets/appicons.h"

#include "widgets/artwork.h"

namespace {

QString artworkName(AppIcon role)
{
    switch (role) {
    case AppIcon::Clear:
        return QStringLiteral("clear");
    case AppIcon::Open:
        return QStringLiteral("open");
    case AppIcon::Exit:
        return QStringLiteral("exit");
    case AppIcon::Help:
        return QStringLiteral("help");
    case AppIcon::Language:
        return QStringLiteral("flag");
    case AppIcon::Feedback:
        return QStringLiteral("feedback");
    case AppIcon::About:
        return QStringLiteral("about");
    case AppIcon::Cut:
        return QStringLiteral("cut");
    case AppIcon::Copy:
        return QStringLiteral("copy");
    case AppIcon::Paste:
        return QStringLiteral("paste");
    case AppIcon::Delete:
        return QStringLiteral("delete");
    case AppIcon::Save:
        return QStringLiteral("save");
    }
    return QString();
}

} // namespace

QIcon appIcon(AppIcon role)
{
    return artworkIcon(artworkName(role));
}
