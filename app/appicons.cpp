#include "app/appicons.h"

#include <QApplication>
#include <QStyle>

namespace {

QStyle::StandardPixmap standardPixmap(AppIcon role)
{
    switch (role) {
    case AppIcon::Clear:
        return QStyle::SP_DialogResetButton;
    case AppIcon::Open:
        return QStyle::SP_DialogOpenButton;
    case AppIcon::Exit:
        return QStyle::SP_DialogCloseButton;
    case AppIcon::Help:
        return QStyle::SP_DialogHelpButton;
    case AppIcon::Language:
        return QStyle::SP_DriveNetIcon;
    case AppIcon::Feedback:
        return QStyle::SP_MessageBoxQuestion;
    case AppIcon::About:
        return QStyle::SP_MessageBoxInformation;
    case AppIcon::Cut:
        return QStyle::SP_DialogDiscardButton;
    case AppIcon::Copy:
        return QStyle::SP_FileLinkIcon;
    case AppIcon::Paste:
        return QStyle::SP_FileIcon;
    case AppIcon::Delete:
        return QStyle::SP_TrashIcon;
    case AppIcon::Save:
        return QStyle::SP_DialogSaveButton;
    }
    return QStyle::SP_FileIcon;
}

} // namespace

QIcon appIcon(AppIcon role)
{
    return QApplication::style()->standardIcon(standardPixmap(role));
}
