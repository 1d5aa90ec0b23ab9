#include "about/rain.h"

#include <QRandomGenerator>

#include <algorithm>

RainCanvas::~RainCanvas() = default;

TRain::TRain(Random random)
    : m_random(std::move(random))
{
}

int TRain::random(int low, int high) const
{
    // A grid with no rows would give an empty range.
    high = std::max(low, high);
    if (m_random)
        return m_random(low, high);
    return int(QRandomGenerator::global()->bounded(qint64(low), qint64(high) + 1));
}

void TRain::StartRain(int width, int height)
{
    RainTickCount = 0;
    bitmapWidth = width;
    bitmapHeight = height;
    ResetRain();
}

void TRain::ResetRain()
{
    charWidth = 8;
    charHeight = 12;
    matrixWidth = bitmapWidth / charWidth;
    matrixHeight = bitmapHeight / charHeight;
    InitDrops();
}

void TRain::InitDrops()
{
    m_drops.clear();
    for (std::int32_t i = 0; i < matrixWidth * 2; ++i)
        AddDrop();
}

void TRain::AddDrop()
{
    if (m_drops.size() >= std::size_t(MaxDrops) || matrixWidth <= 0)
        return;
    TRainDrop drop;
    drop.Column = std::int32_t(m_drops.size()) % matrixWidth;
    drop.Row = random(0, matrixHeight - 1);
    drop.Speed = random(1, 3);
    drop.Brightness = random(0, 99);
    m_drops.push_back(drop);
}

void TRain::RainTick(RainCanvas &canvas)
{
    for (TRainDrop &drop : m_drops) {
        const QChar glyph
            = RainGlyphs.isEmpty() ? QChar(u' ') : RainGlyphs.at(random(0, int(RainGlyphs.size()) - 1));
        DrawDropGlyph(canvas, drop, glyph);
        if (RainTickCount % drop.Speed == 0) {
            ++drop.Row;
            if (drop.Row > matrixHeight + 1) {
                drop.Row = 0;
                drop.Speed = random(1, 3);
                drop.Brightness = random(0, 99);
            }
        }
    }
    ++RainTickCount;
}

void TRain::DrawDropGlyph(RainCanvas &canvas, const TRainDrop &drop, QChar glyph) const
{
    const std::int32_t x = drop.Column * charWidth;
    // The tail wraps round the grid, so a streak is at most TailLength rows long.
    std::int32_t r = drop.Row - TailLength;
    const std::int32_t wrap = std::max(matrixHeight + 1, 1);
    while (r < 0)
        r += wrap;
    canvas.eraseCell(x, r * charHeight, charWidth, charHeight);
    if (drop.Row > 0)
        canvas.drawGlyph(x, (drop.Row - 1) * charHeight, glyph, trailColour(drop.Brightness));
    canvas.drawGlyph(x, drop.Row * charHeight, glyph, headColour(drop.Brightness));
}

RainColour TRain::headColour(std::int32_t brightness)
{
    const std::int32_t v = brightness * 255 / 100;
    return {v * 150 / 255, v, v * 100 / 255};
}

RainColour TRain::trailColour(std::int32_t brightness)
{
    const std::int32_t w = brightness * 255 / 100 / 3;
    return {w * 150 / 255, w, w * 100 / 255};
}
