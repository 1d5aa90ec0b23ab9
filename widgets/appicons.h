#pragma once

#include <QIcon>

// The roles that menu items and buttons show an icon for.
enum class AppIcon
{
    Clear,
    Open,
    Exit,
    Help,
    Language,
    Feedback,
    About,
    Cut,
    Copy,
    Paste,
    Delete,
    Save,
};

// The icon of a role, from the program's artwork.
QIcon appIcon(AppIcon role);
