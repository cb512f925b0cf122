#include "display/drop.h"

#include "platform/random.h"

namespace {

unsigned char NewGlyph(bool digitsOnly)
{
    if (digitsOnly)
        return static_cast<unsigned char>('0' + NextRandom() % 10);
    return static_cast<unsigned char>(NextRandom() % 255);  // 255 never occurs
}

// A random multiple of the cell size in [0, extent); 0 without drawing a
// number when the extent is empty. The last, partial cell counts too.
int32_t PlaceOnGrid(int32_t extent, int32_t cellSize)
{
    if (extent == 0)
        return 0;
    int32_t position = NextRandom() % extent;
    return position - position % cellSize;
}

}  // namespace

void InitDrop(Drop& drop, int32_t areaWidth, int32_t areaHeight,
              Colour headColour, Colour trailColour, bool digitsOnly,
              int32_t cellSize, int32_t ticksPerMove)
{
    drop.AreaWidth = areaWidth;
    drop.AreaHeight = areaHeight;
    drop.HeadColour = headColour;
    drop.TrailColour = trailColour;
    drop.CellSize = cellSize;
    drop.TicksPerMove = ticksPerMove;
    drop.DigitsOnly = digitsOnly;
    drop.Glyph = NewGlyph(digitsOnly);
    drop.TickCount = 0;
    PlaceDropColumn(drop);
    PlaceDropRow(drop);
}

void PlaceDropColumn(Drop& drop)
{
    drop.X = PlaceOnGrid(drop.AreaWidth, drop.CellSize);
}

void PlaceDropRow(Drop& drop)
{
    drop.Y = PlaceOnGrid(drop.AreaHeight, drop.CellSize);
}

void AdvanceDrop(Drop& drop)
{
    drop.Glyph = NewGlyph(drop.DigitsOnly);
    drop.Y += drop.CellSize;
    if (drop.Y >= drop.AreaHeight) {
        drop.Y = 0;
        PlaceDropColumn(drop);
    }
}

bool TickDrop(Drop& drop)
{
    if (++drop.TickCount < drop.TicksPerMove)
        return false;
    drop.TickCount = 0;
    return true;
}

const char* BlankingText(int32_t charHeight)
{
    return charHeight >= 18 && charHeight <= 22 ? "MH  " : "M%  ";
}
