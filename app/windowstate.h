#pragma once

#include "app/inistore.h"

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

// The main window as it was left, and the open dialog's last folder and
// encoding: kept in settings.ini under a section of their own, so that the
// next run starts where this one ended. Each value is read only when it is
// whole and sensible; what is missing or spoilt keeps the default.
struct WindowState
{
    // Where the window was when not maximized: its area without the frame.
    std::optional<QRect> geometry;
    bool maximized = false;
    // The share of list #1 in the width of the two lists, in thousandths.
    std::optional<int> split;
    std::optional<QString> openFolder;
    // As encodingNames() spells it.
    std::optional<QString> openEncoding;
};

// The section and its keys.
inline constexpr char WindowSection[] = "Window";
inline constexpr char KeyWindowLeft[] = "Left";
inline constexpr char KeyWindowTop[] = "Top";
inline constexpr char KeyWindowWidth[] = "Width";
inline constexpr char KeyWindowHeight[] = "Height";
inline constexpr char KeyWindowMaximized[] = "Maximized"; // ON or OFF
inline constexpr char KeyWindowSplit[] = "Split"; // 1 to 999
inline constexpr char KeyOpenFolder[] = "OpenFolder";
inline constexpr char KeyOpenEncoding[] = "OpenEncoding";

// The smallest window a saved size may give, as the design's own is larger.
inline constexpr int SmallestWindowSide = 100;

WindowState readWindowState(const IniStore &store);
// Writes every value the state holds; the others keep what the store had.
void writeWindowState(IniStore &store, const WindowState &state);

// Whether a window at `geometry` can be seen and taken hold of on one of
// the screens (their available areas): some screen must hold the part of
// its top edge where the title bar is, at least 64 pixels of it (the whole
// width of a narrower window) and 24 pixels down. A window saved on a
// screen that has gone since fails this, and is placed afresh.
bool isOnAScreen(const QRect &geometry, const QList<QRect> &screens);
