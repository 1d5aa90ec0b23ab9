#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// One falling streak: its column, the row of its head, how many steps it
// waits between moves (1 to 3) and its brightness (0 to 99).
struct TRainDrop
{
    std::int32_t Column = 0;
    std::int32_t Row = 0;
    std::int32_t Speed = 1;
    std::int32_t Brightness = 0;
};

struct RainColour
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const RainColour &, const RainColour &) = default;
};

// Where the rain draws; pixel coordinates of the window.
class RainCanvas
{
public:
    virtual ~RainCanvas();
    // Fills the cell with black.
    virtual void eraseCell(int x, int y, int width, int height) = 0;
    // Draws one glyph on an opaque black cell whose top-left corner is (x, y).
    virtual void drawGlyph(int x, int y, QChar glyph, RainColour colour) = 0;
};

// The arithmetic of the falling-characters animation, apart from any drawing
// surface so that it can be checked alone.
class TRain
{
public:
    // Uniform integer from low to high, both included.
    using Random = std::function<int(int low, int high)>;

    static constexpr int MaxDrops = 5000;
    static constexpr int TailLength = 40;

    // Without a source, the system's random numbers.
    explicit TRain(Random random = {});

    QString RainGlyphs;
    std::int32_t matrixWidth = 0;
    std::int32_t matrixHeight = 0;
    std::int32_t charWidth = 8;
    std::int32_t charHeight = 12;
    std::int32_t bitmapWidth = 0;
    std::int32_t bitmapHeight = 0;
    std::int32_t RainTickCount = 0;

    const std::vector<TRainDrop> &RainDrops() const { return m_drops; }
    std::vector<TRainDrop> &RainDrops() { return m_drops; }
    int RainDropCount() const { return int(m_drops.size()); }

    // Step counter to 0 and a new set of drops over an area of the given size.
    void StartRain(int width, int height);
    // The cell grid from the area taken at the start, and a new set of drops.
    void ResetRain();
    // Two drops for every column.
    void InitDrops();
    // One more drop, in the next column; nothing once there are MaxDrops.
    void AddDrop();
    // One animation step: every drop draws and, when its turn has come, falls.
    void RainTick(RainCanvas &canvas);
    // Draws the drop: erases its tail, then its trail and head glyphs.
    void DrawDropGlyph(RainCanvas &canvas, const TRainDrop &drop, QChar glyph) const;

    static RainColour headColour(std::int32_t brightness);
    static RainColour trailColour(std::int32_t brightness);

private:
    int random(int low, int high) const;

    Random m_random;
    std::vector<TRainDrop> m_drops;
};
