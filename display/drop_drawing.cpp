#include "display/drop_drawing.h"

namespace {

// TextOutA in the default opaque mode fills the text box with the
// background colour before the glyphs are drawn.
void WriteGlyph(const Drop& drop, HDC dc)
{
    const char glyph = static_cast<char>(drop.Glyph);
    TextOutA(dc, drop.X, drop.Y, &glyph, 1);
}

}  // namespace

HFONT CreateGlyphFont(int32_t cellSize)
{
    return CreateFontA(cellSize, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
}

void DrawDrop(Drop& drop, HDC dc, const char* blankingText)
{
    SetBkColor(dc, BlackColour);
    SetTextColor(dc, drop.TrailColour);
    WriteGlyph(drop, dc);

    AdvanceDrop(drop);

    // Black glyphs in a black box: what is left is a black rectangle over
    // the new cell and whatever an earlier pass wrote to its right.
    SetTextColor(dc, BlackColour);
    TextOutA(dc, drop.X, drop.Y, blankingText, 4);

    SetTextColor(dc, drop.HeadColour);
    WriteGlyph(drop, dc);
}

void UpdateDrop(Drop& drop, HDC dc, const char* blankingText)
{
    if (TickDrop(drop))
        DrawDrop(drop, dc, blankingText);
}
