// One falling stream of glyphs on a grid of square cells: where its head is,
// which glyph it shows, and when it moves next. Drawing lives elsewhere, so
// this part runs and is tested without a window.
#pragma once

#include <cstdint>

#include "display/colours.h"

struct Drop {
    Colour HeadColour;
    Colour TrailColour;
    bool DigitsOnly;
    int32_t TicksPerMove;
    int32_t TickCount;
    int32_t AreaWidth;   // taken once, at creation
    int32_t AreaHeight;
    unsigned char Glyph;
    int32_t X;           // left pixel of the head cell, a multiple of CellSize
    int32_t Y;           // top pixel of the head cell, a multiple of CellSize
    int32_t CellSize;
};

void InitDrop(Drop& drop, int32_t areaWidth, int32_t areaHeight,
              Colour headColour, Colour trailColour, bool digitsOnly,
              int32_t cellSize, int32_t ticksPerMove);
void PlaceDropColumn(Drop& drop);
void PlaceDropRow(Drop& drop);

// New glyph, then one cell down; past the bottom it starts again at the top
// of a new random column.
void AdvanceDrop(Drop& drop);

// Counts one tick; true when the drop is due to move.
bool TickDrop(Drop& drop);

// The four characters whose black box clears a cell and its right-hand
// neighbourhood before a new head is written there. "MH" is wide enough at
// the middle sizes; the smallest and largest need the wider "%". Chosen by
// the glyph height of the design (CharHeight), as it is about the face's
// proportions, not its pixel count on a scaled screen.
const char* BlankingText(int32_t charHeight);
