#include "about/rain.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

// Records what the rain asks to draw, in rows of 12-pixel cells.
struct RecordingCanvas : RainCanvas
{
    struct Glyph
    {
        int x;
        int row;
        QChar glyph;
        RainColour colour;
    };
    std::vector<int> erasedRows;
    std::vector<Glyph> glyphs;

    void eraseCell(int x, int y, int width, int height) override
    {
        EXPECT_EQ(width, 8);
        EXPECT_EQ(height, 12);
        EXPECT_EQ(x % 8, 0);
        erasedRows.push_back(y / 12);
    }
    void drawGlyph(int x, int y, QChar glyph, RainColour colour) override
    {
        glyphs.push_back({x, y / 12, glyph, colour});
    }
};

// Hands out the queued numbers, else the lowest value allowed.
struct ScriptedRandom
{
    std::deque<int> values;
    std::vector<std::pair<int, int>> ranges;

    TRain::Random source()
    {
        return [this](int low, int high) {
            ranges.emplace_back(low, high);
            if (values.empty())
                return low;
            const int v = values.front();
            values.pop_front();
            return v;
        };
    }
};

TEST(Rain, DrawDropGlyphErasesTheTailAndDrawsTrailAndHead)
{
    struct Case
    {
        const char *what;
        int matrixHeight;
        int row;
        int brightness;
        int erasedRow;
        bool trail;
        RainColour head;
        RainColour trailColour;
    };
    const Case cases[] = {
        {"row 0 draws only the head", 33, 0, 50, 28, false, {74, 127, 49}, {24, 42, 16}},
        {"the tail wraps round the grid", 33, 10, 99, 4, true, {148, 252, 98}, {49, 84, 32}},
        {"a long streak's tail needs no wrap", 33, 45, 99, 5, true, {148, 252, 98}, {49, 84, 32}},
        {"wrapping more than once", 5, 3, 0, 5, true, {0, 0, 0}, {0, 0, 0}},
        {"a grid without rows still ends", 0, 0, 10, 0, false, {14, 25, 9}, {4, 8, 3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TRain rain;
        rain.matrixHeight = c.matrixHeight;
        TRainDrop drop;
        drop.Column = 3;
        drop.Row = c.row;
        drop.Brightness = c.brightness;
        RecordingCanvas canvas;
        rain.DrawDropGlyph(canvas, drop, u'n');
        ASSERT_EQ(canvas.erasedRows.size(), 1u);
        EXPECT_EQ(canvas.erasedRows[0], c.erasedRow);
        ASSERT_EQ(canvas.glyphs.size(), c.trail ? 2u : 1u);
        const RecordingCanvas::Glyph &head = canvas.glyphs.back();
        EXPECT_EQ(head.x, 24);
        EXPECT_EQ(head.row, c.row);
        EXPECT_EQ(head.glyph, u'n');
        EXPECT_EQ(head.colour, c.head);
        if (c.trail) {
            EXPECT_EQ(canvas.glyphs[0].row, c.row - 1);
            EXPECT_EQ(canvas.glyphs[0].colour, c.trailColour);
        }
    }
}

TEST(Rain, ColoursFollowTheBrightness)
{
    EXPECT_EQ(TRain::headColour(99), (RainColour {148, 252, 98}));
    EXPECT_EQ(TRain::trailColour(99), (RainColour {49, 84, 32}));
    EXPECT_EQ(TRain::headColour(0), (RainColour {0, 0, 0}));
    EXPECT_EQ(TRain::headColour(1), (RainColour {1, 2, 0}));
}

TEST(Rain, StartSeedsTwoDropsPerColumnWithinTheirRanges)
{
    ScriptedRandom random;
    TRain rain(random.source());
    rain.RainTickCount = 7;
    rain.StartRain(446, 374);
    EXPECT_EQ(rain.RainTickCount, 0);
    EXPECT_EQ(rain.matrixWidth, 55);
    EXPECT_EQ(rain.matrixHeight, 31);
    ASSERT_EQ(rain.RainDropCount(), 110);
    for (int i = 0; i < rain.RainDropCount(); ++i)
        EXPECT_EQ(rain.RainDrops()[i].Column, i % 55);
    // Each drop asks for its row, its speed and its brightness, in that order.
    ASSERT_EQ(random.ranges.size(), 330u);
    EXPECT_EQ(random.ranges[0], std::make_pair(0, 30));
    EXPECT_EQ(random.ranges[1], std::make_pair(1, 3));
    EXPECT_EQ(random.ranges[2], std::make_pair(0, 99));
}

TEST(Rain, ResizeReseedsButKeepsTheStepCount)
{
    TRain rain;
    rain.StartRain(160, 120);
    rain.RainTickCount = 12;
    rain.ResetRain();
    EXPECT_EQ(rain.RainTickCount, 12);
    EXPECT_EQ(rain.RainDropCount(), 40);
}

TEST(Rain, NoMoreThan5000Drops)
{
    TRain rain;
    rain.StartRain(8 * 3000, 120);
    EXPECT_EQ(rain.matrixWidth, 3000);
    EXPECT_EQ(rain.RainDropCount(), TRain::MaxDrops);
    rain.AddDrop();
    EXPECT_EQ(rain.RainDropCount(), TRain::MaxDrops);
}

TEST(Rain, AnAreaTooSmallForACellHasNoDrops)
{
    TRain rain;
    rain.RainGlyphs = QStringLiteral("tnd");
    rain.StartRain(7, 5);
    EXPECT_EQ(rain.RainDropCount(), 0);
    RecordingCanvas canvas;
    rain.RainTick(canvas);
    EXPECT_TRUE(canvas.glyphs.empty());
    EXPECT_EQ(rain.RainTickCount, 1);
}

TEST(Rain, DropsFallEverySpeedStepsAndStartAgainAtTheTop)
{
    ScriptedRandom random;
    TRain rain(random.source());
    rain.RainGlyphs = QStringLiteral("tnd");
    rain.StartRain(8, 36); // one column, three rows
    ASSERT_EQ(rain.RainDropCount(), 2);
    rain.RainDrops()[0] = {0, 0, 2, 50};
    rain.RainDrops()[1] = {0, 4, 1, 50};
    random.values = {2, 0, /* new speed and brightness of drop 1 */ 3, 77};
    RecordingCanvas canvas;
    rain.RainTick(canvas); // step 0: both move
    EXPECT_EQ(rain.RainDrops()[0].Row, 1);
    // Drop 1 passed row matrixHeight + 1 and starts again, with new numbers.
    EXPECT_EQ(rain.RainDrops()[1].Row, 0);
    EXPECT_EQ(rain.RainDrops()[1].Speed, 3);
    EXPECT_EQ(rain.RainDrops()[1].Brightness, 77);
    ASSERT_EQ(canvas.glyphs.size(), 3u);
    EXPECT_EQ(canvas.glyphs[0].glyph, u'd');
    EXPECT_EQ(canvas.glyphs[1].glyph, u't');

    rain.RainTick(canvas); // step 1: speed 2 and speed 3 wait
    EXPECT_EQ(rain.RainDrops()[0].Row, 1);
    EXPECT_EQ(rain.RainDrops()[1].Row, 0);
    rain.RainTick(canvas); // step 2: speed 2 moves
    EXPECT_EQ(rain.RainDrops()[0].Row, 2);
    EXPECT_EQ(rain.RainDrops()[1].Row, 0);
    rain.RainTick(canvas); // step 3: speed 3 moves
    EXPECT_EQ(rain.RainDrops()[1].Row, 1);
    EXPECT_EQ(rain.RainTickCount, 4);
}

} // namespace
