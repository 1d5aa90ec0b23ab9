#include "app/windowstate.h"

#include "testsupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A store holding these lines of the Window section.
IniStore storeWith(const QByteArray &lines)
{
    const testsupport::TempDir dir;
    const QString file
        = dir.write(u"settings.ini"_s, "[Settings]\r\nCaseSensitive=ON\r\n[Window]\r\n" + lines);
    IniStore store;
    store.open(file);
    return store;
}

TEST(WindowState, WrittenAndReadBack)
{
    const testsupport::TempDir dir;
    const QString file = dir.write(u"settings.ini"_s, "[Settings]\r\nCaseSensitive=ON\r\n");
    IniStore store;
    store.open(file);
    const WindowState state {QRect(-20, 30, 640, 480), true, 350, u"/home/u/lists"_s, u"Unicode"_s};
    writeWindowState(store, state);
    store.write();
    // A section of its own after the options, which stay as they were.
    EXPECT_EQ(
        testsupport::readAll(file),
        QByteArray("\xEF\xBB\xBF[Settings]\r\nCaseSensitive=ON\r\n\r\n[Window]\r\nLeft=-20\r\nTop=30\r\n"
                   "Width=640\r\nHeight=480\r\nMaximized=ON\r\nSplit=350\r\nOpenFolder=/home/u/lists\r\n"
                   "OpenEncoding=Unicode\r\n\r\n"));
    IniStore again;
    again.open(file);
    const WindowState read = readWindowState(again);
    EXPECT_EQ(read.geometry, state.geometry);
    EXPECT_TRUE(read.maximized);
    EXPECT_EQ(read.split, 350);
    EXPECT_EQ(read.openFolder, state.openFolder);
    EXPECT_EQ(read.openEncoding, state.openEncoding);
}

TEST(WindowState, WhatIsMissingOrSpoiltKeepsTheDefault)
{
    struct Case
    {
        const char *lines;
        std::optional<QRect> geometry;
        bool maximized;
        std::optional<int> split;
        std::optional<QString> encoding;
    };
    const Case cases[] = {
        {"", std::nullopt, false, std::nullopt, std::nullopt},
        {"Left=1\r\nTop=2\r\nWidth=300\r\nHeight=200\r\n", QRect(1, 2, 300, 200), false, std::nullopt,
         std::nullopt},
        // One value short, or not a number: no geometry.
        {"Left=1\r\nTop=2\r\nWidth=300\r\n", std::nullopt, false, std::nullopt, std::nullopt},
        {"Left=1\r\nTop=two\r\nWidth=300\r\nHeight=200\r\n", std::nullopt, false, std::nullopt, std::nullopt},
        // Too small to use, or beyond any screen.
        {"Left=1\r\nTop=2\r\nWidth=99\r\nHeight=200\r\n", std::nullopt, false, std::nullopt, std::nullopt},
        {"Left=1\r\nTop=2\r\nWidth=300\r\nHeight=99999\r\n", std::nullopt, false, std::nullopt, std::nullopt},
        {"Maximized=on\r\nSplit=0\r\n", std::nullopt, false, std::nullopt, std::nullopt},
        {"Maximized=ON\r\nSplit=999\r\n", std::nullopt, true, 999, std::nullopt},
        {"Split=1000\r\nOpenEncoding=utf-8\r\n", std::nullopt, false, std::nullopt, u"UTF-8"_s},
        {"OpenEncoding=EBCDIC\r\n", std::nullopt, false, std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines);
        const WindowState state = readWindowState(storeWith(c.lines));
        EXPECT_EQ(state.geometry, c.geometry);
        EXPECT_EQ(state.maximized, c.maximized);
        EXPECT_EQ(state.split, c.split);
        EXPECT_EQ(state.openEncoding, c.encoding);
        EXPECT_EQ(state.openFolder, std::nullopt);
    }
}

TEST(WindowState, APlaceOffEveryScreenIsNotUsed)
{
    // Two screens side by side, the second lower and smaller.
    const QList<QRect> screens {QRect(0, 0, 1920, 1050), QRect(1920, 200, 1280, 1000)};
    struct Case
    {
        const char *name;
        QRect geometry;
        bool used;
    };
    const Case cases[] = {
        {"on the first", QRect(100, 100, 800, 600), true},
        {"on the second", QRect(2000, 300, 800, 600), true},
        {"across both", QRect(1500, 300, 800, 600), true},
        {"its top edge 64 pixels into the first", QRect(-736, 100, 800, 600), true},
        {"63 pixels into it", QRect(-737, 100, 800, 600), false},
        {"its top 24 pixels above the bottom", QRect(100, 1026, 800, 600), true},
        {"23 pixels", QRect(100, 1027, 800, 600), false},
        {"its top edge above the screens", QRect(100, -30, 800, 600), false},
        {"where a third screen was", QRect(3300, 100, 800, 600), false},
        {"above the second, beside the first", QRect(2000, 50, 800, 600), false},
        {"far away", QRect(40000, 40000, 800, 600), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isOnAScreen(c.geometry, screens), c.used);
    }
    EXPECT_FALSE(isOnAScreen(QRect(0, 0, 800, 600), {}));
}

} // namespace
