// Drawing a drop's move onto a device context whose glyph font is already
// selected.
#pragma once

#include <windows.h>

#include "display/drop.h"

// The bold "Times New Roman" drops are drawn in, cellSize pixels high so
// that a glyph's box is exactly one cell tall.
HFONT CreateGlyphFont(int32_t cellSize);

// Recolours the old head as trail, moves one cell, blanks the new cell with
// the four-character blanking text and writes the new head: three text
// outputs and four colour changes.
void DrawDrop(Drop& drop, HDC dc, const char* blankingText);

// One tick of the drop, and a move when it is due.
void UpdateDrop(Drop& drop, HDC dc, const char* blankingText);
